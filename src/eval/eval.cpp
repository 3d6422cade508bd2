// eval.cpp: the top level, sequences, define and the evaluation of one expression.

#include "eval/eval.h"

#include <cassert>

#include "builtins/builtin_table.h"
#include "driver/fail.h"
#include "driver/process.h"
#include "driver/stack.h"
#include "env/binding_table.h"
#include "reader/reader.h"

namespace cellisp {
namespace {

// The value bound to the Symbol `name` in `table`, borrowed (see lookup); an unbound name ends the run with
// "Unkonwn identifier: " and the name, status 3. Out of line: made inside eval_call, for an argument that is a name,
// it made the compiler keep one more value on eval_call's frame (96 bytes instead of 80, which every level of
// recursion pays), and out of line it costs about what it saves (fib 1.3% fewer instructions, ack 0.3% more).
[[gnu::noinline]] Cell* value_of_name(const Cell* name, BindingTable* table) {
    Cell* value = lookup(name, table);
    if (value == nullptr) fail_with_name(msg::unknown_identifier, symbol_name(name), 3);
    return value;
}

// The work of a define form whose arguments are `args`: evaluates the second argument in `table` and binds the
// first to it there. Out of line, so that the sequences of bodies without defines stay short.
[[gnu::noinline]] void define_binding(Cell* args, BindingTable* table) {
    Cell* rest = tail_of(args);  // (define) fails here with "Must be CONS"
    if (!is_pair(rest) || !is_nil(pair_tail(rest))) fail(msg::define_syntax, 9);
    // The value is evaluated before the name is bound: (define x (+ x 1)) sees the old x.
    Cell* value = eval(pair_head(rest), table);
    table_insert(table, pair_head(args), value);
}

// Runs the elements of `list` as a sequence in *table, up to its tail position: its last element, when that is not
// a define form. Returns that element (borrowed), already the current expression and with the value before it
// released, for the caller to evaluate as the value of the sequence. When the last element is a define form,
// returns nullptr and sets *value to the value of the sequence, owned by the caller. A define with no table at
// hand makes *table for the rest of the sequence; the caller owns it.
[[gnu::always_inline]] inline Cell* run_to_tail(Cell* list, BindingTable** table, Cell** value) {
    Cell* last_value = nullptr;  // only the last value is kept
    for (;;) {
        Cell* expression = head_of(list);  // a Nil sequence fails here with "Must be CONS"
        set_current_expression(expression);
        Cell* rest = pair_tail(list);
        if (is_define_form(expression)) {
            if (*table == nullptr) *table = table_new();
            define_binding(pair_tail(expression), *table);
            if (is_nil(rest)) break;
        } else {
            if (last_value != nullptr) release_value(last_value);
            if (is_nil(rest)) return expression;
            last_value = eval(expression, *table);
        }
        list = rest;
    }
    if (last_value == nullptr) {
        set_current_expression(nullptr);
        fail(msg::nothing_called, 8);
    }
    *value = last_value;
    return nullptr;
}

// What one level of evaluation holds while it runs calls in tail position, one after another: a reference to the
// table it evaluates in (its caller's until it calls a user function, then that call's table; nullptr for the top
// level before its first define), a reference to the Function being run when nothing else is sure to keep it (the
// body being run is the Function's), and a value that eval made and that is being evaluated. Each is nullptr when
// not held.
struct Frame {
    BindingTable* table = nullptr;
    Cell* function = nullptr;
    Cell* expression = nullptr;
};

void release_frame(const Frame& frame) {
    if (frame.table != nullptr) table_release(frame.table);
    if (frame.function != nullptr) release_value(frame.function);
    if (frame.expression != nullptr) release_value(frame.expression);
}

// The table of a call of `function` (borrowed) with the unevaluated argument list `args` (borrowed), made from
// `caller_table` (borrowed, or nullptr): a new table that sees the function's snapshot, with the arguments
// evaluated from the first to the last in the caller's table and bound to the parameters one by one, then `name`
// (the Symbol at the head of the call, or nullptr when the head was an expression) bound to the function, hiding a
// parameter of the same name. It has room for the body's define forms. Owned by the caller.
// Too few or too many arguments end the run with "Wrong number of arguments in user function call\n", status 5:
// a surplus is found after the arguments that have parameters are bound, and is never evaluated. A parameter that
// is not a Symbol ends the run with "Can't add this to hash\n", status 8, after its argument is evaluated.
//
// Made inside eval_call, so that a call whose argument is a call of a user function (ack's (ack m (- n 1))) takes
// one frame of the C stack a level of recursion, not two: ack runs in a fifth less time, fib and tak in 8% less.
// What the loop keeps while an argument is evaluated is kept small, since it makes eval_call's frame, which every
// level of recursion has: no count of the parameters left (lambda counted them, so they are a proper list of that
// many names) and no flag read before the loop.
[[gnu::always_inline]] inline BindingTable* bind_arguments(Cell* function, Cell* args, BindingTable* caller_table,
                                                           Cell* name) {
    const long room = function_param_count(function) + (name != nullptr ? 1 : 0) + function_define_count(function);
    BindingTable* call_table = table_for_call(function_table(function), room);
    for (Cell* params = function_params(function); is_pair(params); params = pair_tail(params)) {
        if (is_nil(args)) fail(msg::user_call_arity, 5);
        Cell* value = eval(head_of(args), caller_table);  // an improper argument list fails in head_of
        if (function_has_distinct_names(function)) {
            table_add(call_table, pair_head(params), value);
        } else {
            table_insert(call_table, pair_head(params), value);
        }
        args = pair_tail(args);
    }
    if (!is_nil(args)) fail(msg::user_call_arity, 5);
    // Bound after the parameters, so the name hides a parameter of the same name; this is how recursion works. A name
    // that no parameter can share is bound without looking for one (it has a canonical Symbol: lookup found it):
    // tak and ack run 3% fewer instructions for it, fib and loop 2 to 3%.
    if (name != nullptr) {
        if (function_may_have_param(function, name)) {
            table_insert(call_table, name, copy_value(function));
        } else {
            table_add(call_table, name, copy_value(function));
        }
    }
    return call_table;
}

// A call, and every call in tail position after it: the head decides what is called. Built-ins get their
// arguments unevaluated. Kept out of line, so that eval stays small for the literals, names and calls of built-ins
// that most evaluations are; every level of non-tail recursion through a user function passes here once.
[[gnu::noinline]] Cell* eval_call(Cell* expression, BindingTable* caller_table) {
    check_call_stack();  // a turn of the loop below goes no deeper, and what it evaluates checks for itself
    // The frame holds the caller's table too, so that one value says which table it evaluates in. With the caller's
    // and the frame's kept apart, checking the stack once, here, instead of at every turn made the compiler keep one
    // more value on eval_call's frame (96 bytes instead of 80, which every level of recursion pays).
    Frame frame{table_share(caller_table)};
    BindingTable*& table = frame.table;
    Cell* result;
    for (;;) {
        count_work();  // so that in the fuzzing build an endless tail loop ends too
        if (!is_pair(expression)) {
            result = eval(expression, table);
            break;
        }
        Cell* head = pair_head(expression);
        Cell* args = pair_tail(expression);
        if (head->kind == CellKind::Builtin) {
            if (BuiltinFn entry = builtin_entry(head)) {
                result = entry(args, table);
                break;
            }
            const TailStep step = builtin_tail_entry(head)(args, table);
            expression = step.expression;
            if (step.made != nullptr) {
                if (frame.expression != nullptr) release_value(frame.expression);
                frame.expression = step.made;
            }
            continue;
        }
        Cell* function = nullptr;
        Cell* name = nullptr;  // the Symbol the function is called by, if any
        switch (head->kind) {
            case CellKind::Pair: function = eval(head, table); break;
            case CellKind::Symbol:
                function = lookup(head, table);
                if (function == nullptr) fail_with_name(msg::unknown_function, symbol_name(head), 3);
                name = head;
                break;
            default: fail(msg::syntax_error, 9);  // Nil, String, Integer, Function or define at the head
        }
        if (function->kind != CellKind::Function) fail(msg::not_a_function, 6);
        BindingTable* call_table = bind_arguments(function, args, table, name);
        // The arguments are bound: what the frame held is done with. A function called by name was borrowed from
        // `table`, which may be a call's table about to go; but the new table binds the name to the function, and
        // only a define in the body can replace that binding: so the frame takes a reference of its own only for a
        // body with defines. A function made by the head was owned already.
        Cell* keep = nullptr;
        if (name == nullptr) {
            keep = function;
        } else if (function_define_count(function) != 0) {
            keep = copy_value(function);
        }
        release_frame(frame);
        frame = Frame{call_table, keep, nullptr};
        Cell* value;
        expression = run_to_tail(function_body(function), &table, &value);
        assert(table == call_table);  // the call's table has room for the body's defines
        if (expression == nullptr) {
            result = value;
            break;
        }
    }
    release_frame(frame);
    return result;
}

}  // namespace

Cell* run_program(const char* text) {
    register_builtins();
    process.program_tree = read_program(text);  // kept for the whole run: values and Functions share its cells
    return eval_sequence(process.program_tree, nullptr);
}

Cell* eval_sequence(Cell* list, BindingTable* table) {
    BindingTable* const given = table;
    Cell* value;
    Cell* last = run_to_tail(list, &table, &value);
    if (last != nullptr) value = eval(last, table);
    if (table != given) table_release(table);  // the table a first define made
    return value;
}

Cell* eval(Cell* expression, BindingTable* table) {
    switch (expression->kind) {
        case CellKind::Nil:
        case CellKind::String:
        case CellKind::Integer: return copy_value(expression);
        case CellKind::Symbol: return copy_value(value_of_name(expression, table));
        case CellKind::Pair: {
            // Most calls are of built-ins that make their value: they need no frame.
            const Cell* head = pair_head(expression);
            if (head->kind != CellKind::Builtin || builtin_entry(head) == nullptr) return eval_call(expression, table);
            check_call_stack();  // nesting of built-in calls in a value that eval runs is bounded only by memory
            return builtin_entry(head)(pair_tail(expression), table);
        }
        default: fail(msg::syntax_error, 9);  // a Function, Builtin or define cell by itself
    }
}

}  // namespace cellisp
