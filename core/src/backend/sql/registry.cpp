#include "backend/sql/backend.hpp"
#include "backend/sql/canonical.hpp"
#include "backend/sql/sql_writer.hpp"

namespace brell {
namespace {

class SqlBackend final : public Backend {
  public:
    std::string_view name() const override { return "sql"; }
    std::string write(const CheckedPipeline& checked,
                      const std::vector<SharedColumns>& tables) const override {
        return write_sql(kSqlDialect, checked, tables);
    }
};

class SparkBackend final : public Backend {
  public:
    std::string_view name() const override { return "spark"; }
    Verdict check(const CheckedPipeline& checked) const override {
        // Spark's pivot has to be told its columns; there is no pivot on what the data holds.
        for (const Step& step : checked.steps) {
            const auto* widen = std::get_if<Widen>(&step.node);
            if (widen == nullptr || !widen->giving.empty()) continue;
            return Diagnostic::illegal(
                "Spark has to be told which columns a `widen` makes, and this one takes them from "
                "the data. Say what it makes: `giving [q1, q2, q3]`",
                step.span);
        }
        return std::nullopt;
    }
    std::string write(const CheckedPipeline& checked,
                      const std::vector<SharedColumns>& tables) const override {
        return write_sql(kSparkDialect, checked, tables);
    }
};

class CanonicalBackend final : public Backend {
  public:
    std::string_view name() const override { return "brell"; }
    std::string write(const CheckedPipeline& checked,
                      const std::vector<SharedColumns>&) const override {
        return write_canonical(checked.source, checked.steps);
    }
};

// A backend whose writer has not been built yet: it says so rather than write anything.
class UnbuiltBackend final : public Backend {
  public:
    explicit UnbuiltBackend(std::string_view name) : name_(name) {}
    std::string_view name() const override { return name_; }
    Verdict check(const CheckedPipeline&) const override {
        return Diagnostic::not_built_yet("`--as " + std::string(name_) +
                                         "` is not written yet; the other backends are");
    }
    std::string write(const CheckedPipeline&, const std::vector<SharedColumns>&) const override {
        return "";
    }

  private:
    std::string_view name_;
};

}  // namespace

Verdict Backend::check(const CheckedPipeline&) const {
    return std::nullopt;
}

std::vector<std::unique_ptr<Backend>> all_backends() {
    std::vector<std::unique_ptr<Backend>> backends;
    backends.push_back(std::make_unique<SqlBackend>());
    backends.push_back(std::make_unique<SparkBackend>());
    backends.push_back(std::make_unique<UnbuiltBackend>("dplyr"));
    backends.push_back(std::make_unique<UnbuiltBackend>("pandas"));
    backends.push_back(std::make_unique<UnbuiltBackend>("polars"));
    backends.push_back(std::make_unique<UnbuiltBackend>("pyspark"));
    backends.push_back(std::make_unique<CanonicalBackend>());
    return backends;
}

std::unique_ptr<Backend> find_backend(std::string_view name) {
    for (auto& backend : all_backends()) {
        if (backend->name() == name) return std::move(backend);
    }
    return nullptr;
}

std::vector<std::string> backend_names() {
    std::vector<std::string> names;
    for (const auto& backend : all_backends()) names.emplace_back(backend->name());
    return names;
}

std::string backend_list() {
    std::string list;
    for (const std::string& name : backend_names()) list += (list.empty() ? "" : ", ") + name;
    return list;
}

}  // namespace brell
