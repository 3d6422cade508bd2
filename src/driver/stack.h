#pragma once
// stack.h: the large stack that reading and evaluation run on, and the check that keeps them inside it.
//
// Recursion is the language's only loop, so deep recursion is normal use. The run is made on a thread with a
// large stack (only the pages it touches are committed), and every level of reading, evaluating, printing and
// releasing calls check_stack, which ends the run with "Recursion too deep\n" before the stack is overrun.

#include <cstdint>

#include "driver/process.h"

namespace cellisp {

[[noreturn]] void stack_exhausted();  // fail.h
[[noreturn]] void end_run(int status);  // fail.h

// The floor (the lowest stack address that the interpreter may reach) is process.stack_floor, written by
// run_with_large_stack, run_on_current_stack and use_stack_reserve. In the fuzzing build, process.work_budget
// bounds one run: levels of reading, evaluating and printing left before the run is ended as if it had finished,
// so that an exponential program or printed form does not look like a hang.

// Ends the run with "Recursion too deep\n" (see stack_exhausted) when the stack is nearly used up.
inline void check_stack() {
    if (reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) < process.stack_floor) stack_exhausted();
#ifdef CELLISP_FUZZ
    if (--process.work_budget < 0) end_run(0);
#endif
}

// Lets the failure report use the reserve kept below the floor, so that it can print the current expression.
void use_stack_reserve();

// Runs body(argument) on a thread with a large stack and returns what it returns. If no such thread can be made,
// runs it on the calling thread (run_on_current_stack).
int run_with_large_stack(int (*body)(void*), void* argument);

// Runs body(argument) on the calling thread, with the floor set from the process's stack limit.
int run_on_current_stack(int (*body)(void*), void* argument);

}  // namespace cellisp
