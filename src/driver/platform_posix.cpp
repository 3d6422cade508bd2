// platform_posix.cpp: the platform layer on POSIX systems: a POSIX thread on a large stack that this file maps, the
// process's stack limit for a run on the calling thread, and SIGPIPE ignored.

#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstdint>

#include "driver/platform.h"
#include "driver/stack.h"

namespace cellisp {
namespace {

constexpr std::size_t small_page_top = 8u << 20;  // the part of the stack left in small pages

struct Job {
    int (*body)(void*);
    void* argument;
    std::uintptr_t bottom;  // the lowest address the stack may reach: just above its guard page
    int result;
};

// Asks the system to back `block` with large pages where it can (Linux: transparent huge pages). Only advice:
// where it is refused, or unknown to the system, the memory works as before.
void advise_large_pages(void* block, std::size_t size) {
#ifdef MADV_HUGEPAGE
    madvise(block, size, MADV_HUGEPAGE);
#else
    (void)block, (void)size;
#endif
}

void* run_job(void* raw) {
    Job* job = static_cast<Job*>(raw);
    set_stack_bounds(job->bottom, reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
    job->result = job->body(job->argument);
    return nullptr;
}

// A stack of `size` bytes, reserved but not committed, with an inaccessible page at its bottom; nullptr when the
// address space has no room for it.
void* map_stack(std::size_t size, std::size_t guard) {
    void* stack = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (stack == MAP_FAILED) return nullptr;
    if (mprotect(stack, guard, PROT_NONE) != 0) {
        munmap(stack, size);
        return nullptr;
    }
    // Deep recursion touches the stack page after page: in pages of 2 MiB, a million levels take a hundred page
    // faults instead of tens of thousands, which were a third of their time. The top of the stack, all that most
    // runs use, keeps small pages, so that a small run stays small.
    if (size > guard + small_page_top)
        advise_large_pages(static_cast<char*>(stack) + guard, size - guard - small_page_top);
    return stack;
}

}  // namespace

void prepare_standard_streams() { std::signal(SIGPIPE, SIG_IGN); }

int run_with_large_stack(int (*body)(void*), void* argument) {
    const long page = sysconf(_SC_PAGESIZE);
    const std::size_t guard = page > 0 ? static_cast<std::size_t>(page) : 4096;
    for (std::size_t size : large_stack_sizes) {
        void* stack = map_stack(size, guard);
        if (stack == nullptr) continue;  // a 32-bit process may have no room for the largest
        pthread_attr_t attributes;
        bool started = false;
        pthread_t thread;
        Job job{body, argument, reinterpret_cast<std::uintptr_t>(stack) + guard, 0};
        if (pthread_attr_init(&attributes) == 0) {
            started = pthread_attr_setstack(&attributes, stack, size) == 0 &&
                      pthread_create(&thread, &attributes, run_job, &job) == 0;
            pthread_attr_destroy(&attributes);
        }
        if (started) pthread_join(thread, nullptr);
        munmap(stack, size);
        if (started) return job.result;
    }
    return run_on_current_stack(body, argument);  // no thread could be had
}

int run_on_current_stack(int (*body)(void*), void* argument) {
    rlimit limit{};
    std::size_t size = 8u << 20;
    if (getrlimit(RLIMIT_STACK, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < size) {
        size = static_cast<std::size_t>(limit.rlim_cur);
    }
    // The limit counts from the top of the stack, somewhat above this frame: an eighth of it is left unused.
    const auto top = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    set_stack_bounds(top - (size - size / 8), top);
    return body(argument);
}

void* take_pages(std::size_t size) {
    void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return nullptr;
    advise_large_pages(block, size);
    return block;
}

void give_pages(void* block, std::size_t size) { munmap(block, size); }

}  // namespace cellisp
