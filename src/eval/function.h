#pragma once
// function.h: user functions: the lambda built-in, and the table a call runs in.
//
// A Function (made by the lambda built-in) holds its parameter count, the number of define forms in its body,
// references to its parameter list and body (cells of the tree, or of a value that `eval` ran) and its captured
// table: a snapshot of the bindings in force where the lambda was evaluated, never changed afterwards (nullptr
// when there were none). The evaluator (eval.h) makes a call in two steps: bind_arguments makes the call's table,
// then the body runs in it as a sequence.

namespace cellisp {

struct Cell;
struct BindingTable;

// The table of a call of `function` (borrowed) with the unevaluated argument list `args` (borrowed), made from
// `caller_table` (borrowed, or nullptr): a new table that sees the function's snapshot, with the arguments
// evaluated from the first to the last in the caller's table and bound to the parameters one by one, then `name`
// (the Symbol at the head of the call, or nullptr when the head was an expression) bound to the function, hiding a
// parameter of the same name. It has room for the body's define forms. Owned by the caller.
// Too few or too many arguments end the run with "Wrong number of arguments in user function call\n", status 5:
// a surplus is found after the arguments that have parameters are bound, and is never evaluated. A parameter that
// is not a Symbol ends the run with "Can't add this to hash\n", status 8, after its argument is evaluated.
BindingTable* bind_arguments(Cell* function, Cell* args, BindingTable* caller_table, Cell* name);

}  // namespace cellisp
