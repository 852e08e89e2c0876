#include "plan/renamed_names.hpp"

#include "diagnostic/unreachable.hpp"

namespace brell {

std::unordered_map<std::string, std::string> renamed_names(const Rename& rename) {
    // Each name a renamed column holds now, with the name it arrived with.
    std::unordered_map<std::string, std::string> arrived_as;
    for (const NamedValue& pair : rename.pairs) {
        const auto* old_column = std::get_if<Column>(&pair.value.node);
        if (old_column == nullptr) unreachable("`rename` reaches the writers naming columns");
        std::string arrival = old_column->name.text;
        const auto earlier = arrived_as.find(arrival);
        if (earlier != arrived_as.end()) {
            arrival = std::move(earlier->second);
            arrived_as.erase(earlier);
        }
        arrived_as.insert_or_assign(pair.name.text, std::move(arrival));
    }
    std::unordered_map<std::string, std::string> leaves_as;
    for (auto& [now, arrival] : arrived_as) leaves_as.emplace(std::move(arrival), now);
    return leaves_as;
}

}  // namespace brell
