#include "check/chooser.hpp"

#include <array>

#include "parse/overloaded.hpp"
#include "text/unicode.hpp"
#include "text/wildcards.hpp"

namespace brell {
namespace {

enum class Subject { Name, Kind };
enum class CaseChange { None, Lower, Upper };

// The thing a test asks about: `name` or `kind`, perhaps through `lower(...)` or `upper(...)`.
struct Asked {
    Subject subject;
    CaseChange change;
};

constexpr std::array<std::string_view, 4> kKinds = {"text", "number", "truth", "date"};

constexpr std::string_view kAnyOtherForm =
    "the `where` that chooses columns asks about a column's name or what it holds: `pick where "
    "name starts \"q\"`, or `pick where kind is \"number\"`. Either can be joined with `and`, `or` "
    "and `not`";

std::string changed(std::string_view text, CaseChange change) {
    switch (change) {
        case CaseChange::None:
            return std::string(text);
        case CaseChange::Lower:
            return lower_case_text(text);
        case CaseChange::Upper:
            return upper_case_text(text);
    }
    return std::string(text);
}

// What the left side of a test asks about, or the refusal of it.
Result<Asked> asked_about(const Value& side) {
    CaseChange change = CaseChange::None;
    const Value* subject = &side;
    if (const auto* call = std::get_if<Call>(&side.node)) {
        if ((call->function == "lower" || call->function == "upper") &&
            call->arguments.size() == 1) {
            change = call->function == "lower" ? CaseChange::Lower : CaseChange::Upper;
            subject = &call->arguments[0];
        }
    }
    if (std::holds_alternative<NameWord>(subject->node)) return Asked{Subject::Name, change};
    if (std::holds_alternative<KindWord>(subject->node)) return Asked{Subject::Kind, change};
    if (std::holds_alternative<Column>(subject->node)) {
        return Diagnostic::illegal(
            "`pick where` asks about a column's name, so the thing being tested is `name`: `pick "
            "where name starts \"q\"`",
            subject->span);
    }
    return Diagnostic::illegal(
        "the `where` that chooses columns asks about `name` or `kind`: `pick where kind is "
        "\"number\"`",
        subject->span);
}

// Refuses a chooser that asks anything but tests of `name` and `kind`.
Verdict refusal_of(const Value& chooser) {
    return std::visit(
        Overloaded{
            [&](const Logic& node) -> Verdict {
                if (auto refused = refusal_of(*node.left)) return refused;
                return refusal_of(*node.right);
            },
            [&](const Not& node) -> Verdict { return refusal_of(*node.operand); },
            [&](const Compare& node) -> Verdict {
                if (node.op != CompareOperator::Is && node.op != CompareOperator::IsNot) {
                    return Diagnostic::illegal(
                        "this is text, so it can be `is`, `is not`, `starts`, `ends`, `contains` "
                        "or `matches`, and not put in order",
                        chooser.span);
                }
                auto asked = asked_about(*node.left);
                if (!asked) return asked.error();
                const auto* text = std::get_if<Text>(&node.right->node);
                if (text == nullptr) {
                    return Diagnostic::illegal(
                        "this compares a column against text, written in double quotes: `name is "
                        "\"revenue\"`, or `kind is \"number\"`",
                        node.right->span);
                }
                if (asked->subject == Subject::Kind) {
                    for (std::string_view kind : kKinds) {
                        if (changed(kind, asked->change) == text->text) return std::nullopt;
                    }
                    return Diagnostic::illegal(
                        "a column holds one of text, number, truth, date, and `\"" + text->text +
                            "\"` is none of them",
                        node.right->span);
                }
                return std::nullopt;
            },
            [&](const TextTest& node) -> Verdict {
                auto asked = asked_about(*node.left);
                if (!asked) return asked.error();
                if (asked->subject != Subject::Name) {
                    return Diagnostic::illegal(std::string(kAnyOtherForm), chooser.span);
                }
                if (!std::holds_alternative<Text>(node.right->node)) {
                    return Diagnostic::illegal(
                        "this compares a name against text, written in double quotes: `pick where "
                        "name starts \"q\"`",
                        node.right->span);
                }
                return std::nullopt;
            },
            [&](const auto&) -> Verdict {
                return Diagnostic::illegal(std::string(kAnyOtherForm), chooser.span);
            },
        },
        chooser.node);
}

// The text a test reads from the column, or none (an Opaque column has no kind).
std::optional<std::string> read(const Asked& asked, const TableColumn& column) {
    if (asked.subject == Subject::Name) return changed(column.name, asked.change);
    const auto kind = kind_answer(column.type);
    if (!kind) return std::nullopt;
    return changed(*kind, asked.change);
}

// Whether the (already accepted) chooser chooses the column.
bool chooses(const Value& chooser, const TableColumn& column) {
    return std::visit(
        Overloaded{
            [&](const Logic& node) {
                return node.op == LogicOperator::And
                           ? chooses(*node.left, column) && chooses(*node.right, column)
                           : chooses(*node.left, column) || chooses(*node.right, column);
            },
            [&](const Not& node) { return !chooses(*node.operand, column); },
            [&](const Compare& node) {
                const auto seen = read(*asked_about(*node.left), column);
                const bool same = seen && *seen == std::get<Text>(node.right->node).text;
                return node.op == CompareOperator::Is ? same : !same;
            },
            [&](const TextTest& node) {
                const std::string seen = *read(*asked_about(*node.left), column);
                const std::string& text = std::get<Text>(node.right->node).text;
                switch (node.op) {
                    case TextTestOperator::Starts:
                        return seen.compare(0, text.size(), text) == 0 &&
                               seen.size() >= text.size();
                    case TextTestOperator::Ends:
                        return seen.size() >= text.size() &&
                               seen.compare(seen.size() - text.size(), text.size(), text) == 0;
                    case TextTestOperator::Contains:
                        return seen.find(text) != std::string::npos;
                    case TextTestOperator::Matches:
                        return wildcard_matches(seen, text);
                }
                return false;
            },
            [](const auto&) { return false; },
        },
        chooser.node);
}

}  // namespace

Result<std::vector<TableColumn>> choose_columns(const Value& chooser,
                                                const std::vector<TableColumn>& columns) {
    if (auto refused = refusal_of(chooser)) return *refused;
    std::vector<TableColumn> chosen;
    for (const TableColumn& column : columns) {
        if (chooses(chooser, column)) chosen.push_back(column);
    }
    return chosen;
}

}  // namespace brell
