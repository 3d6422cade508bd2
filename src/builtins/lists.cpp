// lists.cpp: cons, car, cdr, list and null?.

#include "builtins/builtin_table.h"
#include "driver/fail.h"
#include "eval/eval.h"

namespace cellisp {
namespace {

// The value of the one argument of car, cdr or null?, after the count check.
Cell* evaluate_single(Cell* args, BindingTable* table, const char* arity_message) {
    if (!has_length(args, 1)) fail(arity_message, 5);
    return eval(pair_head(args), table);
}

}  // namespace

// Both values become parts of the new Pair; the tail may be of any kind.
Cell* builtin_cons(Cell* args, BindingTable* table) {
    if (!has_length(args, 2)) fail(msg::cons_arity, 5);
    Cell* head = eval(pair_head(args), table);
    Cell* tail = eval(pair_head(pair_tail(args)), table);
    return new_pair(head, tail);
}

Cell* builtin_car(Cell* args, BindingTable* table) {
    Cell* value = evaluate_single(args, table, msg::car_arity);
    if (!is_pair(value)) fail(msg::car_type, 6);
    Cell* first = copy_value(pair_head(value));  // taken before value goes: it may hold the only other reference
    release_value(value);
    return first;
}

Cell* builtin_cdr(Cell* args, BindingTable* table) {
    Cell* value = evaluate_single(args, table, msg::cdr_arity);
    if (!is_pair(value)) fail(msg::cdr_type, 6);
    Cell* rest = copy_value(pair_tail(value));
    release_value(value);
    return rest;
}

// Elements are evaluated from the first to the last, into a new list built along its tail.
Cell* builtin_list(Cell* args, BindingTable* table) {
    if (is_nil(args)) return new_cell(CellKind::Nil);
    Cell* first = new_pair(eval(head_of(args), table), nullptr);  // an improper list fails in head_of
    Cell* last = first;
    for (args = pair_tail(args); !is_nil(args); args = pair_tail(args)) {
        Cell* pair = new_pair(eval(head_of(args), table), nullptr);
        set_pair_tail(last, pair);
        last = pair;
    }
    set_pair_tail(last, new_cell(CellKind::Nil));
    return first;
}

Cell* builtin_null(Cell* args, BindingTable* table) {
    Cell* value = evaluate_single(args, table, msg::null_arity);
    if (!is_nil(value) && !is_pair(value)) fail(msg::null_type, 6);
    const bool empty = is_nil(value);
    release_value(value);
    return new_integer(empty ? 1 : 0);
}

}  // namespace cellisp
