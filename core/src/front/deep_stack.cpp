#include "front/deep_stack.hpp"

#include <pthread.h>

namespace brell {
namespace {

void* run_work(void* work) {
    (*static_cast<const std::function<void()>*>(work))();
    return nullptr;
}

}  // namespace

void run_with_deep_stack(const std::function<void()>& work) {
    pthread_attr_t attributes;
    pthread_t thread;
    const bool started = pthread_attr_init(&attributes) == 0 &&
                         pthread_attr_setstacksize(&attributes, kDeepStackBytes) == 0 &&
                         pthread_create(&thread, &attributes, run_work,
                                        const_cast<std::function<void()>*>(&work)) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) {
        // Without a thread of our own, the work runs on the stack it was given.
        work();
        return;
    }
    pthread_join(thread, nullptr);
}

}  // namespace brell
