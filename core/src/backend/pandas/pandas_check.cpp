#include "backend/pandas/pandas_check.hpp"

#include <algorithm>
#include <array>

#include "backend/pandas/pandas_values.hpp"
#include "backend/python_text.hpp"
#include "parse/overloaded.hpp"
#include "parse/vocabulary.hpp"

namespace brell::pandas {
namespace {

// The names the written program already gives a meaning to, with what it uses each for.
struct TakenName {
    std::string_view name;
    std::string_view use;
};
constexpr std::array<TakenName, 8> kTakenNames = {{
    {"pd", "pandas"},
    {"np", "NumPy"},
    {"d", "the table inside each step"},
    {"len", "Python's own `len`"},
    {"zip", "Python's own `zip`"},
    {"int", "Python's own `int`"},
    {"str", "Python's own `str`"},
    {"isinstance", "Python's own `isinstance`"},
}};

const TakenName* taken(std::string_view name) {
    const auto found = std::find_if(kTakenNames.begin(), kTakenNames.end(),
                                    [&](const TakenName& each) { return each.name == name; });
    return found == kTakenNames.end() ? nullptr : &*found;
}

// A plain Python name close to the table's, for the corrected example.
std::string plain_name(std::string_view name) {
    std::string plain;
    for (const char character : name) {
        const bool fits = (character >= 'a' && character <= 'z') ||
                          (character >= 'A' && character <= 'Z') ||
                          (character >= '0' && character <= '9') || character == '_';
        plain += fits ? character : '_';
    }
    if (plain.empty() || (plain[0] >= '0' && plain[0] <= '9')) plain = "table_" + plain;
    if (!is_python_identifier(plain) || taken(plain) != nullptr) plain += "_table";
    return plain;
}

// A table the program names bare, as a Python variable, or a dotted name (`shop.orders`) as
// attribute access, each part a Python name; `example` shows the corrected words, with `{}`
// where the table's name goes.
Verdict check_table_name(std::string_view name, Span span, std::string_view example) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t dot = name.find('.', start);
        parts.push_back(name.substr(start, dot == std::string_view::npos ? dot : dot - start));
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    const auto any_part = [&](auto&& test) {
        return std::any_of(parts.begin(), parts.end(), test);
    };
    std::string why;
    if (const TakenName* used = taken(parts.front())) {
        why = "the program already uses it for " + std::string(used->use);
    } else if (any_part([](std::string_view part) { return is_python_keyword(part); })) {
        why = "it is one of Python's own words";
    } else if (any_part([](std::string_view part) { return !is_python_identifier(part); })) {
        why =
            "a Python name holds only letters, digits and underscores and does not begin with "
            "a digit";
    } else {
        return std::nullopt;
    }
    std::string corrected(example);
    corrected.replace(corrected.find("{}"), 2, plain_name(name));
    return Diagnostic::illegal(
        "pandas names each table in its code as a Python variable, and `" + std::string(name) +
            "` cannot be one: " + why +
            ". Hand the table to pandas under a plain name and write that: `" + corrected + "`",
        span);
}

// The first aggregate in the value, other than the row count, that does not read one column
// of its own: `add ... by` reaches each group's answer through a column by name.
const Value* grouped_aggregate_of_expression(const Value& value) {
    if (const auto* call = std::get_if<Call>(&value.node)) {
        const FunctionEntry* entry = find_function(call->function);
        if (entry != nullptr && entry->kind == FunctionKind::Aggregate &&
            call->function != "row_count" &&
            (call->arguments.empty() || !is_bare_column(call->arguments.front()))) {
            return &value;
        }
    }
    for (const Value* child : children(value)) {
        if (const Value* found = grouped_aggregate_of_expression(*child)) return found;
    }
    return nullptr;
}

Verdict check_add(const Add& add, Span step_span) {
    if (add.by.empty()) return std::nullopt;
    for (const NamedValue& item : add.items) {
        if (grouped_aggregate_of_expression(item.value) == nullptr) continue;
        return Diagnostic::illegal(
            "pandas reaches a group's answer through one named column, so it cannot spell a "
            "grouped aggregate of an expression. Make the expression a column in its own `add`, "
            "then aggregate that column `by` the group",
            step_span);
    }
    return std::nullopt;
}

// A widen cell that pandas can lay out: a column, or one aggregate of one column.
Verdict check_widen(const Widen& widen) {
    if (!widen.value || is_bare_column(*widen.value)) return std::nullopt;
    const auto* call = std::get_if<Call>(&widen.value->node);
    const FunctionEntry* entry = call != nullptr ? find_function(call->function) : nullptr;
    if (entry != nullptr && entry->kind == FunctionKind::Aggregate &&
        (call->arguments.empty() || is_bare_column(call->arguments.front()))) {
        return std::nullopt;
    }
    return Diagnostic::illegal(
        "pandas fills a `widen` cell from one named column, as it stands or through one "
        "aggregate, so it cannot spell a cell worked out from anything else. Make the value a "
        "column with `add` first: `then add [v] as ... then widen name [question], value "
        "total([v])`",
        widen.value->span);
}

Verdict check_keep(const Keep& keep) {
    const Value* condition = &keep.condition;
    if (const auto* inverted = std::get_if<Not>(&condition->node)) condition = &*inverted->operand;
    const auto* matching = std::get_if<Matching>(&condition->node);
    if (matching == nullptr) return std::nullopt;
    return check_table_name(matching->table.text, matching->table.span,
                            "keep where matching({}, by [id])");
}

Verdict check_step(const Step& step) {
    return std::visit(
        Overloaded{
            [](const Keep& node) { return check_keep(node); },
            [](const Pick&) -> Verdict { return std::nullopt; },
            [&](const Add& node) { return check_add(node, step.span); },
            [](const Summarize&) -> Verdict { return std::nullopt; },
            [](const Sort&) -> Verdict { return std::nullopt; },
            [](const Take&) -> Verdict { return std::nullopt; },
            [](const AddRows& node) {
                return check_table_name(node.table.text, node.table.span, "add_rows {}");
            },
            [](const AddCombinations&) -> Verdict { return std::nullopt; },
            [](const DropDuplicates&) -> Verdict { return std::nullopt; },
            [](const Rename&) -> Verdict { return std::nullopt; },
            [](const DropMissing&) -> Verdict { return std::nullopt; },
            [](const FillMissing&) -> Verdict { return std::nullopt; },
            [](const Lengthen&) -> Verdict { return std::nullopt; },
            [](const Widen& node) { return check_widen(node); },
            [](const Join& node) {
                return check_table_name(node.table.text, node.table.span, "join {} by [id]");
            },
        },
        step.node);
}

}  // namespace

Verdict check_for_pandas(const CheckedPipeline& checked) {
    BRELL_CHECK(check_table_name(checked.source, checked.source_span, "{} then ..."));
    for (const Step& step : checked.steps) BRELL_CHECK(check_step(step));
    return std::nullopt;
}

}  // namespace brell::pandas
