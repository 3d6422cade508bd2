// function.cpp: lambda, the built-in that makes a Function.
//
// A Function holds its parameter count, the number of define forms in its body, whether its parameters are
// distinct names and the buckets of their names, references to its parameter list and body (cells of the tree, or
// of a value that `eval` ran) and its captured table: a snapshot of the bindings in force where the lambda was
// evaluated, never changed afterwards (nullptr when there were none). A call of it is made by the evaluator (eval.cpp).

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

// True when every parameter is a Symbol with a name and no two share one. The check is quadratic, so only short
// lists are checked; a longer one is bound as any other list is.
bool has_distinct_names(const Cell* params) {
    constexpr int most_checked = 16;
    int checked = 0;
    for (const Cell* p = params; is_pair(p); p = pair_tail(p)) {
        const Cell* name = pair_head(p);
        if (name->kind != CellKind::Symbol || symbol_canonical(name) == nullptr || ++checked > most_checked) {
            return false;
        }
        for (const Cell* q = params; q != p; q = pair_tail(q)) {
            if (symbol_canonical(pair_head(q)) == symbol_canonical(name)) return false;
        }
    }
    return true;
}

// The bits of function_may_have_param: one for each parameter's bucket, or all of them when the names are not
// distinct (a parameter that is not a Symbol has no bucket).
std::uint32_t param_buckets(const Cell* params, bool distinct_names) {
    if (!distinct_names) return UINT32_MAX;
    std::uint32_t bits = 0;
    for (const Cell* p = params; is_pair(p); p = pair_tail(p)) {
        bits |= 1u << (symbol_bucket(pair_head(p)) & 31);
    }
    return bits;
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
    const bool distinct = has_distinct_names(params);
    return new_function(static_cast<std::int32_t>(count), static_cast<std::int32_t>(count_define_forms(body)), distinct,
                        param_buckets(params, distinct), copy_value(params), table_copy(table), copy_value(body));
}

}  // namespace cellisp
