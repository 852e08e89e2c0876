#include "backend/pandas/pandas_text.hpp"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include "backend/python_text.hpp"

namespace brell::pandas {
namespace {

// Python folds every identifier to NFKC as it reads it, so `ﬁle=` would make a column called
// `file`. Only a name that is already folded reads back as itself.
bool reads_back_as_itself(std::string_view name) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status);
    if (U_FAILURE(status)) return false;
    const icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(name.data(), static_cast<int32_t>(name.size())));
    const bool folded = nfkc->isNormalized(text, status);
    return U_SUCCESS(status) && folded;
}

}  // namespace

std::string frame_column(std::string_view name) {
    return "d[" + py_string(name) + "]";
}

std::string name_list(const std::vector<std::string>& names) {
    std::vector<std::string> quoted;
    for (const std::string& name : names) quoted.push_back(py_string(name));
    return "[" + joined(quoted, ", ") + "]";
}

std::vector<std::string> names_of(const ColumnList& list) {
    std::vector<std::string> names;
    for (const ColumnName& name : list.names) names.push_back(name.text);
    return names;
}

std::string keyword_argument(std::string_view name, std::string_view value) {
    if (is_python_identifier(name) && reads_back_as_itself(name)) {
        return std::string(name) + "=" + std::string(value);
    }
    return "**{" + py_string(name) + ": " + std::string(value) + "}";
}

}  // namespace brell::pandas
