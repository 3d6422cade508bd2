#pragma once
// cell.h: the Cell, the one record that program trees and values are made of.
//
// A Cell is a kind tag, a reference count and up to five slots whose meaning depends on the kind. Each kind has one
// constructor below and each meaning of a slot one accessor: no file but this one and cell.cpp touches `slot`.
// A value cell has room only for the slots its kind uses (16 bytes for an Integer, 32 for a Pair, 48 for a
// Function), so a Cell is never copied or read whole. Lists are chains of Pairs linked through their tails and ended
// by a Nil cell.
//
// Ownership. No operation ever changes a value after it is built, so a copy that shares structure with its
// source cannot be told from a deep copy: copy_value shares, and counts the new reference.
// - Permanent cells: the program tree, the builtin cells and everything else the reader makes. They live for the
//   whole run; copy_value and release_value leave their count alone, so handing one out as a value is safe.
// - Every other cell is a value cell made by new_cell with a count of 1. Each reference that a Pair, a Function,
//   a binding, the current expression or a local holds is one count. release_value drops one reference and
//   reclaims the cell, and the references it holds, when none are left.
// - Symbol and String cells point into the source text, which outlives every cell.
// - A Function holds a reference to its parameter list and body (cells of the tree, or of a value that `eval`
//   ran) and owns one reference to its captured table.

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

namespace cellisp {

enum class CellKind : std::uint8_t { Nil, String, Integer, Pair, Function, Builtin, DefineMark, Symbol };

struct Cell;
struct BindingTable;

// The entry point of a built-in: the unevaluated argument list (borrowed) and the current table (borrowed, or
// nullptr at the top level before the first define) in; a fresh value owned by the caller out.
using BuiltinFn = Cell* (*)(Cell* args, BindingTable* table);

// The entry point of a built-in whose value is the value of one expression that it chooses (if, cond, eval): the
// same arguments in; out, that expression, which the evaluator evaluates in the same table in the built-in's place.
// It is borrowed from the arguments, or it is a value the built-in made: then `made` is that value too, owned by
// the caller, who keeps it until the evaluation is done; otherwise `made` is nullptr. Both come back in
// registers, where an out-parameter would take a slot of every frame that runs calls.
struct TailStep {
    Cell* expression;
    Cell* made;
};
using TailFn = TailStep (*)(Cell* args, BindingTable* table);

// The entry point of a comparison when it is the test of if or cond: the same arguments in, and out, whether the
// comparison holds, without making the Integer that would be its value. It fails exactly as the BuiltinFn does.
using TestFn = bool (*)(Cell* args, BindingTable* table);

union Slot {
    Cell* cell;
    const char* text;
    std::int32_t integer;
    BindingTable* table;
    BuiltinFn entry;
    TailFn tail_entry;
    TestFn test_entry;
    struct {
        std::int32_t params;
        std::int32_t defines;
    } counts;                // a Function's slot 0
    std::uint32_t buckets;   // a Function's slot 4
};

struct Cell {
    CellKind kind;
    bool distinct_names;  // Function: every parameter is a Symbol with a name, and no two share one
    std::uint32_t refs;   // references held; permanent_refs for cells that live for the whole run
    Slot slot[5];
};

constexpr std::uint32_t permanent_refs = UINT32_MAX;

// Slot `index` of `cell`, which is of `kind`. A cell has room for the slots its kind uses and no more (cell.cpp).
inline const Slot& slot_of(const Cell* cell, CellKind kind, int index) {
    assert(cell->kind == kind);
    (void)kind;
    return cell->slot[index];
}

// Accessors, one for each meaning of a slot.
// String: the position of its opening double quote in the source text.
inline const char* string_start(const Cell* cell) { return slot_of(cell, CellKind::String, 0).text; }
// Symbol: the position of the first byte of its name in the source text.
inline const char* symbol_name(const Cell* cell) { return slot_of(cell, CellKind::Symbol, 0).text; }
// Symbol: the first Symbol read with the same name (itself for the first), or nullptr for an empty name, which
// matches no name. Two Symbols have the same name exactly when their canonical cells are the same.
inline const Cell* symbol_canonical(const Cell* cell) { return slot_of(cell, CellKind::Symbol, 1).cell; }
// Symbol: hash_name of its name, computed once by the reader.
inline std::int32_t symbol_bucket(const Cell* cell) { return slot_of(cell, CellKind::Symbol, 2).integer; }
inline std::int32_t integer_value(const Cell* cell) { return slot_of(cell, CellKind::Integer, 0).integer; }
inline Cell* pair_head(const Cell* cell) { return slot_of(cell, CellKind::Pair, 0).cell; }
inline Cell* pair_tail(const Cell* cell) { return slot_of(cell, CellKind::Pair, 1).cell; }
// Pair: the length of the proper list that starts at it, plus one, once list_length has counted it; 0 before. No
// list ever changes after it is built, so its length is counted once.
inline std::int32_t pair_counted_length(const Cell* cell) { return slot_of(cell, CellKind::Pair, 2).integer; }
inline std::int32_t function_param_count(const Cell* cell) {
    return slot_of(cell, CellKind::Function, 0).counts.params;
}
// Function: the number of define forms among the body's elements, so that a call's table is made with room for
// every name the call can bind.
inline std::int32_t function_define_count(const Cell* cell) {
    return slot_of(cell, CellKind::Function, 0).counts.defines;
}
inline Cell* function_params(const Cell* cell) { return slot_of(cell, CellKind::Function, 1).cell; }
// Function: true when every parameter is a Symbol with a name and no two share one, so that a call binds each
// without looking for an earlier binding of the same name.
inline bool function_has_distinct_names(const Cell* cell) { return cell->distinct_names; }
// Function: false when the Symbol `name` is certainly not the name of a parameter, so that a call binds it without
// looking for the parameter it would hide. A Function keeps a bit for each parameter's bucket (symbol_bucket); a
// name's bit is set when a parameter may share its name, and every bit when the names are not distinct.
inline bool function_may_have_param(const Cell* cell, const Cell* name) {
    assert(cell->kind == CellKind::Function);
    return (slot_of(cell, CellKind::Function, 4).buckets >> (symbol_bucket(name) & 31) & 1) != 0;
}
inline BindingTable* function_table(const Cell* cell) { return slot_of(cell, CellKind::Function, 2).table; }
inline Cell* function_body(const Cell* cell) { return slot_of(cell, CellKind::Function, 3).cell; }
inline const char* builtin_name(const Cell* cell) { return slot_of(cell, CellKind::Builtin, 0).text; }
// Builtin: exactly one of these two entry points is set; the other is nullptr.
inline BuiltinFn builtin_entry(const Cell* cell) { return slot_of(cell, CellKind::Builtin, 1).entry; }
inline TailFn builtin_tail_entry(const Cell* cell) { return slot_of(cell, CellKind::Builtin, 2).tail_entry; }
// Builtin: a comparison's test entry, beside its BuiltinFn; nullptr for every other built-in.
inline TestFn builtin_test_entry(const Cell* cell) { return slot_of(cell, CellKind::Builtin, 3).test_entry; }

inline bool is_pair(const Cell* cell) { return cell->kind == CellKind::Pair; }
inline bool is_nil(const Cell* cell) { return cell->kind == CellKind::Nil; }

// A new value cell of `kind` with a count of 1 and its slots unset; owned by the caller. Failure ends the run.
Cell* new_cell(CellKind kind);
// The two writes that follow construction, both made only while the reader builds the tree (and, for the tail,
// while the list built-in builds its list): no value changes once anything else can see it.
// REQUIRES: `pair` is a Pair and no length has been counted from it yet.
inline void set_pair_tail(Cell* pair, Cell* tail) {
    assert(pair->kind == CellKind::Pair && pair->slot[2].integer == 0);
    pair->slot[1].cell = tail;
}
// REQUIRES: `symbol` is a Symbol; `canonical` is the first Symbol read with its name (itself for the first), or
// nullptr for an empty name.
inline void set_symbol_canonical(Cell* symbol, const Cell* canonical) {
    assert(symbol->kind == CellKind::Symbol);
    symbol->slot[1].cell = const_cast<Cell*>(canonical);
}

// Makes a value cell permanent: it and what it refers to are never reclaimed. Used for the tree and builtins.
inline void make_permanent(Cell* cell) { cell->refs = permanent_refs; }

// Integers from small_integer_min up to, not including, small_integer_end are permanent cells made once, so that
// counting and comparing allocate nothing; a value cannot tell them from fresh cells.
constexpr std::int32_t small_integer_min = -256;
constexpr std::int32_t small_integer_end = 1024;
extern std::array<Cell, small_integer_end - small_integer_min> small_integers;

// Value constructors; each result is owned by the caller. The Pair takes both of its parts.
Cell* new_integer_cell(std::int32_t value);
inline Cell* new_integer(std::int32_t value) {
    if (value >= small_integer_min && value < small_integer_end) {
        return &small_integers[static_cast<std::size_t>(value - small_integer_min)];
    }
    return new_integer_cell(value);
}
Cell* new_pair(Cell* head, Cell* tail);
// A String whose characters follow the opening quote at `opening_quote` in the source text.
Cell* new_string(const char* opening_quote);
// A Symbol whose name starts at `name` in the source text, with its bucket (hash_name of the name). Its canonical
// cell is nullptr, matching no name, until the reader sets it with set_symbol_canonical.
Cell* new_symbol(const char* name, std::int32_t bucket);
// A Builtin with its name (a constant text), exactly one of its first two entry points, and a test entry for a
// comparison (else nullptr).
Cell* new_builtin(const char* name, BuiltinFn entry, TailFn tail_entry, TestFn test_entry);
// A Function. Takes: one reference each to `params` and `body` and the reference to `captured` (nullptr when it
// sees nothing). `distinct_names` says whether `params` are Symbols with names, no two the same; `param_buckets`
// is the bits of function_may_have_param.
Cell* new_function(std::int32_t param_count, std::int32_t define_count, bool distinct_names,
                   std::uint32_t param_buckets, Cell* params, BindingTable* captured, Cell* body);

// A copy of `cell` owned by the caller. Values are never changed in place, so the copy is the same cell with
// one more reference; it is equal to a deep copy in everything the language can observe.
inline Cell* copy_value(Cell* cell) {
    if (cell->refs != permanent_refs) ++cell->refs;
    return cell;
}

// Drops one reference to `cell`; a value cell whose last reference goes is reclaimed with the references it
// holds. Permanent cells are left alone. Long lists are released without deep recursion.
void reclaim_value(Cell* cell);  // the part of release_value that reclaims; REQUIRES: the last reference went
inline void release_value(Cell* cell) {
    if (cell->refs != permanent_refs && --cell->refs == 0) reclaim_value(cell);
}

// Ends the run with "Must be CONS\n", status 8: a Pair was required. Never returns.
[[noreturn]] void fail_not_pair();

// The head and tail of a Pair (borrowed). Any other kind ends the run with "Must be CONS\n", status 8.
inline Cell* head_of(const Cell* cell) {
    if (cell->kind != CellKind::Pair) fail_not_pair();
    return pair_head(cell);
}
inline Cell* tail_of(const Cell* cell) {
    if (cell->kind != CellKind::Pair) fail_not_pair();
    return pair_tail(cell);
}

// The number of Pairs in the chain that starts at `cell`: 0 for anything that is not a Pair. A chain that ends in
// something other than Nil ends the run with "Must be CONS\n", status 8. The length of a proper list is kept in
// its first Pair, so each list is walked once.
long list_length(const Cell* cell);

// True when list_length(cell) is `count`; fails as list_length does. After the first time, the argument checks of
// every call cost a load and a comparison.
inline bool has_length(const Cell* cell, long count) {
    if (!is_pair(cell)) return count == 0;
    if (const std::int32_t counted = pair_counted_length(cell)) return counted - 1 == count;
    return list_length(cell) == count;
}

// The number of value cells alive now (made and not yet reclaimed); for tests.
long live_cell_count();

}  // namespace cellisp
