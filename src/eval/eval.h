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

// The value bound to the Symbol `name` in `table`, borrowed (see lookup); an unbound name ends the run with
// "Unkonwn identifier: " and the name, status 3.
Cell* value_of_name(const Cell* name, BindingTable* table);

// The value of `expression`, borrowed where it can be: a literal is its own value, and a name's value is read where
// its table holds it. When the value had to be made, *made is that value, owned by the caller, who releases it
// when done with it; otherwise *made is nullptr. Fails exactly as eval does. A borrowed value stays valid while
// `table` is unchanged, which holds for the whole evaluation of an expression: only a sequence binds names.
// This second path pays for itself in the arithmetic and the tests of if and cond, the commonest operands, where it
// saves a reference taken and dropped: without it fib, tak and ack run 3 to 5% more instructions.
inline Cell* eval_borrowed(Cell* expression, BindingTable* table, Cell** made) {
    *made = nullptr;
    switch (expression->kind) {
        case CellKind::Integer: return expression;
        case CellKind::Symbol: return value_of_name(expression, table);
        default: return *made = eval(expression, table);
    }
}

// True for a define form: a Pair whose head is the word define. Only a sequence gives it its meaning.
inline bool is_define_form(const Cell* expression) {
    return is_pair(expression) && pair_head(expression)->kind == CellKind::DefineMark;
}

}  // namespace cellisp
