#pragma once
// process.h: everything a run holds besides its cells, in one record, and the one reset between runs.
//
// The interpreter runs one program per process, so what a run holds is process-wide: the `process` record below,
// defined once in process.cpp. Each field names the one module that writes it; no other module writes it. The
// layouts of the inner records belong to the modules named beside them.
// A harness that runs many programs in one process (the fuzzer) calls reset_process between runs.

#include <cstddef>
#include <cstdint>

#include "builtins/builtin_table.h"
#include "cell/memory.h"
#include "driver/fail.h"

namespace cellisp {

// The allocator's free lists and chunks (cell/memory.cpp).
struct FreeBlock {
    FreeBlock* next;
};
struct Chunk {
    Chunk* next;
    std::size_t bytes;  // the whole chunk, this header included
};
struct TrackedBlock {  // the header of a block in a build that tracks every block
    TrackedBlock* previous;
    TrackedBlock* next;
};
struct MemoryState {
    FreeBlock* free_blocks[pool_count];  // freed blocks of each pool, chained through their first word
    char* fresh_begin[pool_count];       // the part of each pool's newest chunk not handed out yet
    char* fresh_end[pool_count];
    Chunk* chunks;         // every chunk taken, for the whole run
    long chunk_count;      // how many
    long requests_left;    // fail_memory_after's countdown; negative when off
    TrackedBlock tracked;  // the ring of tracked blocks; empty while its links are nullptr
};

// The matching parentheses of the text being read, found in one pass (reader/chars.cpp). Every '(' of the text, in
// order, with the offset of the ')' that balances it.
struct ParenIndex {
    const char* text;
    std::size_t length;     // bytes before the text's first NUL
    std::uint32_t* opens;   // offsets of the '(' bytes, ascending
    std::uint32_t* closes;  // offset of the balancing ')', or UINT32_MAX when the text ends first
    std::size_t count;
};

// The names read so far: an open-addressing set of the first Symbol read for each name (reader/reader.cpp).
struct NameSet {
    Cell** slots;
    std::size_t capacity;  // a power of two, or 0
    std::size_t count;
};

struct ProcessState {
    MemoryState memory;                  // cell/memory.cpp
    long live_cells;                     // cell/cell.cpp: value cells made and not yet reclaimed
    Cell* builtin_cells[builtin_count];  // builtins/builtin_table.cpp (register_builtins), in BuiltinId order
    ParenIndex parens;                   // reader/chars.cpp (index_parentheses)
    NameSet names;                       // reader/reader.cpp
    Cell* volatile program_tree;         // eval/eval.cpp (run_program); volatile, so the store that keeps the
                                         // tree reachable for leak checkers is not optimised away
    Cell* current_expression;            // driver/fail.cpp (set_current_expression); one reference held
    int failure_status;                  // driver/fail.cpp: the failure being reported, 0 when none
    std::uintptr_t stack_floor;          // driver/stack.cpp: the lowest address check_stack lets a run reach
    long work_budget;                    // the fuzzing harness, before each run; check_stack counts it down there
    ExitRoutine exit_routine;            // driver/fail.cpp (set_exit_routine): the way out after the wait
    bool waits_for_key;                  // driver/fail.cpp (set_exit_routine)
};

extern ProcessState process;

// Makes the process ready for another run: gives back the memory the run held (reclaim_all_memory: all of it in a
// build that tracks memory, the pools' chunks otherwise) and forgets everything else it held. The exit routine and
// the wait stay as set. Cells that the last run left alive must never be touched again.
void reset_process();

}  // namespace cellisp
