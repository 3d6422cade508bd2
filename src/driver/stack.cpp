// stack.cpp: the floor that check_stack compares against, and the reserve below it.

#include "driver/stack.h"

namespace cellisp {

namespace {

// Kept below the floor for everything the end of a run needs: printing the report and the C library's calls.
constexpr std::uintptr_t report_reserve = 256 * 1024;
// Between the floor and the end of the stack, while no failure is being reported.
constexpr std::uintptr_t check_reserve = 1024 * 1024;

std::uintptr_t stack_bottom = 0;  // the lowest usable address of the stack in use
std::uintptr_t report_room = 0;   // report_reserve, or less on a small stack

}  // namespace

void set_stack_bounds(std::uintptr_t bottom, std::uintptr_t top) {
    const std::uintptr_t size = top - bottom;
    stack_bottom = bottom;
    report_room = size / 8 < report_reserve ? size / 8 : report_reserve;
    process.stack_floor = stack_bottom + report_room + (size / 8 < check_reserve ? size / 8 : check_reserve);
}

void use_stack_reserve() { process.stack_floor = stack_bottom + report_room; }

}  // namespace cellisp
