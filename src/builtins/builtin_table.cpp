// builtin_table.cpp: the table of built-in operations.

#include "builtins/builtin_table.h"

namespace cellisp {

Cell* builtin_cells[builtin_count];

const char* const builtin_names[builtin_count] = {
    "+", "-", "*", "/", ">", "<", ">=", "<=", "!=", "=", "lambda",
    "cond", "if", "cons", "car", "cdr", "null?", "list", "quote", "spy", "eval",
};

namespace {

// Each built-in has exactly one entry point: it makes its value, or (tail) chooses the expression whose value is
// its value.
struct Entry {
    BuiltinFn entry;
    TailFn tail_entry;
};

constexpr Entry builtin_entries[builtin_count] = {
    {builtin_plus, nullptr},       {builtin_minus, nullptr},      {builtin_times, nullptr},
    {builtin_divide, nullptr},     {builtin_greater, nullptr},    {builtin_less, nullptr},
    {builtin_greater_equal, nullptr}, {builtin_less_equal, nullptr}, {builtin_not_equal, nullptr},
    {builtin_equal, nullptr},      {builtin_lambda, nullptr},     {nullptr, builtin_cond},
    {nullptr, builtin_if},         {builtin_cons, nullptr},       {builtin_car, nullptr},
    {builtin_cdr, nullptr},        {builtin_null, nullptr},       {builtin_list, nullptr},
    {builtin_quote, nullptr},      {builtin_spy, nullptr},        {nullptr, builtin_eval},
};

}  // namespace

void register_builtins() {
    for (int i = 0; i < builtin_count; ++i) {
        Cell* cell = new_builtin(builtin_names[i], builtin_entries[i].entry, builtin_entries[i].tail_entry);
        make_permanent(cell);
        builtin_cells[i] = cell;
    }
}

}  // namespace cellisp
