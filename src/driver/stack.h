#pragma once
// stack.h: the large stack that reading and evaluation run on, and the check that keeps them inside it.
//
// Recursion is the language's only loop, so deep recursion is normal use. The run is made on a thread with a
// large stack (only the pages it touches are committed), which the platform layer (platform.h) makes, and every
// level of reading, evaluating, printing and releasing calls check_stack, which ends the run with
// "Recursion too deep\n" before the stack is overrun.

#include <cstddef>
#include <cstdint>

#include "driver/process.h"

namespace cellisp {

// The sizes of stack asked for, largest first; the platform layer (platform.h) takes the first one the system
// grants. Only the pages the run touches are committed, but each size must fit in the address space whole, which
// a 32-bit process may not have for the largest.
#ifndef CELLISP_SMALL_STACK
// How deep a recursion 1 GiB holds is stated in docs/DESIGN.md; a runaway recursion fills it in a few seconds.
inline constexpr std::size_t large_stack_sizes[] = {std::size_t{1} << 30, std::size_t{512} << 20,
                                                    std::size_t{256} << 20, std::size_t{64} << 20};
#else
// For memory checkers: the address sanitizer cannot clean up after a failure made deeper than 64 MiB down the
// stack (and says so on standard error), and valgrind takes seconds to set up a large one.
inline constexpr std::size_t large_stack_sizes[] = {std::size_t{60} << 20};
#endif

[[noreturn]] void stack_exhausted();  // fail.h
[[noreturn]] void end_run(int status);  // fail.h

// The floor (the lowest stack address that the interpreter may reach) is process.stack_floor, written by
// set_stack_bounds and use_stack_reserve. In the fuzzing build, process.work_budget
// bounds one run: levels of reading, evaluating and printing left before the run is ended as if it had finished,
// so that an exponential program or printed form does not look like a hang.

// One step of work: counted in the fuzzing build (see above), nothing otherwise. Every check of the stack counts
// one; a loop that goes no deeper counts its turns with this alone.
inline void count_work() {
#ifdef CELLISP_FUZZ
    if (--process.work_budget < 0) end_run(0);
#endif
}

// Ends the run with "Recursion too deep\n" (see stack_exhausted) when `position`, the top of the stack or near it,
// is below the floor.
inline void check_stack_at(std::uintptr_t position) {
    if (position < process.stack_floor) stack_exhausted();
    count_work();
}

// The check of every level of reading, printing and releasing, and of the built-ins: at the frame's address.
inline void check_stack() { check_stack_at(reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0))); }

// The check of eval_call, which every level of recursion through a user function passes, and of eval, which is
// made inside it for the arguments of a call: at the stack pointer, where the compiler lets it be read (x86, 64-
// and 32-bit). Asking for the frame's address makes a function keep a frame pointer, which made eval_call's frame
// 96 bytes instead of 80 and (c 1000000) about a quarter slower; in the 32-bit Linux build too, 96 instead of 80.
// The other checks stay at the frame's address: reading the stack pointer in all of them made ack 7 to 13% slower.
// The read is volatile, so that every check reads it afresh: a value of it kept from one check to the next took a
// slot of eval_call's frame.
inline void check_call_stack() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    std::uintptr_t position;
#if defined(__x86_64__)
    asm volatile("mov %%rsp, %0" : "=r"(position));
#else
    asm volatile("mov %%esp, %0" : "=r"(position));
#endif
    check_stack_at(position);
#else
    check_stack();
#endif
}

// Sets the floor for a run on the stack whose usable addresses run from `bottom` up to `top`, the frame that runs
// the interpreter: about a megabyte above the bottom (an eighth of a small stack), with a reserve below it for the
// failure report. Called by the platform layer on the thread of the run, before the run.
// REQUIRES: bottom < top.
void set_stack_bounds(std::uintptr_t bottom, std::uintptr_t top);

// Lets the failure report use the reserve kept below the floor, so that it can print the current expression.
void use_stack_reserve();

}  // namespace cellisp
