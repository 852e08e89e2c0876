#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "diagnostic/span.hpp"

namespace brell {

enum class DiagnosticKind { Illegal, NotBuiltYet, Assumption };

// The word a kind is shown as, in front of the message.
std::string_view kind_word(DiagnosticKind kind);

// One refusal or remark: what is wrong, and under which words of the sentence.
struct Diagnostic {
    std::optional<Span> span;
    std::string message;
    DiagnosticKind kind = DiagnosticKind::Illegal;

    static Diagnostic illegal(std::string message, std::optional<Span> span = std::nullopt) {
        return Diagnostic{span, std::move(message), DiagnosticKind::Illegal};
    }
    static Diagnostic assumption(std::string message, std::optional<Span> span = std::nullopt) {
        return Diagnostic{span, std::move(message), DiagnosticKind::Assumption};
    }
    static Diagnostic not_built_yet(std::string message) {
        return Diagnostic{std::nullopt, std::move(message), DiagnosticKind::NotBuiltYet};
    }
};

}  // namespace brell
