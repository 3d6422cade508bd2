// arithmetic.cpp: + - * / and the six comparisons, on 32-bit integers that wrap around.

#include <cassert>
#include <cstdint>

#include "builtins/builtin_table.h"
#include "driver/fail.h"
#include "eval/eval.h"

namespace cellisp {
namespace {

// The messages of one operation: fixed texts, or (when `name` is set) formats filled in with the name.
struct OperatorMessages {
    const char* arity;
    const char* type;
    const char* name;
};

[[noreturn]] void fail_operator(const char* text, const char* name, int status) {
    if (name != nullptr) fail_named(text, name, status);
    fail(text, status);
}

struct Operands {
    std::int32_t a;
    std::int32_t b;
};

// What an operation needs of one argument's value: whether it is an Integer, and which.
struct Operand {
    bool is_integer;
    std::int32_t value;
};

// Inlined into each operation: the operands are the commonest evaluations of all.
[[gnu::always_inline]] inline Operand evaluate_operand(Cell* expression, BindingTable* table) {
    Cell* made;
    const Cell* value = eval_borrowed(expression, table, &made);
    const Operand operand{value->kind == CellKind::Integer,
                          value->kind == CellKind::Integer ? integer_value(value) : 0};
    if (made != nullptr) release_value(made);
    return operand;
}

// Both arguments are evaluated, first then second, before either is checked.
// REQUIRES: the argument count has been checked.
[[gnu::always_inline]] inline Operands evaluate_checked_operands(Cell* args, BindingTable* table,
                                                                 const OperatorMessages& messages) {
    assert(has_length(args, 2));
    const Operand a = evaluate_operand(pair_head(args), table);
    // The second value is read, and both kinds are judged, before a value the second argument made is released:
    // then three numbers, not four, outlive that release. The 32-bit x86 build has a register fewer to keep in its
    // frame, and a level of recursion whose call is an operand takes 16 bytes less stack there.
    Cell* made;
    const Cell* second = eval_borrowed(pair_head(pair_tail(args)), table, &made);
    const bool integers = a.is_integer && second->kind == CellKind::Integer;
    const std::int32_t b = integers ? integer_value(second) : 0;
    if (made != nullptr) release_value(made);
    if (!integers) fail_operator(messages.type, messages.name, 6);
    return {a.value, b};
}

[[gnu::always_inline]] inline Operands evaluate_operands(Cell* args, BindingTable* table,
                                                         const OperatorMessages& messages) {
    if (!has_length(args, 2)) fail_operator(messages.arity, messages.name, 5);
    return evaluate_checked_operands(args, table, messages);
}

// Arithmetic is done on unsigned 32-bit values, which wrap by definition, and read back as signed.
std::int32_t wrap(std::uint32_t value) { return static_cast<std::int32_t>(value); }
std::uint32_t bits(std::int32_t value) { return static_cast<std::uint32_t>(value); }

OperatorMessages comparison(BuiltinId id) { return {msg::named_arity, msg::named_type, builtin_name_of(id)}; }

Cell* truth(bool value) { return new_integer(value ? 1 : 0); }

}  // namespace

Cell* builtin_plus(Cell* args, BindingTable* table) {
    const Operands o = evaluate_operands(args, table, {msg::plus_arity, msg::plus_type, nullptr});
    return new_integer(wrap(bits(o.a) + bits(o.b)));
}

Cell* builtin_minus(Cell* args, BindingTable* table) {
    if (has_length(args, 2)) {
        const Operands o = evaluate_checked_operands(args, table, {msg::minus_arity, msg::minus_type, nullptr});
        return new_integer(wrap(bits(o.a) - bits(o.b)));
    }
    if (!has_length(args, 1)) fail(msg::minus_arity, 5);
    const Operand a = evaluate_operand(pair_head(args), table);
    if (!a.is_integer) fail(msg::minus_type, 6);
    return new_integer(wrap(0u - bits(a.value)));  // the negation of -2147483648 is itself
}

Cell* builtin_times(Cell* args, BindingTable* table) {
    const Operands o = evaluate_operands(args, table, {msg::times_arity, msg::times_type, nullptr});
    return new_integer(wrap(bits(o.a) * bits(o.b)));
}

Cell* builtin_divide(Cell* args, BindingTable* table) {
    const Operands o = evaluate_operands(args, table, {msg::divide_arity, msg::divide_type, nullptr});
    if (o.b == 0) fail(msg::divided_by_zero, 7);
    // Division truncates toward zero. Dividing by -1 is negation, which wraps: -2147483648 / -1 is -2147483648.
    if (o.b == -1) return new_integer(wrap(0u - bits(o.a)));
    return new_integer(o.a / o.b);
}

// Each comparison is its test entry, whose truth becomes the Integer 1 or 0.
bool greater_holds(Cell* args, BindingTable* table) {
    const Operands o = evaluate_operands(args, table, comparison(BuiltinId::Greater));
    return o.a > o.b;
}

bool less_holds(Cell* args, BindingTable* table) {
    const Operands o = evaluate_operands(args, table, comparison(BuiltinId::Less));
    return o.a < o.b;
}

bool greater_equal_holds(Cell* args, BindingTable* table) {
    const Operands o = evaluate_operands(args, table, comparison(BuiltinId::GreaterEqual));
    return o.a >= o.b;
}

bool less_equal_holds(Cell* args, BindingTable* table) {
    const Operands o = evaluate_operands(args, table, comparison(BuiltinId::LessEqual));
    return o.a <= o.b;
}

bool not_equal_holds(Cell* args, BindingTable* table) {
    const Operands o = evaluate_operands(args, table, comparison(BuiltinId::NotEqual));
    return o.a != o.b;
}

bool equal_holds(Cell* args, BindingTable* table) {
    const Operands o = evaluate_operands(args, table, comparison(BuiltinId::Equal));
    return o.a == o.b;
}

Cell* builtin_greater(Cell* args, BindingTable* table) { return truth(greater_holds(args, table)); }
Cell* builtin_less(Cell* args, BindingTable* table) { return truth(less_holds(args, table)); }
Cell* builtin_greater_equal(Cell* args, BindingTable* table) { return truth(greater_equal_holds(args, table)); }
Cell* builtin_less_equal(Cell* args, BindingTable* table) { return truth(less_equal_holds(args, table)); }
Cell* builtin_not_equal(Cell* args, BindingTable* table) { return truth(not_equal_holds(args, table)); }
Cell* builtin_equal(Cell* args, BindingTable* table) { return truth(equal_holds(args, table)); }

}  // namespace cellisp
