// binding_table.cpp: bindings in chained buckets, one block per table, with shared frozen parents.

#include "env/binding_table.h"

#include <bit>
#include <cstddef>

#include "cell/cell.h"
#include "cell/memory.h"
#include "driver/fail.h"

namespace cellisp {
namespace {

// The key a table stores for `key`: its canonical Symbol, so that a lookup compares one pointer. An empty name
// has none and keeps its own cell, which no lookup matches.
Cell* stored_key(Cell* key) {
    const Cell* canonical = symbol_canonical(key);
    return canonical != nullptr ? const_cast<Cell*>(canonical) : key;
}

BindingNode* const* bucket_of(const Cell* key, const BindingTable* table) {
    return &table_buckets(table)[symbol_bucket(key) & table->bucket_mask];
}

BindingNode** bucket_of(const Cell* key, BindingTable* table) {
    return &table_buckets(table)[symbol_bucket(key) & table->bucket_mask];
}

BindingNode* own_nodes(const BindingTable* table) {
    return reinterpret_cast<BindingNode*>(const_cast<BindingNode**>(table_buckets(table)) + table_bucket_count(table));
}

BindingNode* find_in(const Cell* key, const BindingTable* table) {
    const Cell* name = symbol_canonical(key);
    if (name == nullptr) return nullptr;  // an empty name matches nothing
    for (BindingNode* node = *bucket_of(key, table); node != nullptr; node = node->next) {
        if (node->key == name) return node;
    }
    return nullptr;
}

BindingNode* find_bound(const Cell* key, const BindingTable* table) {
    if (key->kind != CellKind::Symbol) return nullptr;
    for (; table != nullptr; table = table->parent) {
        if (BindingNode* node = find_in(key, table)) return node;
    }
    return nullptr;
}

// A node for one more binding of `table`: one made with the table while there are any.
BindingNode* take_node(BindingTable* table) {
    if (table->nodes_used < table->node_room) return own_nodes(table) + table->nodes_used++;
    table->has_other_nodes = true;
    return new_binding_node();
}

bool is_own_node(const BindingTable* table, const BindingNode* node) {
    return node >= own_nodes(table) && node < own_nodes(table) + table->node_room;
}

}  // namespace

BindingTable* table_new(int buckets, int bindings) {
    return table_make_in(take_memory(table_bytes(buckets, bindings)), buckets, bindings);
}

BindingTable* table_make_in(void* block, int buckets, int bindings) {
    BindingTable* table = static_cast<BindingTable*>(block);
    table->refs = 1;
    table->bucket_mask = static_cast<std::uint8_t>(buckets - 1);
    table->frozen = false;
    table->has_other_nodes = false;
    table->nodes_used = 0;
    table->node_room = static_cast<std::uint32_t>(bindings);
    table->parent = nullptr;
    BindingNode** chains = table_buckets(table);
    for (int i = 0; i < buckets; ++i) chains[i] = nullptr;
    return table;
}

int buckets_for(long bindings) {
    if (bindings >= bucket_count) return bucket_count;
    return static_cast<int>(std::bit_ceil(static_cast<unsigned long>(bindings < 1 ? 1 : bindings)));
}

BindingNode* new_binding_node() { return static_cast<BindingNode*>(take_memory(sizeof(BindingNode))); }

void table_insert(BindingTable* table, Cell* key, Cell* value) {
    if (key->kind != CellKind::Symbol) fail(msg::cannot_bind, 8);
    Cell* name = stored_key(key);
    BindingNode** link = bucket_of(key, table);
    for (; *link != nullptr; link = &(*link)->next) {
        BindingNode* node = *link;
        if (node->key == name && symbol_canonical(name) != nullptr) {
            Cell* old = node->value;
            node->value = value;
            release_value(old);
            return;
        }
    }
    BindingNode* node = take_node(table);
    node->key = name;
    node->value = value;
    node->next = nullptr;
    *link = node;
}

void table_insert_new(BindingTable* table, Cell* key, Cell* value) {
    // The chain's order does not matter to a name bound once: the node goes first, with nothing to compare.
    BindingNode** bucket = bucket_of(key, table);
    BindingNode* node = take_node(table);
    node->key = const_cast<Cell*>(symbol_canonical(key));
    node->value = value;
    node->next = *bucket;
    *bucket = node;
}

BindingNode* table_find(const Cell* key, const BindingTable* table) {
    if (key->kind != CellKind::Symbol) return nullptr;
    return find_in(key, table);
}

Cell* lookup(const Cell* key, const BindingTable* table) {
    BindingNode* node = find_bound(key, table);
    return node == nullptr ? nullptr : copy_value(node->value);
}

Cell* lookup_borrowed(const Cell* key, const BindingTable* table) {
    BindingNode* node = find_bound(key, table);
    return node == nullptr ? nullptr : node->value;
}

void copy_own_bindings(const BindingTable* source, BindingTable* destination) {
    // Own bindings are copied bucket by bucket in chain order, so the copy has the same chains.
    for (int bucket = 0; bucket <= source->bucket_mask; ++bucket) {
        BindingNode** link = &table_buckets(destination)[bucket];
        for (const BindingNode* node = table_buckets(source)[bucket]; node != nullptr; node = node->next) {
            BindingNode* copy = take_node(destination);
            copy->key = node->key;
            copy->value = copy_value(node->value);
            copy->next = nullptr;
            *link = copy;
            link = &copy->next;
        }
    }
    if (source->parent != nullptr) {
        ++source->parent->refs;
        destination->parent = source->parent;
    }
}

namespace {

// Releases what `table` holds (its values, the nodes allocated on their own, its reference to its parent), but
// not its own block. Returns the parent if this dropped its last reference, for the caller to reclaim.
BindingTable* drop_contents(BindingTable* table) {
    if (!table->has_other_nodes) {
        // A call's table, the common case: every node lies in the table's block.
        BindingNode* nodes = own_nodes(table);
        for (int i = 0; i < table->nodes_used; ++i) release_value(nodes[i].value);
    } else {
        for (int i = 0; i <= table->bucket_mask; ++i) {
            for (BindingNode* node = table_buckets(table)[i]; node != nullptr;) {
                BindingNode* next = node->next;
                release_value(node->value);
                if (!is_own_node(table, node)) give_memory(node, sizeof(BindingNode));
                node = next;
            }
        }
    }
    BindingTable* parent = table->parent;
    return parent != nullptr && --parent->refs == 0 ? parent : nullptr;
}

// Reclaims `table`, whose last reference has gone, and then each parent whose last reference goes with it: a
// loop, so that a chain of captures does not deepen the recursion.
void reclaim_tables(BindingTable* table) {
    while (table != nullptr) {
        BindingTable* parent = drop_contents(table);
        give_memory(table, table_bytes(table_bucket_count(table), static_cast<int>(table->node_room)));
        table = parent;
    }
}

}  // namespace

void table_release(BindingTable* table) {
    if (table != nullptr && --table->refs == 0) reclaim_tables(table);
}

void table_finish_in_place(BindingTable* table) { reclaim_tables(drop_contents(table)); }

}  // namespace cellisp
