#include "backend/dplyr/dplyr_backend.hpp"

#include "backend/dplyr/dplyr_writer.hpp"

namespace brell {
namespace {

class DplyrBackend final : public Backend {
  public:
    std::string_view name() const override { return "dplyr"; }

    std::string write(const CheckedPipeline& checked,
                      const std::vector<SharedColumns>& tables) const override {
        return write_dplyr(checked, tables);
    }
};

}  // namespace

std::unique_ptr<Backend> make_dplyr_backend() {
    return std::make_unique<DplyrBackend>();
}

}  // namespace brell
