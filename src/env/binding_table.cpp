// binding_table.cpp: bindings in 32 chained buckets, with shared frozen parents.

#include "env/binding_table.h"

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

BindingNode** bucket_of(const Cell* key, const BindingTable* table) {
    return &table->buckets[symbol_bucket(key) & table->bucket_mask];
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

std::size_t table_bytes(int buckets, int bindings) {
    return sizeof(BindingTable) + static_cast<std::size_t>(buckets) * sizeof(BindingNode*) +
           static_cast<std::size_t>(bindings) * sizeof(BindingNode);
}

// A node for one more binding of `table`: one made with the table while there are any.
BindingNode* take_node(BindingTable* table) {
    if (table->nodes_next != table->nodes_end) return table->nodes_next++;
    table->has_other_nodes = true;
    return new_binding_node();
}

bool is_own_node(const BindingTable* table, const BindingNode* node) {
    return node >= table->nodes_begin && node < table->nodes_end;
}

}  // namespace

BindingTable* table_new(int buckets, int bindings) {
    BindingTable* table = static_cast<BindingTable*>(take_memory(table_bytes(buckets, bindings)));
    table->refs = 1;
    table->bucket_mask = buckets - 1;
    table->frozen = false;
    table->parent = nullptr;
    // The buckets, then the nodes, follow the table in its block; both are pointer-aligned.
    table->buckets = reinterpret_cast<BindingNode**>(table + 1);
    for (int i = 0; i < buckets; ++i) table->buckets[i] = nullptr;
    table->nodes_begin = reinterpret_cast<BindingNode*>(table->buckets + buckets);
    table->nodes_next = table->nodes_begin;
    table->nodes_end = table->nodes_begin + bindings;
    table->has_other_nodes = false;
    return table;
}

int buckets_for(long bindings) {
    int buckets = 1;
    while (buckets < bindings && buckets < bucket_count) buckets *= 2;
    return buckets;
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

void table_copy(const BindingTable* source, BindingTable* destination) {
    if (source == nullptr) return;
    if (source->frozen) {
        ++const_cast<BindingTable*>(source)->refs;
        destination->parent = const_cast<BindingTable*>(source);
        return;
    }
    // Own bindings are copied bucket by bucket in chain order, so the copy has the same chains.
    for (int bucket = 0; bucket <= source->bucket_mask; ++bucket) {
        BindingNode** link = &destination->buckets[bucket];
        for (const BindingNode* node = source->buckets[bucket]; node != nullptr; node = node->next) {
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

void table_release(BindingTable* table) {
    // Parents are walked in a loop: a chain of captures does not deepen the recursion.
    while (table != nullptr && --table->refs == 0) {
        if (!table->has_other_nodes) {
            // A call's table, the common case: every node lies in the table's block.
            for (BindingNode* node = table->nodes_begin; node != table->nodes_next; ++node) release_value(node->value);
        } else {
            for (int i = 0; i <= table->bucket_mask; ++i) {
                for (BindingNode* node = table->buckets[i]; node != nullptr;) {
                    BindingNode* next = node->next;
                    release_value(node->value);
                    if (!is_own_node(table, node)) give_memory(node, sizeof(BindingNode));
                    node = next;
                }
            }
        }
        BindingTable* parent = table->parent;
        give_memory(table, table_bytes(table->bucket_mask + 1,
                                       static_cast<int>(table->nodes_end - table->nodes_begin)));
        table = parent;
    }
}

}  // namespace cellisp
