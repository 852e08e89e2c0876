#pragma once

#include <memory>
#include <optional>
#include <utility>

namespace brell {

// A part of a node that is often absent, held apart so that the node stays one pointer wide
// for it: read and written as a `std::optional<T>` is, and copied deeply. A step is as large as
// its largest verb, so the large, rarely written parts of a verb live here.
template <typename T>
class OptionalBox {
  public:
    OptionalBox() = default;
    OptionalBox(std::nullopt_t) {}
    OptionalBox(T value) : pointer_(std::make_unique<T>(std::move(value))) {}
    OptionalBox(std::optional<T> value) {
        if (value) pointer_ = std::make_unique<T>(std::move(*value));
    }
    OptionalBox(const OptionalBox& other)
        : pointer_(other ? std::make_unique<T>(*other) : nullptr) {}
    OptionalBox(OptionalBox&&) noexcept = default;
    OptionalBox& operator=(const OptionalBox& other) {
        if (this != &other) pointer_ = other ? std::make_unique<T>(*other) : nullptr;
        return *this;
    }
    OptionalBox& operator=(OptionalBox&&) noexcept = default;
    OptionalBox& operator=(std::nullopt_t) {
        pointer_.reset();
        return *this;
    }
    OptionalBox& operator=(T value) {
        pointer_ = std::make_unique<T>(std::move(value));
        return *this;
    }
    ~OptionalBox() = default;

    bool has_value() const { return pointer_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    void reset() { pointer_.reset(); }
    template <typename... Arguments>
    T& emplace(Arguments&&... arguments) {
        pointer_ = std::make_unique<T>(std::forward<Arguments>(arguments)...);
        return *pointer_;
    }

    T& operator*() { return *pointer_; }
    const T& operator*() const { return *pointer_; }
    T* operator->() { return pointer_.get(); }
    const T* operator->() const { return pointer_.get(); }

  private:
    std::unique_ptr<T> pointer_;
};

// An owned child node that copies deeply, so that a tree of values can be copied as a whole
// (the checker writes a template out once per chosen column; a drawing re-checks a copy). An
// `OptionalBox` that always holds its value.
template <typename T>
class Box {
  public:
    Box(T value) : held_(std::move(value)) {}

    T& operator*() { return *held_; }
    const T& operator*() const { return *held_; }
    T* operator->() { return held_.operator->(); }
    const T* operator->() const { return held_.operator->(); }

  private:
    OptionalBox<T> held_;
};

}  // namespace brell
