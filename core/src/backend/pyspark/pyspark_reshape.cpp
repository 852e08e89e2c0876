// The calls of the steps that bring in another table: keep ... matching(...), join, add_rows,
// and add_combinations, which joins the table to the grid of its own values.

#include <algorithm>
#include <set>
#include <unordered_map>

#include "backend/pyspark/pyspark_text.hpp"
#include "backend/pyspark/pyspark_values.hpp"
#include "backend/pyspark/pyspark_writer.hpp"
#include "backend/python_text.hpp"
#include "plan/helper_names.hpp"

namespace brell::pyspark {
namespace {

// The other table, with every right key that is named differently renamed to its left name, so
// that both sides share the key names the join is on. `withColumnRenamed` renames one at a time,
// and renames every column of the name: when a key takes the name another key is renamed from
// (`[a] is [b], [b] is [a]`), the keys first take names of their own, `__key1`, `__key2`, ...,
// none of the names in play (`helpers`). A semi or anti join (`keys_only`) reads nothing of the
// other table but its keys, so it is cut down to them first, which leaves no other column of it
// in play. `other` is the other table as read.
std::string right_side(const std::string& other, const std::vector<KeyPair>& keys,
                       HelperNames helpers, bool keys_only) {
    std::vector<const KeyPair*> renamed;
    std::set<std::string_view> renamed_from;
    for (const KeyPair& key : keys) {
        if (key.left.text == key.right.text) continue;
        renamed.push_back(&key);
        renamed_from.insert(key.right.text);
    }
    const bool chained = std::any_of(renamed.begin(), renamed.end(), [&](const KeyPair* key) {
        return renamed_from.count(key->left.text) > 0;
    });
    const auto rename = [](std::string_view from, std::string_view to) {
        return ".withColumnRenamed(" + py_string(from) + ", " + py_string(to) + ")";
    };
    std::string right = other;
    if (!chained) {
        for (const KeyPair* key : renamed) right += rename(key->right.text, key->left.text);
        return right;
    }
    if (keys_only) {
        std::vector<std::string> read;
        for (const KeyPair& key : keys) {
            if (std::find(read.begin(), read.end(), key.right.text) == read.end()) {
                read.push_back(key.right.text);
            }
        }
        right += ".select(" + column_references(read) + ")";
    }
    for (const KeyPair& key : keys) helpers.hold(key.right.text);
    std::vector<std::string> own_names;
    for (std::size_t i = 0; i < renamed.size(); ++i) {
        own_names.push_back(helpers.name("__key" + std::to_string(i + 1)));
    }
    for (std::size_t i = 0; i < renamed.size(); ++i) {
        right += rename(renamed[i]->right.text, own_names[i]);
    }
    for (std::size_t i = 0; i < renamed.size(); ++i) {
        right += rename(own_names[i], renamed[i]->left.text);
    }
    return right;
}

std::vector<std::string> left_names(const std::vector<KeyPair>& keys) {
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const KeyPair& key : keys) {
        if (seen.insert(key.left.text).second) names.push_back(key.left.text);
    }
    return names;
}

std::string join_call(const std::string& right, const std::vector<std::string>& on,
                      std::string_view how) {
    return "join(" + right + ", on=" + python_list(on) + ", how=\"" + std::string(how) + "\")";
}

// The columns as a join on names leaves them: the names joined on first, then the rest in the
// order wanted.
std::vector<std::string> keys_first(const std::vector<std::string>& on,
                                    const std::vector<std::string>& wanted) {
    std::vector<std::string> columns = on;
    const std::set<std::string> joined_on(on.begin(), on.end());
    for (const std::string& name : wanted) {
        if (joined_on.count(name) == 0) columns.push_back(name);
    }
    return columns;
}

}  // namespace

Calls matching_calls(const PlannedStep& at, const Matching& matching, bool negated) {
    const std::vector<std::string> on = left_names(matching.keys);
    // The partners are the other table's rows that its own question keeps.
    std::string other = spark_table(matching.table.text);
    if (matching.partners) {
        other += ".filter(" + write_column(*matching.partners->question, {}) + ")";
    }
    Calls calls{join_call(right_side(other, matching.keys, HelperNames(at.table), true), on,
                          negated ? "anti" : "semi")};
    const std::vector<std::string> wanted = names_of(at.table);
    for (std::string& call : in_order(keys_first(on, wanted), wanted)) calls.push_back(call);
    return calls;
}

Calls spell(const PlannedStep& at, const Join& join) {
    const std::string_view how = join.unmatched == Unmatched::This   ? "left"
                                 : join.unmatched == Unmatched::None ? "inner"
                                                                     : "outer";
    const std::vector<std::string> on = left_names(join.keys);
    HelperNames helpers(at.table);
    helpers.hold(at.result);
    Calls calls{
        join_call(right_side(spark_table(join.table.text), join.keys, helpers, false), on, how)};
    const std::vector<std::string> wanted = names_of(at.result);
    for (std::string& call : in_order(keys_first(on, wanted), wanted)) calls.push_back(call);
    return calls;
}

Calls spell(const PlannedStep&, const AddRows& add_rows) {
    return {"unionByName(" + spark_table(add_rows.table.text) + ")"};
}

// Spark cannot resolve a name holding a dot or a backtick in the keys of a join of a table to what
// it made of itself; such a key is joined under a helper name, `__key1`, `__key2`, ..., and takes
// its own name back after.
bool joins_under_helper(std::string_view name) {
    return name.find_first_of(".`") != std::string_view::npos;
}

Calls spell(const PlannedStep& at, const AddCombinations& combinations) {
    const std::vector<std::string> by = names_of(combinations.by);
    const std::vector<std::string> crossed = names_of(combinations.columns);
    std::vector<std::string> on = crossed;
    on.insert(on.end(), by.begin(), by.end());
    HelperNames helpers(at.table);
    Calls renamed;
    Calls named_back;
    std::unordered_map<std::string, std::string> joined_as;
    for (const std::string& name : on) {
        if (!joins_under_helper(name)) {
            joined_as[name] = name;
            continue;
        }
        const std::string helper = helpers.name("__key" + std::to_string(renamed.size() + 1));
        joined_as[name] = helper;
        renamed.push_back("withColumnRenamed(" + py_string(name) + ", " + py_string(helper) + ")");
        named_back.push_back("withColumnRenamed(" + py_string(helper) + ", " + py_string(name) +
                             ")");
    }
    const auto joined_names = [&](const std::vector<std::string>& names) {
        std::vector<std::string> joined;
        for (const std::string& name : names) joined.push_back(joined_as.at(name));
        return joined;
    };
    std::string grid;
    for (const std::string& column : crossed) {
        std::vector<std::string> selected = by;
        selected.push_back(column);
        const std::string part =
            "d.select(" + column_references(joined_names(selected)) + ").dropna().distinct()";
        if (grid.empty()) {
            grid = part;
        } else if (by.empty()) {
            grid += ".crossJoin(" + part + ")";
        } else {
            grid += "." + join_call(part, joined_names(by), "inner");
        }
    }
    Calls calls = renamed;
    calls.push_back("transform(lambda d: d." + join_call(grid, joined_names(on), "full") + ")");
    calls.insert(calls.end(), named_back.begin(), named_back.end());
    const std::vector<std::string> wanted = names_of(at.table);
    for (std::string& call : in_order(keys_first(on, wanted), wanted)) calls.push_back(call);
    return calls;
}

}  // namespace brell::pyspark
