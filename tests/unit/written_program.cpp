#include "written_program.hpp"

#include <gtest/gtest.h>

#include "check/checker.hpp"
#include "parse/parse.hpp"

namespace brell {

Result<CheckedPipeline> check_text(const std::string& text,
                                   const std::vector<TableColumn>& columns) {
    auto pipeline = parse(text);
    EXPECT_TRUE(pipeline.ok()) << text;
    if (!pipeline.ok()) return pipeline.error();
    const std::string source = pipeline->source.text;
    return check(std::move(*pipeline), described_tables({}, columns, source));
}

std::string written_program(const Backend& backend, const std::string& text,
                            const std::vector<TableColumn>& columns) {
    auto checked = check_text(text, columns);
    if (!checked.ok()) {
        ADD_FAILURE() << text << ": " << checked.error().message;
        return "";
    }
    if (const Verdict refusal = backend.check(*checked)) {
        ADD_FAILURE() << text << ": " << refusal->message;
        return "";
    }
    return backend.write(*checked, checked->columns_before);
}

Verdict backend_refusal(const Backend& backend, const std::string& text,
                        const std::vector<TableColumn>& columns) {
    auto checked = check_text(text, columns);
    if (!checked.ok()) {
        ADD_FAILURE() << text << ": " << checked.error().message;
        return std::nullopt;
    }
    return backend.check(*checked);
}

}  // namespace brell
