#pragma once

namespace brell {

// One visitor made of one handler per variant: `std::visit(Overloaded{[](const Keep&) {...},
// ...}, step.node)`. A variant without a handler fails to compile, so every walk stays whole.
template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace brell
