#pragma once
// platform.h: everything the interpreter needs from the operating system beyond standard C++.
//
// One implementation per system, chosen by the build: platform_posix.cpp (Linux and other POSIX systems) and
// platform_windows.cpp. No other file asks which system it runs on.
//
// - The run is made on a stack large enough for deep recursion, and the stack floor (stack.h) is set from the
//   bounds of the stack it runs on.
// - Memory for much data is taken from the system in large pieces, and given back to it whole.
// - Standard output: a reader that goes away ends no run by a signal, and on Windows standard output is a text
//   stream, so each LF the interpreter writes arrives as CR LF. The source file is read in binary everywhere.

#include <cstddef>

namespace cellisp {

// Readies standard output before anything is written: where a write to a closed pipe raises a signal (POSIX),
// the signal is ignored, so the writes simply fail and the run still ends with its own status; on Windows
// standard output is put in text mode.
void prepare_standard_streams();

// Runs body(argument) on a thread with a large stack, with the stack floor set for that stack, and returns what
// it returns. The largest reservation the system grants is used, down to a few tens of MiB; if no thread can be
// made at all, runs it on the calling thread (run_on_current_stack).
int run_with_large_stack(int (*body)(void*), void* argument);

// Runs body(argument) on the calling thread, with the floor set from the bounds of the calling thread's stack.
int run_on_current_stack(int (*body)(void*), void* argument);

// `size` bytes of memory straight from the system, for a run that builds much data, in ordinary pages (not large
// ones: see platform_posix.cpp). Owned by the caller, who gives it back to the system with give_pages and the same
// size; nullptr when the system has none.
void* take_pages(std::size_t size);
void give_pages(void* block, std::size_t size);

}  // namespace cellisp
