#pragma once
// function.h: calls of user functions.
//
// A Function (made by the lambda built-in) holds its parameter count, its parameter list and body (references to
// cells of the tree, or of a value that `eval` ran) and its captured table: a frozen snapshot of the bindings in
// force where the lambda was evaluated. A call evaluates the arguments in the caller's table, binds them in a new
// table that sees the snapshot, binds the function's own name when it was called by name, and runs the body.

namespace cellisp {

struct Cell;
struct BindingTable;

// The value of the body of `function` (borrowed) called with the unevaluated `args` (borrowed) from
// `caller_table` (borrowed, or nullptr); owned by the caller. `name` is the Symbol at the head of the call, or
// nullptr when the head was an expression.
Cell* apply_function(Cell* function, Cell* args, BindingTable* caller_table, Cell* name);

// Binds `param` (a cell of the parameter list) in `call_table` to the value of `argument` in `caller_table`.
// A parameter that is not a Symbol ends the run with "Can't add this to hash\n", after the argument is evaluated.
void bind_parameter(Cell* argument, Cell* param, BindingTable* caller_table, BindingTable* call_table);

}  // namespace cellisp
