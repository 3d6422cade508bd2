// platform_windows.cpp: the platform layer on Windows: a thread with a large stack reservation, the bounds of a
// thread's stack read from its reservation, and standard output as a text stream.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "driver/platform.h"
#include "driver/stack.h"

namespace cellisp {
namespace {

// A stack whose reservation cannot be read is taken to be the smallest a thread gets by default.
constexpr std::uintptr_t assumed_stack_size = 1024 * 1024;

struct Job {
    int (*body)(void*);
    void* argument;
    int result;
};

// Sets the floor for the stack of the calling thread, whose frame at `top` runs the interpreter. A thread's stack
// is one reservation, growing down from its top; its base address is the lowest address of the stack.
void set_bounds_below(std::uintptr_t top) {
    MEMORY_BASIC_INFORMATION region{};
    std::uintptr_t bottom = top - assumed_stack_size * 7 / 8;
    if (VirtualQuery(reinterpret_cast<const void*>(top), &region, sizeof region) != 0) {
        bottom = reinterpret_cast<std::uintptr_t>(region.AllocationBase);
    }
    set_stack_bounds(bottom, top);
}

DWORD WINAPI run_job(LPVOID raw) {
    Job* job = static_cast<Job*>(raw);
    set_bounds_below(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
    job->result = job->body(job->argument);
    return 0;
}

}  // namespace

// The C library's default already; said here because users' scripts depend on the CR LF line ends.
void prepare_standard_streams() { _setmode(_fileno(stdout), _O_TEXT); }

int run_with_large_stack(int (*body)(void*), void* argument) {
    for (std::size_t size : large_stack_sizes) {
        // Only the reservation is this large: pages are committed as the stack grows into them. The reservation
        // fails where the address space has no free range this large (32-bit), and the next size is tried.
        Job job{body, argument, 0};
        HANDLE thread = CreateThread(nullptr, size, run_job, &job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (thread == nullptr) continue;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        return job.result;
    }
    return run_on_current_stack(body, argument);  // no thread could be had
}

int run_on_current_stack(int (*body)(void*), void* argument) {
    set_bounds_below(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
    return body(argument);
}

// Large pages need a privilege that programs are seldom given, so the pages are ordinary ones.
void* take_pages(std::size_t size) { return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE); }

void give_pages(void* block, std::size_t) { VirtualFree(block, 0, MEM_RELEASE); }

}  // namespace cellisp
