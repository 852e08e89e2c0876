#pragma once

#include <memory>

#include "backend/backend.hpp"

namespace brell {

// `--as polars`: the pipeline as one polars expression in Python.
std::unique_ptr<Backend> make_polars_backend();

}  // namespace brell
