// process.cpp: the one process state.

#include "driver/process.h"

#include <cstdlib>

namespace cellisp {
namespace {

[[noreturn]] void exit_process(int status) { std::exit(status); }

}  // namespace

ProcessState process = {
    .memory = {.free_blocks = {},
               .fresh_begin = {},
               .fresh_end = {},
               .chunks = nullptr,
               .chunk_count = 0,
               .requests_left = -1,
               .tracked = {nullptr, nullptr}},
    .live_cells = 0,
    .builtin_cells = {},
    .parens = {},
    .names = {},
    .program_tree = nullptr,
    .current_expression = nullptr,
    .failure_status = 0,
    .stack_floor = 0,
    .work_budget = 0,
    .exit_routine = exit_process,
    .waits_for_key = true,
};

void reset_process() {
    reclaim_all_memory();
    const ExitRoutine exit_routine = process.exit_routine;
    const bool waits_for_key = process.waits_for_key;
    process = ProcessState{};
    process.memory.requests_left = -1;
    process.exit_routine = exit_routine;
    process.waits_for_key = waits_for_key;
}

}  // namespace cellisp
