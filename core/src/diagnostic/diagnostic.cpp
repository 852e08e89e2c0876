#include "diagnostic/diagnostic.hpp"

namespace brell {

std::string_view kind_word(DiagnosticKind kind) {
    switch (kind) {
        case DiagnosticKind::Illegal:
            return "illegal";
        case DiagnosticKind::NotBuiltYet:
            return "not built yet";
        case DiagnosticKind::Assumption:
            return "assumption";
    }
    return "illegal";
}

}  // namespace brell
