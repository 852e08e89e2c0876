#include "front/deep_stack.hpp"

#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

namespace brell {
namespace {

// Whether this thread is running on a deep enough stack already.
thread_local bool on_deep_stack = false;

void run_marked(const std::function<void()>& work) {
    const bool was = on_deep_stack;
    on_deep_stack = true;
    work();
    on_deep_stack = was;
}

void* run_work(void* work) {
    run_marked(*static_cast<const std::function<void()>*>(work));
    return nullptr;
}

#if defined(__has_feature)
#define BRELL_HAS_FEATURE(feature) __has_feature(feature)
#else
#define BRELL_HAS_FEATURE(feature) 0
#endif

// Frames grow several times larger without optimisation and under the sanitizers, where the
// bound on a short text's stack does not hold.
#if defined(__OPTIMIZE__) && !defined(__SANITIZE_ADDRESS__) && \
    !BRELL_HAS_FEATURE(address_sanitizer) && !BRELL_HAS_FEATURE(undefined_behavior_sanitizer)
constexpr bool kFramesMeasured = true;
#else
constexpr bool kFramesMeasured = false;
#endif

// Whether this thread is the process's main thread, asked of the kernel once per thread: a job
// from Python runs a few microseconds, and the two system calls cost a tenth of that.
bool on_main_thread() {
    thread_local const bool main_thread = gettid() == getpid();
    return main_thread;
}

// Whether a short text's run fits where it stands: on the main thread, whose stack grows on
// demand up to the process's limit.
bool short_text_fits_here(std::size_t text_bytes) {
    if (!kFramesMeasured || text_bytes > kShortTextBytes || !on_main_thread()) return false;
    rlimit limit{};
    if (getrlimit(RLIMIT_STACK, &limit) != 0) return false;
    return limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= kMainStackBytes;
}

// The memory of one deep stack, kept by the thread that asks for runs so that each run after
// the first starts on pages already there: mapping a gigabyte afresh and faulting in its first
// pages costs more than a small job does. Its lowest page is left unreadable, so that running
// off its end stops the program instead of writing over what lies below.
class ReservedStack {
  public:
    ReservedStack() {
        void* memory = mmap(nullptr, kDeepStackBytes, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
        if (memory == MAP_FAILED) return;
        if (mprotect(memory, static_cast<std::size_t>(sysconf(_SC_PAGESIZE)), PROT_NONE) != 0) {
            munmap(memory, kDeepStackBytes);
            return;
        }
        base_ = memory;
    }
    ~ReservedStack() {
        if (base_ != nullptr) munmap(base_, kDeepStackBytes);
    }
    ReservedStack(const ReservedStack&) = delete;
    ReservedStack& operator=(const ReservedStack&) = delete;

    void* base() const { return base_; }

  private:
    void* base_ = nullptr;
};

// This thread's deep stack, made when it first asks for one; null if it could not be mapped.
void* reserved_stack() {
    thread_local ReservedStack stack;
    return stack.base();
}

}  // namespace

void run_with_deep_stack(const std::function<void()>& work, std::size_t text_bytes) {
    if (on_deep_stack || short_text_fits_here(text_bytes)) {
        work();
        return;
    }
    void* stack = reserved_stack();
    pthread_attr_t attributes;
    pthread_t thread;
    const bool started = stack != nullptr && pthread_attr_init(&attributes) == 0 &&
                         pthread_attr_setstack(&attributes, stack, kDeepStackBytes) == 0 &&
                         pthread_create(&thread, &attributes, run_work,
                                        const_cast<std::function<void()>*>(&work)) == 0;
    if (stack != nullptr) pthread_attr_destroy(&attributes);
    if (!started) {
        // Without a thread of our own, the work runs on the stack it was given.
        work();
        return;
    }
    pthread_join(thread, nullptr);
}

}  // namespace brell
