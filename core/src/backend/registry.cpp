#include <algorithm>

#include "backend/backend.hpp"
#include "backend/dplyr/dplyr_backend.hpp"
#include "backend/pandas/pandas_backend.hpp"
#include "backend/polars/polars_backend.hpp"
#include "backend/pyspark/pyspark_backend.hpp"
#include "backend/sql/sql_writer.hpp"
#include "parse/canonical.hpp"

namespace brell {
namespace {

// The query names its steps step0, step1, ...; a table of such a name (identifiers compare
// without case) would be hidden by one of them and read the query's own rows instead.
bool named_like_a_step(const std::string& table) {
    if (table.size() < 5) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if ((table[i] | 0x20) != "step"[i]) return false;
    }
    return std::all_of(table.begin() + 4, table.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The first table a step reads whose name a step of the query would hide, refused under it.
Verdict step_name_clash(const CheckedPipeline& checked) {
    std::vector<const TableName*> read;
    for (const Step& step : checked.steps) {
        if (const auto* join = std::get_if<Join>(&step.node)) read.push_back(&join->table);
        if (const auto* add_rows = std::get_if<AddRows>(&step.node))
            read.push_back(&add_rows->table);
        if (const auto* keep = std::get_if<Keep>(&step.node)) {
            const Value* condition = &keep->condition;
            if (const auto* inverted = std::get_if<Not>(&condition->node)) {
                condition = &*inverted->operand;
            }
            if (const auto* matching = std::get_if<Matching>(&condition->node)) {
                read.push_back(&matching->table);
            }
        }
    }
    for (const TableName* table : read) {
        if (!named_like_a_step(table->text)) continue;
        return Diagnostic::illegal(
            "the query names its own steps `step0`, `step1` and so on, so a table called `" +
                table->text +
                "` would be hidden by one of them. Give the table another name, or name it with "
                "its schema: `main." +
                table->text + "`",
            table->span);
    }
    return std::nullopt;
}

class SqlBackend final : public Backend {
  public:
    std::string_view name() const override { return "sql"; }
    Verdict check(const CheckedPipeline& checked) const override {
        return step_name_clash(checked);
    }
    std::string write(const CheckedPipeline& checked,
                      const std::vector<SharedColumns>& tables) const override {
        return write_sql(kSqlDialect, checked, tables);
    }
};

class SparkBackend final : public Backend {
  public:
    std::string_view name() const override { return "spark"; }
    Verdict check(const CheckedPipeline& checked) const override {
        BRELL_CHECK(step_name_clash(checked));
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
    backends.push_back(make_dplyr_backend());
    backends.push_back(make_pandas_backend());
    backends.push_back(make_polars_backend());
    backends.push_back(make_pyspark_backend());
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
