#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "check/checked_pipeline.hpp"
#include "diagnostic/result.hpp"

namespace brell {

// One output language of `--as`. Backends hold no state.
class Backend {
  public:
    virtual ~Backend() = default;

    // The name written after `--as`.
    virtual std::string_view name() const = 0;

    // What this language cannot express of a pipeline the checker accepted, or nothing.
    virtual Verdict check(const CheckedPipeline& checked) const;

    // The whole program. Never fails: what it cannot write was refused by the checker or by
    // `check`. `tables` holds the table each step receives.
    virtual std::string write(const CheckedPipeline& checked,
                              const std::vector<SharedColumns>& tables) const = 0;
};

// Every backend, in the fixed order of every listing: sql, spark, dplyr, pandas, polars,
// pyspark, brell.
std::vector<std::unique_ptr<Backend>> all_backends();

// The backend of exactly that name (case and all), or null.
std::unique_ptr<Backend> find_backend(std::string_view name);

// The backends' names joined by ", ".
std::string backend_list();

// The names, in order.
std::vector<std::string> backend_names();

}  // namespace brell
