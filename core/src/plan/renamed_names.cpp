#include "plan/renamed_names.hpp"

#include <unordered_map>

#include "diagnostic/unreachable.hpp"

namespace brell {

std::vector<Renaming> renamed_names(const Rename& rename) {
    std::vector<Renaming> renamings;
    std::unordered_map<std::string, std::size_t> renaming_named;  // each name now, its renaming
    for (const NamedValue& pair : rename.pairs) {
        const auto* old_column = std::get_if<Column>(&pair.value.node);
        if (old_column == nullptr) unreachable("`rename` reaches the writers naming columns");
        const auto earlier = renaming_named.find(old_column->name.text);
        if (earlier != renaming_named.end()) {
            const std::size_t index = earlier->second;
            renaming_named.erase(earlier);
            renamings[index].leaves_as = pair.name.text;
            renaming_named.emplace(pair.name.text, index);
        } else {
            renaming_named.emplace(pair.name.text, renamings.size());
            renamings.push_back(Renaming{old_column->name.text, pair.name.text});
        }
    }
    return renamings;
}

}  // namespace brell
