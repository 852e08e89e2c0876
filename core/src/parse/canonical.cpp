#include "parse/canonical.hpp"

#include "parse/overloaded.hpp"
#include "text/decimal_text.hpp"

namespace brell {
namespace {

template <typename Item, typename Write>
std::string joined(const std::vector<Item>& items, Write write) {
    std::string text;
    for (const Item& item : items) {
        if (!text.empty()) text += ", ";
        text += write(item);
    }
    return text;
}

std::string operator_word(ArithmeticOperator op) {
    return std::string(arithmetic_symbol(op));
}
std::string operator_word(CompareOperator op) {
    return std::string(compare_word(op));
}
std::string operator_word(LogicOperator op) {
    return std::string(logic_word(op));
}
std::string operator_word(TextTestOperator op) {
    return std::string(text_test_word(op));
}

template <typename Node>
std::string binary(const Node& node) {
    return "(" + canonical_value(*node.left) + " " + operator_word(node.op) + " " +
           canonical_value(*node.right) + ")";
}

std::string values(const std::vector<Value>& items) {
    return joined(items, canonical_value);
}

// Key pairs: consecutive pairs that name one column on both sides share one bracket.
std::string key_pairs(const std::vector<KeyPair>& keys) {
    std::vector<std::string> items;
    std::vector<ColumnName> shared;
    const auto close_shared = [&] {
        if (!shared.empty()) items.push_back(canonical_column_list(shared));
        shared.clear();
    };
    for (const KeyPair& key : keys) {
        if (key.left.text == key.right.text) {
            shared.push_back(key.left);
            continue;
        }
        close_shared();
        items.push_back("[" + key.left.text + "] is [" + key.right.text + "]");
    }
    close_shared();
    return joined(items, [](const std::string& item) { return item; });
}

std::string named_value(const NamedValue& item) {
    return "[" + item.name.text + "] as " + canonical_value(item.value);
}

std::string named_values(const std::vector<NamedValue>& items) {
    return joined(items, named_value);
}

// The items of `add` or `summarize`. A checked step always holds items; the `where` form is
// spelt as written only for a step that has not been through the checker.
template <typename Node>
std::string made_columns(const Node& node) {
    if (node.chooser && node.template_value) {
        return "where " + canonical_value(*node.chooser) + " as " +
               canonical_value(*node.template_value);
    }
    return named_values(node.items);
}

std::string by_part(const ColumnList& by) {
    return by.empty() ? "" : " by " + canonical_column_list(by.names);
}

std::string lengthen_step(const Lengthen& node) {
    const std::string chooser =
        node.chooser ? "where " + canonical_value(*node.chooser)
                     : (node.all_but ? "all_but " : "") + canonical_column_list(node.columns.names);
    std::vector<std::string> as_parts;
    const bool default_name =
        !node.name ||
        (node.name->pieces.size() == 1 && node.name->literals == std::vector<std::string>{"", ""} &&
         !node.name->pieces[0].is_value && node.name->pieces[0].name == "name");
    if (!default_name) as_parts.push_back("name " + canonical_name_spec(*node.name));
    if (node.value) as_parts.push_back("value [" + node.value->text + "]");
    if (as_parts.empty()) return "lengthen " + chooser;
    return "lengthen " + chooser + " as " +
           joined(as_parts, [](const std::string& part) { return part; });
}

std::string widen_step(const Widen& node) {
    std::string text = "widen name " + (node.name ? canonical_name_spec(*node.name) : "[name]") +
                       ", value " + (node.value ? canonical_value(*node.value) : "[value]");
    text += by_part(node.by);
    if (node.missing) text += " missing " + canonical_value(*node.missing);
    if (!node.giving.empty()) text += " giving " + canonical_column_list(node.giving.names);
    return text;
}

}  // namespace

std::string canonical_column_list(const std::vector<ColumnName>& names) {
    return "[" + joined(names, [](const ColumnName& name) { return name.text; }) + "]";
}

std::string canonical_name_spec(const NamePattern& pattern) {
    const bool single_piece = pattern.pieces.size() == 1 && pattern.literals.size() == 2 &&
                              pattern.literals[0].empty() && pattern.literals[1].empty();
    if (single_piece && !pattern.pieces[0].is_value) return "[" + pattern.pieces[0].name + "]";
    std::string text = "\"" + pattern.literals.front();
    for (std::size_t i = 0; i < pattern.pieces.size(); ++i) {
        text += "{" + (pattern.pieces[i].is_value ? std::string("value") : pattern.pieces[i].name) +
                "}";
        if (i + 1 < pattern.literals.size()) text += pattern.literals[i + 1];
    }
    return text + "\"";
}

std::string canonical_value(const Value& value) {
    return std::visit(
        Overloaded{
            [](const Column& node) { return "[" + node.name.text + "]"; },
            [](const Text& node) { return "\"" + node.text + "\""; },
            [](const Whole& node) { return std::to_string(node.number); },
            [](const Decimal& node) { return positional_decimal(node.number); },
            [](const Truth& node) { return std::string(node.yes ? "yes" : "no"); },
            [](const Missing&) { return std::string("missing"); },
            [](const Arithmetic& node) { return binary(node); },
            [](const Compare& node) { return binary(node); },
            [](const Logic& node) { return binary(node); },
            [](const Not& node) { return "(not " + canonical_value(*node.operand) + ")"; },
            [](const InSet& node) {
                return "(" + canonical_value(*node.operand) + " " + (node.negated ? "not " : "") +
                       "in {" + values(node.items) + "})";
            },
            [](const IsMissing& node) {
                return "(" + canonical_value(*node.operand) + " is " +
                       (node.negated ? "not " : "") + "missing)";
            },
            [](const Call& node) { return node.function + "(" + values(node.arguments) + ")"; },
            [](const TextTest& node) { return binary(node); },
            [](const OverColumns& node) {
                return std::string(node.quantifier == Quantifier::Any ? "any " : "every ") +
                       canonical_value(*node.chooser) + " as " + canonical_value(*node.question);
            },
            [](const KindWord&) { return std::string("kind"); },
            [](const ValueWord&) { return std::string("value"); },
            [](const NameWord&) { return std::string("name"); },
            [](const Ranking& node) {
                if (!node.column) return std::string("row_number()");
                return "rank([" + node.column->text + "]" + (node.descending ? " descending" : "") +
                       ")";
            },
            [](const When& node) {
                std::vector<std::string> parts;
                for (const WhenBranch& branch : node.branches) {
                    parts.push_back(canonical_value(*branch.question));
                    parts.push_back(canonical_value(*branch.answer));
                }
                if (node.otherwise)
                    parts.push_back("otherwise " + canonical_value(**node.otherwise));
                return "when(" + joined(parts, [](const std::string& part) { return part; }) + ")";
            },
            [](const LookUp& node) {
                std::vector<std::string> parts{canonical_value(*node.subject)};
                for (const LookUpPair& pair : node.pairs) {
                    parts.push_back(canonical_value(*pair.from));
                    parts.push_back(canonical_value(*pair.to));
                }
                return "look_up(" + joined(parts, [](const std::string& part) { return part; }) +
                       ", otherwise " + canonical_value(*node.otherwise) + ")";
            },
            [](const Rolling& node) {
                return "rolling(" + node.function + "(" + values(node.arguments) + "), " +
                       canonical_value(*node.size) + ")";
            },
            [](const Matching& node) {
                std::string written = "matching(" + node.table.text;
                if (!node.keys.empty()) written += ", by " + key_pairs(node.keys);
                if (node.partners) {
                    written += ", where " + canonical_value(*node.partners->question);
                }
                return written + ")";
            },
        },
        value.node);
}

std::string canonical_step(const Step& step) {
    return std::visit(
        Overloaded{
            [](const Keep& node) { return "keep where " + canonical_value(node.condition); },
            [](const Pick& node) {
                if (node.chooser) return "pick where " + canonical_value(*node.chooser);
                return "pick " + std::string(node.all_but ? "all_but " : "") +
                       canonical_column_list(node.columns.names);
            },
            [](const Add& node) { return "add " + made_columns(node) + by_part(node.by); },
            [](const Summarize& node) {
                return "summarize " + made_columns(node) + by_part(node.by);
            },
            [](const Sort& node) {
                return "sort " +
                       joined(node.keys,
                              [](const SortKey& key) {
                                  return "[" + key.column.text + "]" +
                                         (key.descending ? " descending" : "");
                              }) +
                       (node.missing_first ? " missing first" : "");
            },
            [](const Take& node) {
                const std::string rows = node.first_row
                                             ? "rows " + std::to_string(*node.first_row) + " to " +
                                                   std::to_string(node.count)
                                             : std::to_string(node.count);
                return std::string("take") + (node.last ? "_last" : "") + " " + rows +
                       by_part(node.by) + (node.with_ties ? " with ties" : "");
            },
            [](const AddRows& node) { return "add_rows " + node.table.text; },
            [](const AddCombinations& node) {
                return "add_combinations " + canonical_column_list(node.columns.names) +
                       by_part(node.by);
            },
            [](const DropDuplicates&) { return std::string("drop_duplicates"); },
            [](const Rename& node) { return "rename " + named_values(node.pairs); },
            [](const DropMissing& node) {
                if (node.columns.empty()) return std::string("drop_missing");
                return "drop_missing " + canonical_column_list(node.columns.names);
            },
            [](const FillMissing& node) { return "fill_missing " + named_values(node.items); },
            [](const Lengthen& node) { return lengthen_step(node); },
            [](const Widen& node) { return widen_step(node); },
            [](const Join& node) {
                std::string text = "join " + node.table.text;
                if (!node.keys.empty()) text += " by " + key_pairs(node.keys);
                if (node.unmatched == Unmatched::None) text += " unmatched \"none\"";
                if (node.unmatched == Unmatched::Both) text += " unmatched \"both\"";
                return text;
            },
        },
        step.node);
}

std::string write_canonical(const std::string& source, const std::vector<Step>& steps) {
    std::string text = source;
    for (const Step& step : steps) text += "\n  then " + canonical_step(step);
    return text;
}

}  // namespace brell
