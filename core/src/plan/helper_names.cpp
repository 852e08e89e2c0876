#include "plan/helper_names.hpp"

#include "text/unicode.hpp"

namespace brell {

void HelperNames::hold(std::span<const TableColumn> columns) {
    for (const TableColumn& column : columns) hold(column.name);
}

void HelperNames::hold(std::string_view name) {
    held_.insert(lower_case_text(name));
}

std::string HelperNames::name(std::string_view usual) {
    std::string chosen(usual);
    for (int n = 1; held_.count(lower_case_text(chosen)) > 0; ++n) {
        chosen = std::string(usual) + "_" + std::to_string(n);
    }
    hold(chosen);
    return chosen;
}

}  // namespace brell
