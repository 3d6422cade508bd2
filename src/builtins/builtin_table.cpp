// builtin_table.cpp: the table of built-in operations.

#include "builtins/builtin_table.h"

#include "driver/process.h"

namespace cellisp {

namespace {

// Each built-in has exactly one entry point: it makes its value, or (tail) chooses the expression whose value is
// its value. The rows are in the order of BuiltinId, each beside its name.
struct Entry {
    BuiltinId id;
    BuiltinFn entry;
    TailFn tail_entry;
};

constexpr Entry builtin_entries[builtin_count] = {
    {BuiltinId::Plus, builtin_plus, nullptr},
    {BuiltinId::Minus, builtin_minus, nullptr},
    {BuiltinId::Times, builtin_times, nullptr},
    {BuiltinId::Divide, builtin_divide, nullptr},
    {BuiltinId::Greater, builtin_greater, nullptr},
    {BuiltinId::Less, builtin_less, nullptr},
    {BuiltinId::GreaterEqual, builtin_greater_equal, nullptr},
    {BuiltinId::LessEqual, builtin_less_equal, nullptr},
    {BuiltinId::NotEqual, builtin_not_equal, nullptr},
    {BuiltinId::Equal, builtin_equal, nullptr},
    {BuiltinId::Lambda, builtin_lambda, nullptr},
    {BuiltinId::Cond, nullptr, builtin_cond},
    {BuiltinId::If, nullptr, builtin_if},
    {BuiltinId::Cons, builtin_cons, nullptr},
    {BuiltinId::Car, builtin_car, nullptr},
    {BuiltinId::Cdr, builtin_cdr, nullptr},
    {BuiltinId::Null, builtin_null, nullptr},
    {BuiltinId::List, builtin_list, nullptr},
    {BuiltinId::Quote, builtin_quote, nullptr},
    {BuiltinId::Spy, builtin_spy, nullptr},
    {BuiltinId::Eval, nullptr, builtin_eval},
};

constexpr bool in_table_order() {
    for (int i = 0; i < builtin_count; ++i) {
        if (static_cast<int>(builtin_entries[i].id) != i) return false;
    }
    return true;
}
static_assert(in_table_order(), "builtin_entries must list the entries in the order of BuiltinId");

}  // namespace

void register_builtins() {
    for (int i = 0; i < builtin_count; ++i) {
        Cell* cell = new_builtin(builtin_names[i], builtin_entries[i].entry, builtin_entries[i].tail_entry);
        make_permanent(cell);
        process.builtin_cells[i] = cell;
    }
}

Cell* builtin_cell(BuiltinId id) { return process.builtin_cells[static_cast<int>(id)]; }

}  // namespace cellisp
