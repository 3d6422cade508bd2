// function.cpp: lambda and calls of user functions.

#include "eval/function.h"

#include "builtins/builtin_table.h"
#include "cell/cell.h"
#include "driver/fail.h"
#include "env/binding_table.h"
#include "eval/eval.h"

namespace cellisp {
namespace {

// A call's table lives in apply_function's frame when it holds at most this many bindings (and so has at most
// this many buckets): enough for every function of up to three parameters.
constexpr int frame_bindings = 4;
constexpr int frame_buckets = 4;

// Parameter lists up to this long are checked for distinct names when the function is made.
constexpr long max_checked_params = 8;

// True when every element of the proper list `params` is a Symbol with a name of its own that is not empty.
bool are_distinct_names(const Cell* params) {
    for (const Cell* rest = params; is_pair(rest); rest = pair_tail(rest)) {
        const Cell* param = pair_head(rest);
        if (param->kind != CellKind::Symbol || symbol_canonical(param) == nullptr) return false;
        for (const Cell* before = params; before != rest; before = pair_tail(before)) {
            if (symbol_canonical(pair_head(before)) == symbol_canonical(param)) return false;
        }
    }
    return true;
}

// True when `list` is a proper list of exactly `count` elements; never fails, whatever `list` is.
bool is_list_of(const Cell* list, long count) {
    for (; count > 0 && is_pair(list); --count) list = pair_tail(list);
    return count == 0 && is_nil(list);
}

}  // namespace

// (lambda params body...): a new Function. Nothing in params or body is evaluated, and nothing there fails yet:
// a parameter that is not a Symbol fails when a call binds it.
Cell* builtin_lambda(Cell* args, BindingTable* table) {
    if (list_length(args) <= 1) fail(msg::lambda_arity, 5);
    Cell* params = pair_head(args);
    if (!is_nil(params) && !is_pair(params)) fail(msg::bad_parameters, 9);
    const long count = list_length(params);
    const bool distinct = count <= max_checked_params && are_distinct_names(params);
    BindingTable* captured = table_new(table == nullptr ? 1 : table_bucket_count(table));
    table_copy(table, captured);
    table_freeze(captured);  // a snapshot: later defines in `table` are not seen
    Cell* function = new_cell(CellKind::Function);
    function->slot[0].params = {static_cast<std::int32_t>(count), distinct};
    function->slot[1].cell = copy_value(params);
    function->slot[2].table = captured;
    function->slot[3].cell = copy_value(pair_tail(args));
    return function;
}

void bind_parameter(Cell* argument, Cell* param, BindingTable* caller_table, BindingTable* call_table) {
    table_insert(call_table, param, eval(argument, caller_table));
}

Cell* apply_function(Cell* function, Cell* args, BindingTable* caller_table, Cell* name) {
    long left = function_param_count(function);
    // Room for the parameters and the function's own name; more go one by one. The table of a call with few
    // parameters lives in this frame: nothing else ever refers to it.
    const int bindings = left < bucket_count ? static_cast<int>(left) + 1 : bucket_count;
    const int buckets = buckets_for(bindings);
    alignas(BindingTable) unsigned char frame[table_bytes(frame_buckets, frame_bindings)];
    const bool in_frame = bindings <= frame_bindings;
    BindingTable* call_table = in_frame ? table_make_in(frame, buckets, bindings) : table_new(buckets, bindings);
    table_copy(function_table(function), call_table);
    Cell* params = function_params(function);
    if (function_params_distinct(function) && is_list_of(args, left)) {
        // The usual call, with as many arguments as distinct parameters: nothing to check on the way.
        for (; left > 0; --left, args = pair_tail(args), params = pair_tail(params)) {
            table_insert_new(call_table, pair_head(params), eval(pair_head(args), caller_table));
        }
    } else if (!is_nil(args)) {
        // Arguments are evaluated and bound one by one, so a surplus is found only after the others are bound.
        while (left >= 1) {
            bind_parameter(head_of(args), head_of(params), caller_table, call_table);
            params = tail_of(params);
            args = tail_of(args);
            --left;
            if (is_nil(args)) break;
        }
        if (!is_nil(args)) fail(msg::user_call_arity, 5);
    }
    if (left != 0) fail(msg::user_call_arity, 5);
    // Bound after the parameters, so the name hides a parameter of the same name; this is how recursion works.
    if (name != nullptr) table_insert(call_table, name, copy_value(function));
    Cell* result = eval_sequence(function_body(function), call_table);
    if (in_frame) {
        table_finish_in_place(call_table);
    } else {
        table_release(call_table);
    }
    return result;
}

}  // namespace cellisp
