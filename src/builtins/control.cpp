// control.cpp: cond, if, quote, spy and eval.

#include <cstdio>

#include "builtins/builtin_table.h"
#include "driver/fail.h"
#include "eval/eval.h"
#include "printer/printer.h"

namespace cellisp {
namespace {

// The value of a test: an Integer, of which only "zero or not" counts. An Integer literal, such as the 1 of a last
// clause that always holds, is read where it stands, as eval would copy it. A comparison, the commonest test, is
// asked whether it holds, which is what its Integer would say; its quick path evaluates nothing, and its full path
// checks the stack before it does.
bool evaluate_test(Cell* test, BindingTable* table) {
    if (test->kind == CellKind::Integer) return integer_value(test) != 0;
    if (is_pair(test)) {
        const Cell* head = pair_head(test);
        if (head->kind == CellKind::Builtin && builtin_test_entry(head) != nullptr) {
            return builtin_test_entry(head)(pair_tail(test), table);
        }
    }
    Cell* value = eval(test, table);
    if (value->kind != CellKind::Integer) fail(msg::condition_type, 6);
    const bool holds = integer_value(value) != 0;
    release_value(value);
    return holds;
}

}  // namespace

// Tests are evaluated in order up to the first that holds; then that clause's first result expression is the value.
// With no test that holds the value is 0, a permanent cell that evaluates to itself.
TailStep builtin_cond(Cell* args, BindingTable* table) {
    // No clauses fail before any test; so does a clause list that does not end in Nil, found when its length is
    // first counted (list_length keeps it in the first Pair: a Pair whose length is kept starts a proper list).
    if (!is_pair(args)) fail_named(msg::named_arity, builtin_name_of(BuiltinId::Cond), 5);
    if (pair_counted_length(args) == 0) list_length(args);
    for (Cell* clauses = args; !is_nil(clauses); clauses = pair_tail(clauses)) {
        Cell* clause = pair_head(clauses);
        if (!evaluate_test(head_of(clause), table)) continue;  // a clause that is not a list fails in head_of
        Cell* rest = pair_tail(clause);
        if (!is_pair(rest)) fail(msg::no_return_value, 5);
        return {pair_head(rest), nullptr};
    }
    return {new_integer(0), nullptr};
}

// if reports its errors with cond's texts.
TailStep builtin_if(Cell* args, BindingTable* table) {
    if (!has_length(args, 3)) fail(msg::no_return_value, 5);
    Cell* branches = pair_tail(args);
    return {evaluate_test(pair_head(args), table) ? pair_head(branches) : pair_head(pair_tail(branches)), nullptr};
}

// Arguments after the first are ignored; with none, head_of fails with "Must be CONS".
Cell* builtin_quote(Cell* args, BindingTable*) { return copy_value(head_of(args)); }

Cell* builtin_spy(Cell* args, BindingTable* table) {
    if (!has_length(args, 1)) fail(msg::spy_arity, 5);
    Cell* value = eval(pair_head(args), table);
    print_value(value);
    std::fputc('\n', stdout);
    return value;
}

// The argument's value is the expression, evaluated in the same table. The evaluator keeps the value until that
// evaluation is done; a Function made meanwhile keeps its own references to the parts of the value it uses.
TailStep builtin_eval(Cell* args, BindingTable* table) {
    if (!has_length(args, 1)) fail(msg::eval_arity, 5);
    Cell* value = eval(pair_head(args), table);
    return {value, value};
}

}  // namespace cellisp
