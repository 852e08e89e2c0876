// Random but grammatical sentences over a random table description, so that the checker and
// every writer are reached, not only the lexer. The fuzzer's bytes choose every word.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "brell/brell.hpp"
#include "fuzz_run.hpp"

namespace {

const std::vector<std::string> kNames = {
    "a",          "b",      "region", "revenue", "day", "at",  "flag",  "id", "name", "value",
    "unit price", "q_2024", "q_2025", "x\"y",    "z'w", "s`t", "class", "if", "数量", "p.q"};
const std::vector<std::string> kTypes = {"number", "text", "truth", "date", "timestamp", "money"};
const std::vector<std::string> kTexts = {"West", "",  "a_b%", "it's", "\\",
                                         "\"",   "q", "2024", "{x}"};

// The functions' names, read from the vocabulary listing: every line not tagged "verb" or "word".
const std::vector<std::string>& function_names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> found;
        const std::string listing = brell::front::vocabulary();
        for (std::size_t start = 0; start < listing.size();) {
            const std::size_t end = listing.find('\n', start);
            const std::string line = listing.substr(start, end - start);
            start = end == std::string::npos ? listing.size() : end + 1;
            const std::size_t tab = line.find('\t');
            const std::string tag = line.substr(0, tab);
            if (tab != std::string::npos && tag != "verb" && tag != "word") {
                found.push_back(line.substr(tab + 1));
            }
        }
        return found;
    }();
    return names;
}

class SentenceWriter {
  public:
    explicit SentenceWriter(FuzzedDataProvider& bytes) : bytes_(bytes) {}

    std::string pick(const std::vector<std::string>& from) {
        return from[bytes_.ConsumeIntegralInRange<std::size_t>(0, from.size() - 1)];
    }
    std::string column() { return "[" + pick(kNames) + "]"; }
    std::string columns() {
        std::string list = pick(kNames);
        const int more = bytes_.ConsumeIntegralInRange(0, 2);
        for (int i = 0; i < more; ++i) list += ", " + pick(kNames);
        return "[" + list + "]";
    }
    std::string text() { return "\"" + pick(kTexts) + "\""; }

    std::string literal() {
        switch (bytes_.ConsumeIntegralInRange(0, 5)) {
            case 0:
                return std::to_string(bytes_.ConsumeIntegralInRange(-3, 12));
            case 1:
                return std::to_string(bytes_.ConsumeIntegralInRange(0, 99)) + "." +
                       std::to_string(bytes_.ConsumeIntegralInRange(0, 9));
            case 2:
                return bytes_.ConsumeBool() ? "yes" : "no";
            case 3:
                return "missing";
            default:
                return text();
        }
    }

    std::string value(int depth) {
        if (depth <= 0 || bytes_.remaining_bytes() == 0) {
            return bytes_.ConsumeBool() ? column() : literal();
        }
        switch (bytes_.ConsumeIntegralInRange(0, 14)) {
            case 0:
                return column();
            case 1:
                return literal();
            case 2: {
                static const std::vector<std::string> ops = {"+", "-", "*", "/"};
                return value(depth - 1) + " " + pick(ops) + " " + value(depth - 1);
            }
            case 3: {
                static const std::vector<std::string> ops = {"is", "is not", "<", "<=", ">", ">="};
                return value(depth - 1) + " " + pick(ops) + " " + value(depth - 1);
            }
            case 4:
                return "(" + value(depth - 1) + (bytes_.ConsumeBool() ? " and " : " or ") +
                       value(depth - 1) + ")";
            case 5:
                return "not (" + value(depth - 1) + ")";
            case 6:
                return column() + (bytes_.ConsumeBool() ? " in {" : " not in {") + literal() +
                       ", " + literal() + "}";
            case 7:
                return column() + (bytes_.ConsumeBool() ? " is missing" : " is not missing");
            case 8: {
                static const std::vector<std::string> tests = {" starts ", " ends ", " contains ",
                                                               " matches "};
                return column() + pick(tests) + (bytes_.ConsumeBool() ? text() : column());
            }
            case 9: {
                std::string call = pick(function_names()) + "(";
                const int arguments = bytes_.ConsumeIntegralInRange(0, 3);
                for (int i = 0; i < arguments; ++i) call += (i ? ", " : "") + value(depth - 1);
                return call + ")";
            }
            case 10:
                return "when(" + value(depth - 1) + ", " + value(depth - 1) +
                       (bytes_.ConsumeBool() ? ", otherwise " + value(depth - 1) : "") + ")";
            case 11:
                return "look_up(" + column() + ", " + literal() + ", " + literal() +
                       ", otherwise " + value(depth - 1) + ")";
            case 12:
                return bytes_.ConsumeBool()
                           ? "rank(" + column() + (bytes_.ConsumeBool() ? " descending)" : ")")
                           : "row_number()";
            case 13: {
                static const std::vector<std::string> aggregates = {
                    "total", "average", "median", "smallest", "largest", "standard_deviation",
                    "first"};
                return "rolling(" + pick(aggregates) + "(" + column() + "), " +
                       std::to_string(bytes_.ConsumeIntegralInRange(-1, 5)) + ")";
            }
            default:
                return "matching(p" + std::string(bytes_.ConsumeBool() ? ", by " + column() : "") +
                       ")";
        }
    }

    std::string chooser() {
        static const std::vector<std::string> choosers = {
            "name starts \"q\"", "kind is \"number\"", "not (name is \"a\")",
            "name contains \"_\" and kind is \"text\"", "lower(name) ends \"e\""};
        return pick(choosers);
    }

    std::string pattern() {
        static const std::vector<std::string> patterns = {"[n]", "\"{q}_{year}\"", "\"q_{value}\"",
                                                          "\"{x}\"", "\"score_{s}\""};
        return pick(patterns);
    }

    std::string step() {
        const int depth = bytes_.ConsumeIntegralInRange(0, 3);
        switch (bytes_.ConsumeIntegralInRange(0, 17)) {
            case 0:
                return "keep where " + value(depth);
            case 1:
                return "keep where " + std::string(bytes_.ConsumeBool() ? "any " : "every ") +
                       chooser() + " as value > 1";
            case 2:
                return bytes_.ConsumeBool()   ? "pick " + columns()
                       : bytes_.ConsumeBool() ? "pick all_but " + columns()
                                              : "pick where " + chooser();
            case 3:
                return "add " + column() + " as " + value(depth) +
                       (bytes_.ConsumeBool() ? " by " + columns() : "");
            case 4:
                return "add where " + chooser() + " as value * 2";
            case 5:
                return "summarize " + column() + " as " + value(depth) +
                       (bytes_.ConsumeBool() ? " by " + columns() : "");
            case 6:
                return "sort " + column() + (bytes_.ConsumeBool() ? " descending" : "") +
                       (bytes_.ConsumeBool() ? " missing first" : "");
            case 7:
                return std::string(bytes_.ConsumeBool() ? "take " : "take_last ") +
                       std::to_string(bytes_.ConsumeIntegralInRange(0, 5)) +
                       (bytes_.ConsumeBool() ? " by " + columns() : "") +
                       (bytes_.ConsumeBool() ? " with ties" : "");
            case 8:
                return "join p" + std::string(bytes_.ConsumeBool() ? " by " + columns() : "") +
                       (bytes_.ConsumeBool() ? " unmatched \"both\"" : "");
            case 9:
                return "add_rows p";
            case 10:
                return "drop_duplicates";
            case 11:
                return "rename " + column() + " as " + column();
            case 12:
                return bytes_.ConsumeBool() ? "drop_missing" : "drop_missing " + columns();
            case 13:
                return "fill_missing " + column() + " as " + literal();
            case 14:
                return "add_combinations " + columns() +
                       (bytes_.ConsumeBool() ? " by " + columns() : "");
            case 15:
                return "lengthen " +
                       std::string(bytes_.ConsumeBool() ? columns() : "where " + chooser()) +
                       (bytes_.ConsumeBool() ? " as name " + pattern() + ", value [v]" : "");
            default:
                return "widen name " + pattern() + ", value " +
                       (bytes_.ConsumeBool() ? column() : "total(" + column() + ")") +
                       (bytes_.ConsumeBool() ? " by " + columns() : "") +
                       (bytes_.ConsumeBool() ? " missing 0" : "") +
                       (bytes_.ConsumeBool() ? " giving [q_2024, x]" : "");
        }
    }

    std::string description() {
        std::string list;
        const int count = bytes_.ConsumeIntegralInRange(1, 6);
        for (int i = 0; i < count; ++i) {
            list += (i ? "," : "") + pick(kNames) + ":" + pick(kTypes);
        }
        return list;
    }

  private:
    FuzzedDataProvider& bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider bytes(data, size);
    SentenceWriter writer(bytes);
    const std::string head = writer.description();
    const std::string named = "p=" + writer.description();
    std::string sentence = "t";
    const int steps = bytes.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < steps; ++i) sentence += " then " + writer.step();
    brell::fuzz::run_every_job(sentence, {"--columns", head, "--columns", named});
    return 0;
}
