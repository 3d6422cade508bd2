#pragma once
// builtin_table.h: the 21 built-in operations, their fixed order, and the shape every one of them follows.
//
// Every built-in receives its argument list unevaluated and borrowed (a part of the program tree, or of a value
// that `eval` runs) and the current table, borrowed or nullptr. It checks its argument count before evaluating
// anything, evaluates arguments from the first to the last, checks their kinds after evaluating them, and returns
// a fresh value owned by the caller; an error ends the run through fail. It never changes its arguments or any
// binding. Most are a BuiltinFn (cell.h). if, cond and eval are a TailFn: they return the expression whose value
// is theirs, and the evaluator evaluates it in their place, so that a call there is a tail call. The six
// comparisons also have a TestFn, which if and cond call for a test that is a comparison: the commonest test of
// all then makes no value to be checked and dropped.

#include "cell/cell.h"

namespace cellisp {

// The built-ins in their fixed order, which is the order of the names below and of the builtin table. Every use
// of an entry goes by its name here, never by a number.
// The ids and the names are laid out alike, so that each name is found beside its id.
// clang-format off
enum class BuiltinId : int {
    Plus, Minus, Times, Divide, Greater, Less, GreaterEqual, LessEqual, NotEqual, Equal, Lambda,
    Cond, If, Cons, Car, Cdr, Null, List, Quote, Spy, Eval,
};

constexpr int builtin_count = 21;

// The names, in the order of BuiltinId; the cells and the messages refer to these very texts.
inline constexpr const char* builtin_names[builtin_count] = {
    "+", "-", "*", "/", ">", "<", ">=", "<=", "!=", "=", "lambda",
    "cond", "if", "cons", "car", "cdr", "null?", "list", "quote", "spy", "eval",
};
// clang-format on
static_assert(static_cast<int>(BuiltinId::Eval) + 1 == builtin_count, "one name for each BuiltinId");

// The entry's name.
inline const char* builtin_name_of(BuiltinId id) { return builtin_names[static_cast<int>(id)]; }

// The builtin table: one Builtin cell per operation, made by register_builtins before the source text is read and
// permanent from then on (process.builtin_cells, written only by register_builtins). nullptr before that.
Cell* builtin_cell(BuiltinId id);

// Fills the builtin table. Called once, first thing in a run.
void register_builtins();

// The entry points, in the order of BuiltinId.
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
Cell* builtin_lambda(Cell* args, BindingTable* table);   // eval/function.cpp
TailStep builtin_cond(Cell* args, BindingTable* table);  // a TailFn
TailStep builtin_if(Cell* args, BindingTable* table);    // a TailFn
Cell* builtin_cons(Cell* args, BindingTable* table);
Cell* builtin_car(Cell* args, BindingTable* table);
Cell* builtin_cdr(Cell* args, BindingTable* table);
Cell* builtin_null(Cell* args, BindingTable* table);
Cell* builtin_list(Cell* args, BindingTable* table);
Cell* builtin_quote(Cell* args, BindingTable* table);
Cell* builtin_spy(Cell* args, BindingTable* table);
TailStep builtin_eval(Cell* args, BindingTable* table);  // a TailFn

// The test entries of the comparisons (TestFn).
bool greater_holds(Cell* args, BindingTable* table);
bool less_holds(Cell* args, BindingTable* table);
bool greater_equal_holds(Cell* args, BindingTable* table);
bool less_equal_holds(Cell* args, BindingTable* table);
bool not_equal_holds(Cell* args, BindingTable* table);
bool equal_holds(Cell* args, BindingTable* table);

}  // namespace cellisp
