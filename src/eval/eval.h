#pragma once
// eval.h: the meaning of the program tree.
//
// An expression is evaluated in one table or in none (at the top level until the first define). Every value that
// comes back is owned by the caller (cell.h); an error ends the run through fail.

namespace cellisp {

struct Cell;
struct BindingTable;

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

// The value of `expression`, borrowed where it can be: a literal is its own value, and a name's value is read where
// its table holds it. When the value had to be made, *made is that value, owned by the caller, who releases it
// when done with it; otherwise *made is nullptr. Fails exactly as eval does. A borrowed value stays valid while
// `table` is unchanged, which holds for the whole evaluation of an expression: only a sequence binds names.
Cell* eval_borrowed(Cell* expression, BindingTable* table, Cell** made);

// The work of a define form whose arguments are `args`: evaluates the second argument in `table` and binds the
// first to it there. REQUIRES: table is not nullptr and not frozen.
void define_binding(Cell* args, BindingTable* table);

}  // namespace cellisp
