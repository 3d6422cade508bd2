// stack.cpp: a thread with a large stack, and the floor that check_stack compares against.

#include "driver/stack.h"

#include <pthread.h>
#include <sys/resource.h>

#include <cstddef>

namespace cellisp {

namespace {

// A 64-bit process can reserve this much address space for the stack; pages are committed only when touched.
// Smaller sizes are tried in turn where the system refuses.
#ifndef CELLISP_SMALL_STACK
// How deep a recursion 1 GiB holds is stated in docs/DESIGN.md; a runaway recursion fills it in a few seconds.
constexpr std::size_t stack_sizes[] = {std::size_t{1} << 30, std::size_t{256} << 20, std::size_t{64} << 20};
#else
// For memory checkers: the address sanitizer cannot clean up after a failure made deeper than 64 MiB down the
// stack (and says so on standard error), and valgrind takes seconds to set up a large one.
constexpr std::size_t stack_sizes[] = {std::size_t{60} << 20};
#endif
// Kept below the floor for everything the end of a run needs: printing the report and the C library's calls.
constexpr std::uintptr_t report_reserve = 256 * 1024;
// Between the floor and the end of the stack, while no failure is being reported.
constexpr std::uintptr_t check_reserve = 1024 * 1024;

std::uintptr_t stack_bottom = 0;   // the lowest usable address of the stack in use
std::uintptr_t report_room = 0;    // report_reserve, or less on a small stack

struct Job {
    int (*body)(void*);
    void* argument;
    std::size_t stack_size;
    int result;
};

void set_floor(std::uintptr_t top, std::size_t size) {
    stack_bottom = top - size;
    report_room = size / 8 < report_reserve ? size / 8 : report_reserve;
    process.stack_floor = stack_bottom + report_room + (size / 8 < check_reserve ? size / 8 : check_reserve);
}

void* run_job(void* raw) {
    Job* job = static_cast<Job*>(raw);
    set_floor(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)), job->stack_size);
    job->result = job->body(job->argument);
    return nullptr;
}

}  // namespace

void use_stack_reserve() { process.stack_floor = stack_bottom + report_room; }

int run_with_large_stack(int (*body)(void*), void* argument) {
    for (std::size_t size : stack_sizes) {
        pthread_attr_t attributes;
        if (pthread_attr_init(&attributes) != 0) break;
        pthread_t thread;
        Job job{body, argument, size, 0};
        bool started = pthread_attr_setstacksize(&attributes, size) == 0 &&
                       pthread_create(&thread, &attributes, run_job, &job) == 0;
        pthread_attr_destroy(&attributes);
        if (started) {
            pthread_join(thread, nullptr);
            return job.result;
        }
    }
    return run_on_current_stack(body, argument);  // no thread could be had
}

int run_on_current_stack(int (*body)(void*), void* argument) {
    rlimit limit{};
    std::size_t size = 8u << 20;
    if (getrlimit(RLIMIT_STACK, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < size) {
        size = static_cast<std::size_t>(limit.rlim_cur);
    }
    set_floor(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)), size - size / 8);
    return body(argument);
}

}  // namespace cellisp
