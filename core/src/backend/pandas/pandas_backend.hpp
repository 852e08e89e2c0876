#pragma once

#include <memory>

#include "backend/backend.hpp"

namespace brell {

// `--as pandas`: the pipeline as one pandas expression.
std::unique_ptr<Backend> make_pandas_backend();

}  // namespace brell
