// reader.cpp: building the program tree.

#include "reader/reader.h"

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "builtins/builtin_table.h"
#include "cell/cell.h"
#include "cell/memory.h"
#include "driver/process.h"
#include "driver/stack.h"
#include "reader/chars.h"

namespace cellisp {
namespace {

// The names read so far (process.h). A Symbol's canonical cell is found here once, when it is read, so that
// bindings compare names by one pointer comparison.
constexpr NameSet& names = process.names;

Cell* read_list(const char* p);
Cell* read_expr(const char* p);

std::size_t name_hash(const char* name) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a over the whole name
    for (; is_name_char(byte_at(name)); ++name) hash = (hash ^ byte_at(name)) * 1099511628211ull;
    return static_cast<std::size_t>(hash);
}

Cell** name_slot(Cell** slots, std::size_t capacity, const char* name) {
    std::size_t i = name_hash(name) & (capacity - 1);
    while (slots[i] != nullptr && !same_name(symbol_name(slots[i]), name)) i = (i + 1) & (capacity - 1);
    return &slots[i];
}

void grow_names() {
    const std::size_t capacity = names.capacity == 0 ? 256 : names.capacity * 2;
    Cell** slots = static_cast<Cell**>(take_memory(capacity * sizeof(Cell*)));
    for (std::size_t i = 0; i < capacity; ++i) slots[i] = nullptr;
    for (std::size_t i = 0; i < names.capacity; ++i) {
        if (names.slots[i] != nullptr) *name_slot(slots, capacity, symbol_name(names.slots[i])) = names.slots[i];
    }
    if (names.slots != nullptr) give_memory(names.slots, names.capacity * sizeof(Cell*));
    names.slots = slots;
    names.capacity = capacity;
}

// The first Symbol read with the name of `symbol`, which becomes it when the name is new; nullptr for an empty
// name.
const Cell* canonical_symbol(Cell* symbol) {
    const char* name = symbol_name(symbol);
    if (!is_name_char(byte_at(name))) return nullptr;
    if (2 * (names.count + 1) > names.capacity) grow_names();
    Cell** slot = name_slot(names.slots, names.capacity, name);
    if (*slot == nullptr) {
        *slot = symbol;
        ++names.count;
    }
    return *slot;
}

// Every cell of the tree is permanent.
Cell* permanent(Cell* cell) {
    make_permanent(cell);
    return cell;
}

Cell* new_tree_cell(CellKind kind) { return permanent(new_cell(kind)); }

// A Pair whose tail the caller sets when the next element is read.
Cell* new_tree_pair(Cell* head) { return permanent(new_pair(head, nullptr)); }

// Digits accumulate as value * 10 + digit in 32 bits, wrapping, and the result is read as signed: 2147483648
// reads as -2147483648. Name characters after the digits are ignored (12abc reads as 12).
Cell* read_integer(const char* p) {
    std::uint32_t value = 0;
    for (; is_digit(byte_at(p)); ++p) value = value * 10u + static_cast<std::uint32_t>(byte_at(p) - '0');
    return permanent(new_integer_cell(static_cast<std::int32_t>(value)));
}

// 'x reads as a call of a quote cell of its own on x; blanks may stand between the mark and its element.
Cell* read_quote(const char* p) {
    const Cell* shared = builtin_cell(BuiltinId::Quote);
    Cell* quote = new_builtin(builtin_name(shared), builtin_entry(shared), builtin_tail_entry(shared),
                              builtin_test_entry(shared));
    make_permanent(quote);
    Cell* argument = new_tree_pair(read_expr(skip_blanks(p + 1)));
    set_pair_tail(argument, new_tree_cell(CellKind::Nil));
    Cell* form = new_tree_pair(quote);
    set_pair_tail(form, argument);
    return form;
}

Cell* read_name(const char* p) {
    if (same_name(p, "define")) return new_tree_cell(CellKind::DefineMark);
    for (Cell* builtin : process.builtin_cells) {
        if (same_name(p, builtin_name(builtin))) return builtin;
    }
    Cell* symbol = permanent(new_symbol(p, hash_name(p)));
    set_symbol_canonical(symbol, canonical_symbol(symbol));
    return symbol;
}

// The elements of the list that begins at `p` (the byte after a '(', or the start of the text). Permanent.
Cell* read_list(const char* p) {
    p = skip_blanks(p);
    if (*p == ')') return new_tree_cell(CellKind::Nil);
    // The first element is read even at the end of the text: it is then an empty name.
    Cell* first = new_tree_pair(read_expr(p));
    Cell* last = first;
    while ((p = next_element(p)) != nullptr) {
        Cell* pair = new_tree_pair(read_expr(p));
        set_pair_tail(last, pair);
        last = pair;
    }
    set_pair_tail(last, new_tree_cell(CellKind::Nil));
    return first;
}

// The one element that begins at `p`, a byte that is not a blank. Permanent.
Cell* read_expr(const char* p) {
    check_stack();
    const unsigned char first = byte_at(p);
    if (first == '(') return read_list(p + 1);
    if (is_digit(first)) return read_integer(p);
    if (first == '\'') return read_quote(p);
    if (first == '"') return permanent(new_string(p));
    return read_name(p);
}

}  // namespace

Cell* read_program(const char* text) {
    assert(builtin_cell(BuiltinId::Eval) != nullptr);  // register_builtins has run
    index_parentheses(text);
    return read_list(text);
}

}  // namespace cellisp
