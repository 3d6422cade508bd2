// function.cpp: lambda, and the tables that calls of user functions run in.

#include "eval/function.h"

#include "builtins/builtin_table.h"
#include "cell/cell.h"
#include "driver/fail.h"
#include "env/binding_table.h"
#include "eval/eval.h"

namespace cellisp {
namespace {

long count_define_forms(const Cell* body) {
    long count = 0;
    for (; is_pair(body); body = pair_tail(body)) count += is_define_form(pair_head(body)) ? 1 : 0;
    return count;
}

}  // namespace

// (lambda params body...): a new Function. Nothing in params or body is evaluated, and nothing there fails yet:
// a parameter that is not a Symbol fails when a call binds it.
Cell* builtin_lambda(Cell* args, BindingTable* table) {
    if (list_length(args) <= 1) fail(msg::lambda_arity, 5);
    Cell* params = pair_head(args);
    if (!is_nil(params) && !is_pair(params)) fail(msg::bad_parameters, 9);
    const long count = list_length(params);
    Cell* body = pair_tail(args);
    // A list that fits in memory has fewer than 2^31 elements, so both counts fit.
    return new_function(static_cast<std::int32_t>(count), static_cast<std::int32_t>(count_define_forms(body)),
                        copy_value(params), table_copy(table), copy_value(body));
}

BindingTable* bind_arguments(Cell* function, Cell* args, BindingTable* caller_table, Cell* name) {
    long left = function_param_count(function);
    const long room = left + (name != nullptr ? 1 : 0) + function_define_count(function);
    BindingTable* call_table = table_for_call(function_table(function), room);
    Cell* params = function_params(function);
    if (!is_nil(args)) {
        while (left >= 1) {
            Cell* value = eval(head_of(args), caller_table);  // an improper argument list fails in head_of
            table_insert(call_table, pair_head(params), value);
            params = pair_tail(params);
            args = tail_of(args);
            --left;
            if (is_nil(args)) break;
        }
        if (!is_nil(args)) fail(msg::user_call_arity, 5);
    }
    if (left != 0) fail(msg::user_call_arity, 5);
    // Bound after the parameters, so the name hides a parameter of the same name; this is how recursion works.
    if (name != nullptr) table_insert(call_table, name, copy_value(function));
    return call_table;
}

}  // namespace cellisp
