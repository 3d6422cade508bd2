#pragma once
// support.h: reading small texts into trees for unit tests.

#include <cstdlib>

#include "builtins/builtin_table.h"
#include "cell/cell.h"
#include "driver/fail.h"
#include "reader/reader.h"

namespace cellisp::testing {

// A failure in a death test must not wait for a key.
inline const bool failures_do_not_wait = (set_exit_routine([](int status) { std::exit(status); }, false), true);

// The top-level list of `text`. The text must outlive the tree: pass string literals.
inline Cell* read_text(const char* text) {
    static bool registered = false;
    if (!registered) register_builtins();
    registered = true;
    return read_program(text);
}

// The n-th element (from 0) of a list.
inline Cell* element(Cell* list, int n) {
    while (n-- > 0) list = pair_tail(list);
    return pair_head(list);
}

}  // namespace cellisp::testing
