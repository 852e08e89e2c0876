#include "plan/step_reads.hpp"

#include <algorithm>
#include <set>
#include <string>

#include "plan/value_queries.hpp"

namespace brell {
namespace {

bool replaces(const Add& add, const std::string& column) {
    return std::any_of(add.items.begin(), add.items.end(),
                       [&](const NamedValue& item) { return item.name.text == column; });
}

}  // namespace

bool fill_reads_filled(const FillMissing& fill) {
    std::set<std::string> filled_earlier;
    for (const NamedValue& item : fill.items) {
        if (made_here(item.value, filled_earlier)) return true;
        filled_earlier.insert(item.name.text);
    }
    return false;
}

bool add_replaces_sort_key(const Add& add, const Sort* sort) {
    if (sort == nullptr) return false;
    return std::any_of(sort->keys.begin(), sort->keys.end(),
                       [&](const SortKey& key) { return replaces(add, key.column.text); });
}

bool add_replaces_unnamed_read(const Add& add, const Sort* sort) {
    return add_replaces_sort_key(add, sort) ||
           std::any_of(add.by.names.begin(), add.by.names.end(),
                       [&](const ColumnName& column) { return replaces(add, column.text); });
}

}  // namespace brell
