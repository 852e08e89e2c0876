#pragma once

#include <memory>

#include "backend/backend.hpp"

namespace brell {

// `--as pyspark`: the pipeline as one PySpark DataFrame expression in Python.
std::unique_ptr<Backend> make_pyspark_backend();

}  // namespace brell
