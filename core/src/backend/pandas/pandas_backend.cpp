#include "backend/pandas/pandas_backend.hpp"

#include "backend/pandas/pandas_check.hpp"
#include "backend/pandas/pandas_writer.hpp"

namespace brell {
namespace {

class PandasBackend final : public Backend {
  public:
    std::string_view name() const override { return "pandas"; }
    Verdict check(const CheckedPipeline& checked) const override {
        return pandas::check_for_pandas(checked);
    }
    std::string write(const CheckedPipeline& checked,
                      const std::vector<SharedColumns>& tables) const override {
        return pandas::write_pandas(checked, tables);
    }
};

}  // namespace

std::unique_ptr<Backend> make_pandas_backend() {
    return std::make_unique<PandasBackend>();
}

}  // namespace brell
