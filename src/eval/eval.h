#pragma once
// eval.h: the meaning of the program tree.
//
// An expression is evaluated in one table or in none (at the top level until the first define). Every value that
// comes back is owned by the caller (cell.h); an error ends the run through fail.
//
// Calls in tail position reuse their caller's place: the chosen branch of if, the result expression of the chosen
// cond clause, the expression that eval evaluates, and the last element of a function body when it is not a define
// form. Such a call's arguments are evaluated in the caller's table; then what the caller's call held (its table,
// its function, a value that eval made) is released, and the callee's body runs without a new level of the C stack.
// So a loop written as a tail call runs in constant space, however long it runs.

#include "cell/cell.h"

namespace cellisp {

// Registers the built-ins, reads the whole `text` and evaluates its top-level sequence with no table. Returns the
// value of the last expression that is not a define form, owned by the caller.
// REQUIRES: `text` is NUL-terminated and outlives every cell of the run.
Cell* run_program(const char* text);

// Evaluates the elements of `list` (borrowed) in order, handling define forms, and returns the value of the last
// element that is not one, owned by the caller. Each element becomes the current expression before it is handled;
// a define with no table at hand makes one for the rest of the sequence. `table` is borrowed, or nullptr.
Cell* eval_sequence(Cell* list, BindingTable* table);

// The value of `expression` (borrowed) in `table` (borrowed, or nullptr); owned by the caller.
Cell* eval(Cell* expression, BindingTable* table);

// True for a define form: a Pair whose head is the word define. Only a sequence gives it its meaning.
inline bool is_define_form(const Cell* expression) {
    return is_pair(expression) && pair_head(expression)->kind == CellKind::DefineMark;
}

}  // namespace cellisp
