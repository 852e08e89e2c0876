#include "backend/pyspark/pyspark_backend.hpp"

#include "backend/pyspark/pyspark_writer.hpp"
#include "backend/python_text.hpp"

namespace brell {
namespace {

// `spark.table` reads any name, but the Python backends refuse a table named like one of
// Python's own words (pandas and polars write each table as a variable), and one pipeline should
// be refused or written alike by all three.
Diagnostic keyword_refusal(const std::string& table, Span span) {
    return Diagnostic::illegal(
        "`" + table +
            "` is one of Python's own words, and the Python backends take no table of that name, "
            "so that one pipeline is written alike by each of them. Give the table another name, "
            "here and where the program runs: `" +
            table + "_table`",
        span);
}

// The table a keep step's `matching` (or `not matching`) reads, if it reads one.
const Matching* matching_of(const Keep& keep) {
    const Value* condition = &keep.condition;
    if (const auto* inverted = std::get_if<Not>(&condition->node)) condition = &*inverted->operand;
    return std::get_if<Matching>(&condition->node);
}

class PysparkBackend final : public Backend {
  public:
    std::string_view name() const override { return "pyspark"; }

    Verdict check(const CheckedPipeline& checked) const override {
        // The checked pipeline keeps no span of its source, which is the sentence's first word.
        if (is_python_keyword(checked.source)) {
            return keyword_refusal(checked.source, checked.source_span);
        }
        for (const Step& step : checked.steps) {
            const TableName* table = nullptr;
            if (const auto* join = std::get_if<Join>(&step.node)) table = &join->table;
            if (const auto* rows = std::get_if<AddRows>(&step.node)) table = &rows->table;
            if (const auto* keep = std::get_if<Keep>(&step.node)) {
                if (const Matching* matching = matching_of(*keep)) table = &matching->table;
            }
            if (table != nullptr && is_python_keyword(table->text)) {
                return keyword_refusal(table->text, table->span);
            }
        }
        return std::nullopt;
    }

    std::string write(const CheckedPipeline& checked,
                      const std::vector<SharedColumns>& tables) const override {
        return write_pyspark(checked, tables);
    }
};

}  // namespace

std::unique_ptr<Backend> make_pyspark_backend() {
    return std::make_unique<PysparkBackend>();
}

}  // namespace brell
