// arithmetic.cpp: + - * / and the six comparisons, on 32-bit integers that wrap around.

#include <cassert>
#include <cstdint>

#include "builtins/builtin_table.h"
#include "driver/fail.h"
#include "driver/stack.h"
#include "env/binding_table.h"
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

// The number of the first of two arguments. Its value is released once the number is read; when it is not an
// Integer, the second argument is still evaluated (and may fail first) before the failure.
// REQUIRES: the argument count has been checked.
[[gnu::always_inline]] inline std::int32_t evaluate_first_operand(Cell* args, BindingTable* table,
                                                                  const OperatorMessages& messages) {
    assert(has_length(args, 2));
    Cell* first = eval(pair_head(args), table);
    if (first->kind != CellKind::Integer) {
        release_value(first);
        release_value(eval(pair_head(pair_tail(args)), table));
        fail_operator(messages.type, messages.name, 6);
    }
    const std::int32_t a = integer_value(first);
    release_value(first);
    return a;
}

// Both arguments of a comparison, after the count: evaluated first then second, and a wrong kind reported only once
// both are.
[[gnu::always_inline]] inline Operands evaluate_operands(Cell* args, BindingTable* table,
                                                         const OperatorMessages& messages) {
    if (!has_length(args, 2)) fail_operator(messages.arity, messages.name, 5);
    const std::int32_t a = evaluate_first_operand(args, table, messages);
    Cell* second = eval(pair_head(pair_tail(args)), table);
    if (second->kind != CellKind::Integer) {
        release_value(second);
        fail_operator(messages.type, messages.name, 6);
    }
    const std::int32_t b = integer_value(second);
    release_value(second);
    return {a, b};
}

// An operand that is an Integer literal, or a name bound to an Integer: the commonest operands of all, read without
// evaluating anything. False for any other operand, an unbound name included.
[[gnu::always_inline]] inline bool read_quick_operand(const Cell* expression, const BindingTable* table,
                                                      std::int32_t* value) {
    if (expression->kind == CellKind::Symbol) expression = lookup(expression, table);
    if (expression == nullptr || expression->kind != CellKind::Integer) return false;
    *value = integer_value(expression);
    return true;
}

// How many of exactly two arguments are quick operands, counted from the first and read into *o: 2 for both, 1 for
// the first alone, 0 when the first is not one or there are not two arguments.
[[gnu::always_inline]] inline int count_quick_operands(Cell* args, const BindingTable* table, Operands* o) {
    if (!is_pair(args) || pair_counted_length(args) != 3 || !read_quick_operand(pair_head(args), table, &o->a)) {
        return 0;
    }
    return read_quick_operand(pair_head(pair_tail(args)), table, &o->b) ? 2 : 1;
}

// The quick path of every operation: true, with *o set, for exactly two arguments that are both quick operands,
// read with no frame, no call and no reference taken. Otherwise the operation's full path, out of line and reached
// by a tail call, evaluates the arguments from the start: reading a literal or a name changes nothing, so it fails
// with the same message at the same moment. A second path, kept because it pays: ack runs 12% fewer instructions
// for it, loop 12%, fib 8% and tak 7% (callgrind, profile-guided build), and side by side ack, fib and tak take 6%
// less time, loop 15% (docs/PERFORMANCE.md, item 17). The tail call keeps a level of (c n), whose + has a call for
// an operand, at the stack it took before.
[[gnu::always_inline]] inline bool read_quick_operands(Cell* args, const BindingTable* table, Operands* o) {
    return count_quick_operands(args, table, o) == 2;
}

// Arithmetic is done on unsigned 32-bit values, which wrap by definition, and read back as signed.
std::int32_t wrap(std::uint32_t value) { return static_cast<std::int32_t>(value); }
std::uint32_t bits(std::int32_t value) { return static_cast<std::uint32_t>(value); }

OperatorMessages comparison(BuiltinId id) { return {msg::named_arity, msg::named_type, builtin_name_of(id)}; }

// What each operation makes of its two operands, on either path.
std::int32_t sum(Operands o) { return wrap(bits(o.a) + bits(o.b)); }
std::int32_t difference(Operands o) { return wrap(bits(o.a) - bits(o.b)); }
std::int32_t product(Operands o) { return wrap(bits(o.a) * bits(o.b)); }
std::int32_t quotient(Operands o) {
    if (o.b == 0) fail(msg::divided_by_zero, 7);
    // Division truncates toward zero. Dividing by -1 is negation, which wraps: -2147483648 / -1 is -2147483648.
    if (o.b == -1) return wrap(0u - bits(o.a));
    return o.a / o.b;
}

// The second half of the full path of + - * and /, reached by a tail call once the first number is known (from
// the full path, which evaluated the first argument, or from the quick path, which read it): while the second
// argument is evaluated, this frame keeps the first number and nothing else, in the one register it saves. A level
// of recursion whose call is the second argument ((+ 1 (c (- n 1)))) takes 16 bytes of stack here; a frame that
// evaluated both arguments took 32, as it kept the arguments and the table while the first was evaluated.
template <std::int32_t (*combine)(Operands), const OperatorMessages& messages>
[[gnu::noinline]] Cell* combine_with_second(std::int32_t a, Cell* expression, BindingTable* table) {
    Cell* second = eval(expression, table);
    if (second->kind != CellKind::Integer) {
        release_value(second);
        fail_operator(messages.type, messages.name, 6);
    }
    // The result's number is worked out before the second value is released, so that the release keeps it alone.
    const std::int32_t result = combine({a, integer_value(second)});
    release_value(second);
    return new_integer(result);
}

// The full path of + - * and / with two arguments, whose count has been checked.
template <std::int32_t (*combine)(Operands), const OperatorMessages& messages>
[[gnu::always_inline]] inline Cell* combine_in_full(Cell* args, BindingTable* table) {
    const std::int32_t a = evaluate_first_operand(args, table, messages);
    return combine_with_second<combine, messages>(a, pair_head(pair_tail(args)), table);
}

constexpr OperatorMessages plus_messages{msg::plus_arity, msg::plus_type, nullptr};
constexpr OperatorMessages minus_messages{msg::minus_arity, msg::minus_type, nullptr};
constexpr OperatorMessages times_messages{msg::times_arity, msg::times_type, nullptr};
constexpr OperatorMessages divide_messages{msg::divide_arity, msg::divide_type, nullptr};

// The full paths.
[[gnu::noinline]] Cell* plus_in_full(Cell* args, BindingTable* table) {
    if (!has_length(args, 2)) fail(plus_messages.arity, 5);
    return combine_in_full<sum, plus_messages>(args, table);
}

[[gnu::noinline]] Cell* minus_in_full(Cell* args, BindingTable* table) {
    if (has_length(args, 2)) return combine_in_full<difference, minus_messages>(args, table);
    if (!has_length(args, 1)) fail(minus_messages.arity, 5);
    Cell* value = eval(pair_head(args), table);
    if (value->kind != CellKind::Integer) {
        release_value(value);
        fail(msg::minus_type, 6);
    }
    const std::int32_t a = integer_value(value);
    release_value(value);
    return new_integer(wrap(0u - bits(a)));  // the negation of -2147483648 is itself
}

[[gnu::noinline]] Cell* times_in_full(Cell* args, BindingTable* table) {
    if (!has_length(args, 2)) fail(times_messages.arity, 5);
    return combine_in_full<product, times_messages>(args, table);
}

[[gnu::noinline]] Cell* divide_in_full(Cell* args, BindingTable* table) {
    if (!has_length(args, 2)) fail(divide_messages.arity, 5);
    return combine_in_full<quotient, divide_messages>(args, table);
}

// The entry of + - * and /. A first argument that is a quick operand and a second that is not, as in
// (+ 1 (c (- n 1))), go by a tail call straight to the second half of the full path, with the number read: a
// level of (c n) runs 39 fewer instructions than through the whole full path (580 to 541, profile-guided build).
template <std::int32_t (*combine)(Operands), const OperatorMessages& messages, Cell* (*in_full)(Cell*, BindingTable*)>
[[gnu::always_inline]] inline Cell* operate(Cell* args, BindingTable* table) {
    Operands o;
    switch (count_quick_operands(args, table, &o)) {
        case 2: return new_integer(combine(o));
        case 1: return combine_with_second<combine, messages>(o.a, pair_head(pair_tail(args)), table);
        default: return in_full(args, table);
    }
}

// A comparison's full path: whether `holds` is true of its operands. A test of if or cond comes here without
// passing eval, so the stack is checked here, before the operands are evaluated.
[[gnu::noinline]] bool compare_in_full(Cell* args, BindingTable* table, BuiltinId id, bool (*holds)(Operands)) {
    check_stack();
    return holds(evaluate_operands(args, table, comparison(id)));
}

bool greater(Operands o) { return o.a > o.b; }
bool less(Operands o) { return o.a < o.b; }
bool greater_equal(Operands o) { return o.a >= o.b; }
bool less_equal(Operands o) { return o.a <= o.b; }
bool not_equal(Operands o) { return o.a != o.b; }
bool equal(Operands o) { return o.a == o.b; }

Cell* truth(bool value) { return new_integer(value ? 1 : 0); }

}  // namespace

Cell* builtin_plus(Cell* args, BindingTable* table) { return operate<sum, plus_messages, plus_in_full>(args, table); }
Cell* builtin_minus(Cell* args, BindingTable* table) {
    return operate<difference, minus_messages, minus_in_full>(args, table);
}
Cell* builtin_times(Cell* args, BindingTable* table) {
    return operate<product, times_messages, times_in_full>(args, table);
}
Cell* builtin_divide(Cell* args, BindingTable* table) {
    return operate<quotient, divide_messages, divide_in_full>(args, table);
}

// Each comparison is its test entry, whose truth becomes the Integer 1 or 0.
bool greater_holds(Cell* args, BindingTable* table) {
    Operands o;
    return read_quick_operands(args, table, &o) ? greater(o)
                                                : compare_in_full(args, table, BuiltinId::Greater, greater);
}

bool less_holds(Cell* args, BindingTable* table) {
    Operands o;
    return read_quick_operands(args, table, &o) ? less(o) : compare_in_full(args, table, BuiltinId::Less, less);
}

bool greater_equal_holds(Cell* args, BindingTable* table) {
    Operands o;
    return read_quick_operands(args, table, &o) ? greater_equal(o)
                                                : compare_in_full(args, table, BuiltinId::GreaterEqual, greater_equal);
}

bool less_equal_holds(Cell* args, BindingTable* table) {
    Operands o;
    return read_quick_operands(args, table, &o) ? less_equal(o)
                                                : compare_in_full(args, table, BuiltinId::LessEqual, less_equal);
}

bool not_equal_holds(Cell* args, BindingTable* table) {
    Operands o;
    return read_quick_operands(args, table, &o) ? not_equal(o)
                                                : compare_in_full(args, table, BuiltinId::NotEqual, not_equal);
}

bool equal_holds(Cell* args, BindingTable* table) {
    Operands o;
    return read_quick_operands(args, table, &o) ? equal(o) : compare_in_full(args, table, BuiltinId::Equal, equal);
}

Cell* builtin_greater(Cell* args, BindingTable* table) { return truth(greater_holds(args, table)); }
Cell* builtin_less(Cell* args, BindingTable* table) { return truth(less_holds(args, table)); }
Cell* builtin_greater_equal(Cell* args, BindingTable* table) { return truth(greater_equal_holds(args, table)); }
Cell* builtin_less_equal(Cell* args, BindingTable* table) { return truth(less_equal_holds(args, table)); }
Cell* builtin_not_equal(Cell* args, BindingTable* table) { return truth(not_equal_holds(args, table)); }
Cell* builtin_equal(Cell* args, BindingTable* table) { return truth(equal_holds(args, table)); }

}  // namespace cellisp
