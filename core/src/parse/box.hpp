#pragma once

#include <memory>
#include <utility>

namespace brell {

// An owned child node that copies deeply, so that a tree of values can be copied as a whole
// (the checker writes a template out once per chosen column; a drawing re-checks a copy).
template <typename T>
class Box {
  public:
    Box(T value) : pointer_(std::make_unique<T>(std::move(value))) {}
    Box(const Box& other) : pointer_(std::make_unique<T>(*other)) {}
    Box(Box&&) noexcept = default;
    Box& operator=(const Box& other) {
        if (this != &other) pointer_ = std::make_unique<T>(*other);
        return *this;
    }
    Box& operator=(Box&&) noexcept = default;
    ~Box() = default;

    T& operator*() { return *pointer_; }
    const T& operator*() const { return *pointer_; }
    T* operator->() { return pointer_.get(); }
    const T* operator->() const { return pointer_.get(); }

  private:
    std::unique_ptr<T> pointer_;
};

}  // namespace brell
