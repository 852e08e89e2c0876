#pragma once

#include <memory>

#include "backend/backend.hpp"

namespace brell {

// The backend `dplyr`: the pipeline as one R pipe chain of dplyr and tidyr calls.
std::unique_ptr<Backend> make_dplyr_backend();

}  // namespace brell
