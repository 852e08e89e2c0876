#include "backend/polars/polars_backend.hpp"

#include "backend/polars/polars_check.hpp"
#include "backend/polars/polars_writer.hpp"

namespace brell {
namespace {

class PolarsBackend final : public Backend {
  public:
    std::string_view name() const override { return "polars"; }
    Verdict check(const CheckedPipeline& checked) const override {
        return polars::check_polars(checked);
    }
    std::string write(const CheckedPipeline& checked,
                      const std::vector<SharedColumns>& tables) const override {
        return polars::write_polars(checked, tables);
    }
};

}  // namespace

std::unique_ptr<Backend> make_polars_backend() {
    return std::make_unique<PolarsBackend>();
}

}  // namespace brell
