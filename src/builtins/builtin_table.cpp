// builtin_table.cpp: the table of built-in operations.

#include "builtins/builtin_table.h"

#include "driver/process.h"

namespace cellisp {

namespace {

// Each built-in has exactly one of the first two entry points: it makes its value, or (tail) chooses the expression
// whose value is its value. A comparison also has a test entry. The rows are in the order of BuiltinId.
struct Entry {
    BuiltinId id;
    BuiltinFn entry;
    TailFn tail_entry;
    TestFn test_entry;
};

constexpr Entry builtin_entries[builtin_count] = {
    {BuiltinId::Plus, builtin_plus, nullptr, nullptr},
    {BuiltinId::Minus, builtin_minus, nullptr, nullptr},
    {BuiltinId::Times, builtin_times, nullptr, nullptr},
    {BuiltinId::Divide, builtin_divide, nullptr, nullptr},
    {BuiltinId::Greater, builtin_greater, nullptr, greater_holds},
    {BuiltinId::Less, builtin_less, nullptr, less_holds},
    {BuiltinId::GreaterEqual, builtin_greater_equal, nullptr, greater_equal_holds},
    {BuiltinId::LessEqual, builtin_less_equal, nullptr, less_equal_holds},
    {BuiltinId::NotEqual, builtin_not_equal, nullptr, not_equal_holds},
    {BuiltinId::Equal, builtin_equal, nullptr, equal_holds},
    {BuiltinId::Lambda, builtin_lambda, nullptr, nullptr},
    {BuiltinId::Cond, nullptr, builtin_cond, nullptr},
    {BuiltinId::If, nullptr, builtin_if, nullptr},
    {BuiltinId::Cons, builtin_cons, nullptr, nullptr},
    {BuiltinId::Car, builtin_car, nullptr, nullptr},
    {BuiltinId::Cdr, builtin_cdr, nullptr, nullptr},
    {BuiltinId::Null, builtin_null, nullptr, nullptr},
    {BuiltinId::List, builtin_list, nullptr, nullptr},
    {BuiltinId::Quote, builtin_quote, nullptr, nullptr},
    {BuiltinId::Spy, builtin_spy, nullptr, nullptr},
    {BuiltinId::Eval, nullptr, builtin_eval, nullptr},
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
        Cell* cell = new_builtin(builtin_names[i], builtin_entries[i].entry, builtin_entries[i].tail_entry,
                                 builtin_entries[i].test_entry);
        make_permanent(cell);
        process.builtin_cells[i] = cell;
    }
}

Cell* builtin_cell(BuiltinId id) { return process.builtin_cells[static_cast<int>(id)]; }

}  // namespace cellisp
