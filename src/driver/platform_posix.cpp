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

struct Job {
    int (*body)(void*);
    void* argument;
    std::uintptr_t bottom;  // the lowest address the stack may reach: just above its guard page
    int result;
};

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
    // Ordinary pages, here and in take_pages. Asking for 2 MiB pages cut the page faults of a million levels of
    // recursion from 57,000 to 3,100 and its time by a third, when it ran right after another such run. In a
    // virtual machine whose system hands free large pages back to the host, a run started a few seconds later
    // waited half a second for the host to supply them again, four times as long as with ordinary pages.
    return stack;
}

}  // namespace

void prepare_standard_streams() { std::signal(SIGPIPE, SIG_IGN); }

// Not counted when the interpreter is built to record a profile (bench/build_profiled.sh). A run ends the process
// from its own thread, at a moment that races with this thread's return from pthread_create, so the counts of
// what follows that return came out differently from one training to the next, and with them the build guided by
// the profile: two builds of the same code differed by about 5% in the time of a benchmark.
[[gnu::no_profile_instrument_function]] int run_with_large_stack(int (*body)(void*), void* argument) {
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
    return block == MAP_FAILED ? nullptr : block;
}

void give_pages(void* block, std::size_t size) { munmap(block, size); }

}  // namespace cellisp
