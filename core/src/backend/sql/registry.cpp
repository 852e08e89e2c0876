#include "backend/sql/registry.hpp"

#include <array>

namespace brell {
namespace {

constexpr std::array<std::string_view, 7> kBackendNames = {
    "sql", "spark", "dplyr", "pandas", "polars", "pyspark", "brell",
};

}  // namespace

std::span<const std::string_view> backend_names() {
    return kBackendNames;
}

std::string_view backend_list() {
    return "sql, spark, dplyr, pandas, polars, pyspark, brell";
}

}  // namespace brell
