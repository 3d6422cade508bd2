// builtin_table.cpp: the table of built-in operations.

#include "builtins/builtin_table.h"

namespace cellisp {

Cell* builtin_cells[builtin_count];

const char* const builtin_names[builtin_count] = {
    "+", "-", "*", "/", ">", "<", ">=", "<=", "!=", "=", "lambda",
    "cond", "if", "cons", "car", "cdr", "null?", "list", "quote", "spy", "eval",
};

namespace {

constexpr BuiltinFn builtin_entries[builtin_count] = {
    builtin_plus,  builtin_minus, builtin_times, builtin_divide, builtin_greater, builtin_less,
    builtin_greater_equal, builtin_less_equal, builtin_not_equal, builtin_equal, builtin_lambda,
    builtin_cond,  builtin_if,    builtin_cons,  builtin_car,    builtin_cdr,     builtin_null,
    builtin_list,  builtin_quote, builtin_spy,   builtin_eval,
};

}  // namespace

void register_builtins() {
    for (int i = 0; i < builtin_count; ++i) {
        Cell* cell = new_cell(CellKind::Builtin);
        cell->slot[0].text = builtin_names[i];
        cell->slot[1].entry = builtin_entries[i];
        make_permanent(cell);
        builtin_cells[i] = cell;
    }
}

}  // namespace cellisp
