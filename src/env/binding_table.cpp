// binding_table.cpp: two shapes of table behind one set of verbs.
//
// A flat table keeps its bindings in an array in its own block and searches them from the first: a call's table
// and a snapshot taken inside a call hold a handful of names, and a short scan of pointers beats hashing them.
// A hashed table has 32 buckets, one for each value of hash_name, each a chain of nodes in the order in which its
// names were first bound; replacing a binding keeps its node in place. The top level, which grows without bound,
// its snapshots, and the rare call with more than flat_limit names are hashed.
//
// Invariants: a name is bound at most once in a table's own bindings; a flat table's bindings are [0, count) of
// its array and count <= room; a hashed table's name lies in bucket symbol_bucket(name); only snapshots, which
// never change, are parents.

#include "env/binding_table.h"

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "cell/cell.h"
#include "cell/memory.h"
#include "driver/fail.h"

namespace cellisp {

enum class Shape : std::uint8_t { Flat, Hashed };

struct BindingTable {
    BindingTable* parent;  // one counted reference to a snapshot, or nullptr
    std::uint32_t refs;    // counted references; the last one to go reclaims the table
    Shape shape;
    std::uint8_t count;  // flat: the bindings in use
    std::uint8_t room;   // flat: the bindings the block has room for
};

namespace {

struct Binding {
    Cell* key;    // the canonical Symbol of the name (an empty name keeps its own cell); not owned
    Cell* value;  // one reference, owned by the table
};

struct BindingNode {
    Cell* key;
    Cell* value;
    BindingNode* next;
};

constexpr long flat_limit = 32;   // the most names a flat table holds: beyond, a scan costs more than a hash
constexpr int bucket_count = 32;  // one bucket for each value of hash_name; tables never grow or rehash

static_assert(flat_limit <= UINT8_MAX);

Binding* flat_bindings(BindingTable* table) { return reinterpret_cast<Binding*>(table + 1); }
const Binding* flat_bindings(const BindingTable* table) { return reinterpret_cast<const Binding*>(table + 1); }
BindingNode** buckets(BindingTable* table) { return reinterpret_cast<BindingNode**>(table + 1); }
BindingNode* const* buckets(const BindingTable* table) { return reinterpret_cast<BindingNode* const*>(table + 1); }

std::size_t flat_bytes(long room) { return sizeof(BindingTable) + static_cast<std::size_t>(room) * sizeof(Binding); }
constexpr std::size_t hashed_bytes = sizeof(BindingTable) + bucket_count * sizeof(BindingNode*);

// The key a table stores for `key`: its canonical Symbol, so that a lookup compares one pointer. An empty name
// has none and keeps its own cell, which no lookup matches.
Cell* stored_key(Cell* key) {
    const Cell* canonical = symbol_canonical(key);
    return canonical != nullptr ? const_cast<Cell*>(canonical) : key;
}

BindingTable* new_table(Shape shape, std::size_t bytes, BindingTable* parent) {
    BindingTable* table = static_cast<BindingTable*>(take_memory(bytes));
    table->parent = parent;
    table->refs = 1;
    table->shape = shape;
    table->count = 0;
    table->room = 0;
    if (shape == Shape::Hashed) {
        for (int i = 0; i < bucket_count; ++i) buckets(table)[i] = nullptr;
    }
    return table;
}

BindingTable* new_flat_table(long room, BindingTable* parent) {
    BindingTable* table = new_table(Shape::Flat, flat_bytes(room), parent);
    table->room = static_cast<std::uint8_t>(room);
    return table;
}

// Out of line, so that making a call's flat table stays short enough to be made in its caller.
[[gnu::noinline]] BindingTable* new_hashed_table(BindingTable* parent) {
    return new_table(Shape::Hashed, hashed_bytes, parent);
}

BindingTable* share(BindingTable* table) {
    if (table != nullptr) ++table->refs;
    return table;
}

// The place of the value bound to `name` (a canonical Symbol, or nullptr for an empty name) in the table's own
// bindings, or nullptr. `bucket` is the name's bucket. No stored key is nullptr, so an empty name is found nowhere.
// The place, not the value: a place that is found is known not to be nullptr, so a lookup that finds the name
// tests nothing more, which is 2 instructions of every lookup.
Cell* const* find_own(const Cell* name, std::int32_t bucket, const BindingTable* table) {
    if (table->shape == Shape::Flat) {
        const Binding* bindings = flat_bindings(table);
        for (int i = 0; i < table->count; ++i) {
            if (bindings[i].key == name) return &bindings[i].value;
        }
        return nullptr;
    }
    for (const BindingNode* node = buckets(table)[bucket]; node != nullptr; node = node->next) {
        if (node->key == name) return &node->value;
    }
    return nullptr;
}

BindingNode* new_binding_node(Cell* key, Cell* value) {
    BindingNode* node = static_cast<BindingNode*>(take_memory(sizeof(BindingNode)));
    *node = {key, value, nullptr};
    return node;
}

[[gnu::noinline]] void replace_value(Cell** place, Cell* value) {
    Cell* old = *place;
    *place = value;
    release_value(old);
}

[[gnu::noinline]] void insert_hashed(BindingTable* table, Cell* key, Cell* value) {
    BindingNode** link = &buckets(table)[symbol_bucket(key)];
    for (; *link != nullptr; link = &(*link)->next) {
        BindingNode* node = *link;
        if (node->key == key && symbol_canonical(key) != nullptr) return replace_value(&node->value, value);
    }
    *link = new_binding_node(key, value);
}

BindingTable* copy_flat(const BindingTable* source) {
    BindingTable* copy = new_flat_table(source->count, share(source->parent));
    const Binding* from = flat_bindings(source);
    Binding* to = flat_bindings(copy);
    for (int i = 0; i < source->count; ++i) to[i] = {from[i].key, copy_value(from[i].value)};
    copy->count = source->count;
    return copy;
}

BindingTable* copy_hashed(const BindingTable* source) {
    // Bucket by bucket in chain order, so that the copy has the same chains.
    BindingTable* copy = new_table(Shape::Hashed, hashed_bytes, share(source->parent));
    for (int bucket = 0; bucket < bucket_count; ++bucket) {
        BindingNode** link = &buckets(copy)[bucket];
        for (const BindingNode* node = buckets(source)[bucket]; node != nullptr; node = node->next) {
            *link = new_binding_node(node->key, copy_value(node->value));
            link = &(*link)->next;
        }
    }
    return copy;
}

bool has_own_bindings(const BindingTable* table) {
    if (table->shape == Shape::Flat) return table->count > 0;
    for (int i = 0; i < bucket_count; ++i) {
        if (buckets(table)[i] != nullptr) return true;
    }
    return false;
}

// Releases a hashed table's nodes and values and gives back its memory. Out of line, so that releasing a call's
// flat table, which every call does, saves and restores fewer registers: 4 instructions fewer a call.
[[gnu::noinline]] void reclaim_hashed(BindingTable* table) {
    for (int i = 0; i < bucket_count; ++i) {
        for (BindingNode* node = buckets(table)[i]; node != nullptr;) {
            BindingNode* next = node->next;
            release_value(node->value);
            give_memory(node, sizeof(BindingNode));
            node = next;
        }
    }
    give_memory(table, hashed_bytes);
}

// Releases the table's values and gives back its memory; returns its parent, whose reference it held.
BindingTable* reclaim_one(BindingTable* table) {
    BindingTable* parent = table->parent;
    if (table->shape != Shape::Flat) {
        reclaim_hashed(table);
        return parent;
    }
    Binding* bindings = flat_bindings(table);
    for (int i = 0; i < table->count; ++i) release_value(bindings[i].value);
    give_memory(table, flat_bytes(table->room));
    return parent;
}

}  // namespace

BindingTable* table_new() { return new_table(Shape::Hashed, hashed_bytes, nullptr); }

BindingTable* table_for_call(BindingTable* parent, long room) {
    assert(room >= 0);
    if (room > flat_limit) return new_hashed_table(share(parent));
    return new_flat_table(room, share(parent));
}

void table_insert(BindingTable* table, Cell* key, Cell* value) {
    if (key->kind != CellKind::Symbol) fail(msg::cannot_bind, 8);
    if (table->shape != Shape::Flat) return insert_hashed(table, stored_key(key), value);
    // A call's table, the common case: a scan of a few pointers for a name bound already. An empty name matches
    // nothing, so it is always added.
    Cell* name = stored_key(key);
    Binding* bindings = flat_bindings(table);
    for (int i = 0; i < table->count; ++i) {
        if (bindings[i].key == name && symbol_canonical(name) != nullptr) {
            return replace_value(&bindings[i].value, value);
        }
    }
    assert(table->count < table->room);
    bindings[table->count++] = {name, value};
}

void table_add(BindingTable* table, Cell* key, Cell* value) {
    assert(key->kind == CellKind::Symbol && symbol_canonical(key) != nullptr);
    Cell* name = const_cast<Cell*>(symbol_canonical(key));  // a name, so its own stored key
    if (table->shape != Shape::Flat) return insert_hashed(table, name, value);
    assert(table->count < table->room && find_own(name, symbol_bucket(name), table) == nullptr);
    // The binding's place is reckoned from the table's own address each time, not from flat_bindings: a caller that
    // binds in a loop (eval_call) then keeps no second pointer into the table across the evaluation of the next
    // argument, which took a slot of eval_call's frame, 16 bytes more stack for every level of recursion.
    const std::size_t offset = sizeof(BindingTable) + table->count++ * sizeof(Binding);
    *reinterpret_cast<Binding*>(reinterpret_cast<char*>(table) + offset) = {name, value};
}

Cell* lookup(const Cell* key, const BindingTable* table) {
    assert(key->kind == CellKind::Symbol);
    // An empty name has no canonical cell and matches nothing: find_own finds no binding of nullptr.
    const Cell* name = symbol_canonical(key);
    const std::int32_t bucket = symbol_bucket(key);
    for (; table != nullptr; table = table->parent) {
        if (Cell* const* place = find_own(name, bucket, table)) return *place;
    }
    return nullptr;
}

BindingTable* table_copy(const BindingTable* source) {
    if (source == nullptr) return nullptr;
    // A table with no bindings of its own sees just what its parent sees, and the parent never changes.
    if (!has_own_bindings(source)) return share(source->parent);
    return source->shape == Shape::Flat ? copy_flat(source) : copy_hashed(source);
}

namespace {

// A loop up the parents, so that a long chain of snapshots does not deepen the recursion.
[[gnu::noinline]] void reclaim_tables(BindingTable* table) {
    do {
        table = reclaim_one(table);
    } while (table != nullptr && --table->refs == 0);
}

}  // namespace

BindingTable* table_share(BindingTable* table) { return share(table); }

void table_release(BindingTable* table) {
    if (table != nullptr && --table->refs == 0) reclaim_tables(table);
}

}  // namespace cellisp
