#pragma once

#include <utility>
#include <variant>

#include "diagnostic/diagnostic.hpp"

namespace brell {

// What one stage hands on: its result, or the one diagnostic that stopped it.
// (A small stand-in for std::expected, which not every compiler on the build machines offers.)
template <typename T>
class Result {
  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Diagnostic refusal) : state_(std::in_place_index<1>, std::move(refusal)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Diagnostic& error() const& { return std::get<1>(state_); }
    Diagnostic&& error() && { return std::get<1>(std::move(state_)); }

  private:
    std::variant<T, Diagnostic> state_;
};

// For stages that only judge: nothing when all is well, else the refusal.
using Verdict = std::optional<Diagnostic>;

}  // namespace brell

#define BRELL_CONCAT_INNER(first, second) first##second
#define BRELL_CONCAT(first, second) BRELL_CONCAT_INNER(first, second)

// Hands a refusal straight on to the caller, or binds the result:
//     BRELL_TRY(Value condition, parse_value());
// The enclosing function must return a Result (or anything a Diagnostic converts to).
#define BRELL_TRY(declaration, expression)                                \
    auto BRELL_CONCAT(brell_attempt_, __LINE__) = (expression);           \
    if (!BRELL_CONCAT(brell_attempt_, __LINE__)) {                        \
        return std::move(BRELL_CONCAT(brell_attempt_, __LINE__)).error(); \
    }                                                                     \
    declaration = std::move(BRELL_CONCAT(brell_attempt_, __LINE__)).value()

// Hands a refusal from a judging stage (a Verdict) straight on to the caller.
#define BRELL_CHECK(expression)                                       \
    if (auto BRELL_CONCAT(brell_verdict_, __LINE__) = (expression)) { \
        return std::move(*BRELL_CONCAT(brell_verdict_, __LINE__));    \
    }
