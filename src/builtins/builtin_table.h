#pragma once
// builtin_table.h: the 21 built-in operations, their fixed order, and the shape every one of them follows.
//
// Every built-in receives its argument list unevaluated and borrowed (a part of the program tree, or of a value
// that `eval` runs) and the current table, borrowed or nullptr. It checks its argument count before evaluating
// anything, evaluates arguments from the first to the last, checks their kinds after evaluating them, and returns
// a fresh value owned by the caller; an error ends the run through fail. It never changes its arguments or any
// binding. Most are a BuiltinFn (cell.h). if, cond and eval are a TailFn: they return the expression whose value
// is theirs, and the evaluator evaluates it in their place, so that a call there is a tail call.

#include "cell/cell.h"

namespace cellisp {

constexpr int builtin_count = 21;

// The builtin table: one Builtin cell per operation, in the fixed order of the names below, made by
// register_builtins before the source text is read and permanent from then on. Written only by register_builtins.
extern Cell* builtin_cells[builtin_count];

// The names in table order; the cells and the messages refer to these very texts.
extern const char* const builtin_names[builtin_count];

constexpr int quote_index = 18;  // the entry that the quote mark reaches

// Fills the builtin table. Called once, first thing in a run.
void register_builtins();

// The entry points, in table order.
Cell* builtin_plus(Cell* args, BindingTable* table);
Cell* builtin_minus(Cell* args, BindingTable* table);
Cell* builtin_times(Cell* args, BindingTable* table);
Cell* builtin_divide(Cell* args, BindingTable* table);
Cell* builtin_greater(Cell* args, BindingTable* table);
Cell* builtin_less(Cell* args, BindingTable* table);
Cell* builtin_greater_equal(Cell* args, BindingTable* table);
Cell* builtin_less_equal(Cell* args, BindingTable* table);
Cell* builtin_not_equal(Cell* args, BindingTable* table);
Cell* builtin_equal(Cell* args, BindingTable* table);
Cell* builtin_lambda(Cell* args, BindingTable* table);  // eval/function.cpp
Cell* builtin_cond(Cell* args, BindingTable* table, Cell** made);  // a TailFn
Cell* builtin_if(Cell* args, BindingTable* table, Cell** made);    // a TailFn
Cell* builtin_cons(Cell* args, BindingTable* table);
Cell* builtin_car(Cell* args, BindingTable* table);
Cell* builtin_cdr(Cell* args, BindingTable* table);
Cell* builtin_null(Cell* args, BindingTable* table);
Cell* builtin_list(Cell* args, BindingTable* table);
Cell* builtin_quote(Cell* args, BindingTable* table);
Cell* builtin_spy(Cell* args, BindingTable* table);
Cell* builtin_eval(Cell* args, BindingTable* table, Cell** made);  // a TailFn

}  // namespace cellisp
