// platform_posix.cpp: the platform layer on POSIX systems: a POSIX thread with a large stack, the process's stack
// limit for a run on the calling thread, and SIGPIPE ignored.

#include <pthread.h>
#include <sys/resource.h>

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
    std::size_t stack_size;
    int result;
};

void* run_job(void* raw) {
    Job* job = static_cast<Job*>(raw);
    const auto top = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    set_stack_bounds(top - job->stack_size, top);
    job->result = job->body(job->argument);
    return nullptr;
}

}  // namespace

void prepare_standard_streams() { std::signal(SIGPIPE, SIG_IGN); }

int run_with_large_stack(int (*body)(void*), void* argument) {
    for (std::size_t size : large_stack_sizes) {
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
    // The limit counts from the top of the stack, somewhat above this frame: an eighth of it is left unused.
    const auto top = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    set_stack_bounds(top - (size - size / 8), top);
    return body(argument);
}

}  // namespace cellisp
