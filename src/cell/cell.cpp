// cell.cpp: making, sharing and reclaiming cells.

#include "cell/cell.h"

#include <cassert>
#include <cstddef>

#include "cell/memory.h"
#include "driver/fail.h"
#include "driver/process.h"
#include "driver/stack.h"
#include "env/binding_table.h"

namespace cellisp {
namespace {

constexpr std::array<Cell, small_integer_end - small_integer_min> make_small_integers() {
    std::array<Cell, small_integer_end - small_integer_min> cells{};
    for (std::int32_t value = small_integer_min; value < small_integer_end; ++value) {
        Cell& cell = cells[static_cast<std::size_t>(value - small_integer_min)];
        cell.kind = CellKind::Integer;
        cell.refs = permanent_refs;
        cell.slot[0].integer = value;
    }
    return cells;
}

// The slots a cell of `kind` uses (the table of docs/DESIGN.md, section 3). A cell is given room for those alone,
// 16 bytes for an Integer and 40 for a Function: a cell never changes kind, and no accessor reads a slot its kind
// does not use.
constexpr int slots_used(CellKind kind) {
    switch (kind) {
        case CellKind::Nil:
        case CellKind::DefineMark: return 0;
        case CellKind::String:
        case CellKind::Integer: return 1;
        case CellKind::Pair:
        case CellKind::Symbol: return 3;
        case CellKind::Builtin: return 4;
        case CellKind::Function: return 5;
    }
    return 5;
}

std::size_t cell_bytes(CellKind kind) {
    return offsetof(Cell, slot) + static_cast<std::size_t>(slots_used(kind)) * sizeof(Slot);
}

void free_cell(Cell* cell) {
    --process.live_cells;
    give_memory(cell, cell_bytes(cell->kind));
}

// The last reference to a Function has gone: drop what it refers to. Closures can hold closures in their
// captured tables, so this is the one place where releasing recurses on data.
void free_function(Cell* function) {
    check_stack();
    release_value(function_params(function));
    release_value(function_body(function));
    table_release(function_table(function));
    free_cell(function);
}

}  // namespace

constinit std::array<Cell, small_integer_end - small_integer_min> small_integers = make_small_integers();

Cell* new_cell(CellKind kind) {
    Cell* cell = static_cast<Cell*>(take_memory(cell_bytes(kind)));
    cell->kind = kind;
    cell->distinct_names = false;
    cell->refs = 1;
    ++process.live_cells;
    return cell;
}

// Out of line, so that an operation whose quick path ends by making an Integer keeps nothing in a saved register:
// making a large one, the only call left on that path, is then its last act. ack and fib run 1% fewer
// instructions for it.
[[gnu::noinline]] Cell* new_integer_cell(std::int32_t value) {
    Cell* cell = new_cell(CellKind::Integer);
    cell->slot[0].integer = value;
    return cell;
}

Cell* new_pair(Cell* head, Cell* tail) {
    Cell* cell = new_cell(CellKind::Pair);
    cell->slot[0].cell = head;
    cell->slot[1].cell = tail;
    cell->slot[2].integer = 0;  // not counted yet
    return cell;
}

Cell* new_string(const char* opening_quote) {
    Cell* cell = new_cell(CellKind::String);
    cell->slot[0].text = opening_quote;
    return cell;
}

Cell* new_symbol(const char* name, std::int32_t bucket) {
    Cell* cell = new_cell(CellKind::Symbol);
    cell->slot[0].text = name;
    cell->slot[1].cell = nullptr;
    cell->slot[2].integer = bucket;
    return cell;
}

Cell* new_builtin(const char* name, BuiltinFn entry, TailFn tail_entry, TestFn test_entry) {
    Cell* cell = new_cell(CellKind::Builtin);
    cell->slot[0].text = name;
    cell->slot[1].entry = entry;
    cell->slot[2].tail_entry = tail_entry;
    cell->slot[3].test_entry = test_entry;
    return cell;
}

Cell* new_function(std::int32_t param_count, std::int32_t define_count, bool distinct_names,
                   std::uint32_t param_buckets, Cell* params, BindingTable* captured, Cell* body) {
    Cell* cell = new_cell(CellKind::Function);
    cell->distinct_names = distinct_names;
    cell->slot[4].buckets = param_buckets;
    cell->slot[0].counts = {param_count, define_count};
    cell->slot[1].cell = params;
    cell->slot[2].table = captured;
    cell->slot[3].cell = body;
    return cell;
}

namespace {

// The last reference to a Pair or Function has gone: reclaim it and whatever it held the last reference to. Out of
// line, so that freeing an atom, the commonest case, costs no more than the free itself.
[[gnu::noinline]] void reclaim_compound(Cell* cell) {
    // Pairs whose count reached zero are reused, before they are freed, as a stack of heads still to release
    // (slot 0 the head, slot 1 the next entry), so that the walk along tails is a loop and the stack is the heap.
    Cell* pending = nullptr;
    ++cell->refs;  // the loop below takes the last reference again
    for (;;) {
        if (cell->refs != permanent_refs && --cell->refs == 0) {
            if (cell->kind == CellKind::Pair) {
                Cell* tail = pair_tail(cell);
                cell->slot[1].cell = pending;
                pending = cell;
                cell = tail;
                continue;
            }
            if (cell->kind == CellKind::Function) {
                free_function(cell);
            } else {
                free_cell(cell);
            }
        }
        if (pending == nullptr) return;
        Cell* entry = pending;
        pending = entry->slot[1].cell;
        cell = entry->slot[0].cell;
        free_cell(entry);
    }
}

}  // namespace

void reclaim_value(Cell* cell) {
    assert(cell->refs == 0);
    if (cell->kind != CellKind::Pair && cell->kind != CellKind::Function) return free_cell(cell);  // an atom
    reclaim_compound(cell);
}

void fail_not_pair() { fail(msg::must_be_cons, 8); }

long list_length(const Cell* cell) {
    if (!is_pair(cell)) return 0;
    if (const std::int32_t counted = pair_counted_length(cell)) return counted - 1;
    const Cell* rest = cell;
    long count = 0;
    for (; is_pair(rest); rest = pair_tail(rest)) ++count;
    if (!is_nil(rest)) fail_not_pair();
    if (count < INT32_MAX) const_cast<Cell*>(cell)->slot[2].integer = static_cast<std::int32_t>(count + 1);
    return count;
}

long live_cell_count() { return process.live_cells; }

}  // namespace cellisp
