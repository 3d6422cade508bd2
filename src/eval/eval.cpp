// eval.cpp: the top level, sequences, define and the evaluation of one expression.

#include "eval/eval.h"

#include "builtins/builtin_table.h"
#include "cell/cell.h"
#include "driver/fail.h"
#include "driver/stack.h"
#include "env/binding_table.h"
#include "eval/function.h"
#include "reader/reader.h"

namespace cellisp {
namespace {

// The program tree, kept for the whole run: values and Functions share its cells. Volatile, so that the store that
// keeps it reachable is not optimised away.
Cell* volatile program_tree = nullptr;

// The value bound to a Symbol, borrowed; an unbound name ends the run.
Cell* value_of_name(Cell* symbol, BindingTable* table) {
    Cell* value = lookup_borrowed(symbol, table);
    if (value == nullptr) fail_with_name(msg::unknown_identifier, symbol_name(symbol), 3);
    return value;
}

bool is_define_form(const Cell* expression) {
    return is_pair(expression) && pair_head(expression)->kind == CellKind::DefineMark;
}

// A call: the head decides what is called. Built-ins get their arguments unevaluated. Kept out of line, so that
// eval stays small for the literals and names that most evaluations are; every level of recursion passes here.
[[gnu::noinline]] Cell* eval_call(Cell* call, BindingTable* table) {
    check_stack();
    Cell* head = pair_head(call);
    Cell* args = pair_tail(call);
    Cell* function;
    Cell* name = nullptr;  // the Symbol the function was called by, if any
    switch (head->kind) {
        case CellKind::Builtin: return builtin_entry(head)(args, table);
        case CellKind::Pair: function = eval(head, table); break;
        case CellKind::Symbol:
            function = lookup(head, table);
            if (function == nullptr) fail_with_name(msg::unknown_function, symbol_name(head), 3);
            name = head;
            break;
        default: fail(msg::syntax_error, 9);  // Nil, String, Integer, Function or define at the head
    }
    if (function->kind != CellKind::Function) fail(msg::not_a_function, 6);
    Cell* result = apply_function(function, args, table, name);
    release_value(function);
    return result;
}

}  // namespace

Cell* run_program(const char* text) {
    register_builtins();
    program_tree = read_program(text);
    return eval_sequence(program_tree, nullptr);
}

Cell* eval_sequence(Cell* list, BindingTable* table) {
    BindingTable* made_here = nullptr;  // the table a first define made, released when the sequence ends
    Cell* value = nullptr;
    for (;;) {
        Cell* expression = head_of(list);  // a Nil sequence fails here with "Must be CONS"
        set_current_expression(expression);
        if (is_define_form(expression)) {
            if (table == nullptr) table = made_here = table_new();
            define_binding(pair_tail(expression), table);
        } else {
            if (value != nullptr) release_value(value);  // only the last value is kept
            value = eval(expression, table);
        }
        list = pair_tail(list);
        if (is_nil(list)) break;
    }
    if (value == nullptr) {
        set_current_expression(nullptr);
        fail(msg::nothing_called, 8);
    }
    table_release(made_here);
    return value;
}

Cell* eval(Cell* expression, BindingTable* table) {
    switch (expression->kind) {
        case CellKind::Nil:
        case CellKind::String:
        case CellKind::Integer: return copy_value(expression);
        case CellKind::Symbol: return copy_value(value_of_name(expression, table));
        case CellKind::Pair: return eval_call(expression, table);
        default: fail(msg::syntax_error, 9);  // a Function, Builtin or define cell by itself
    }
}

Cell* eval_borrowed(Cell* expression, BindingTable* table, Cell** made) {
    *made = nullptr;
    switch (expression->kind) {
        case CellKind::Nil:
        case CellKind::String:
        case CellKind::Integer: return expression;
        case CellKind::Symbol: return value_of_name(expression, table);
        default: return *made = eval(expression, table);
    }
}

void define_binding(Cell* args, BindingTable* table) {
    Cell* rest = tail_of(args);  // (define) fails here with "Must be CONS"
    if (!is_pair(rest) || !is_nil(pair_tail(rest))) fail(msg::define_syntax, 9);
    // The value is evaluated before the name is bound: (define x (+ x 1)) sees the old x.
    Cell* value = eval(pair_head(rest), table);
    table_insert(table, pair_head(args), value);
}

}  // namespace cellisp
