// binding_table.cpp: bindings in 32 chained buckets, with shared frozen parents.

#include "env/binding_table.h"

#include <cstddef>

#include "cell/cell.h"
#include "cell/memory.h"
#include "driver/fail.h"

namespace cellisp {
namespace {

bool same_key(const Cell* a, const Cell* b) {
    const Cell* name = symbol_canonical(a);
    return name != nullptr && name == symbol_canonical(b);  // an empty name matches nothing
}

BindingNode** bucket_of(const Cell* key, const BindingTable* table) {
    return &table->buckets[symbol_bucket(key) & table->bucket_mask];
}

BindingNode* find_in(const Cell* key, const BindingTable* table) {
    for (BindingNode* node = *bucket_of(key, table); node != nullptr; node = node->next) {
        if (same_key(node->key, key)) return node;
    }
    return nullptr;
}

void give_node(BindingNode* node) { give_memory(node, sizeof(BindingNode)); }

std::size_t table_bytes(int buckets) {
    return sizeof(BindingTable) + static_cast<std::size_t>(buckets) * sizeof(BindingNode*);
}

}  // namespace

BindingTable* table_new(int buckets) {
    BindingTable* table = static_cast<BindingTable*>(take_memory(table_bytes(buckets)));
    table->refs = 1;
    table->bucket_mask = buckets - 1;
    table->frozen = false;
    table->parent = nullptr;
    table->buckets = reinterpret_cast<BindingNode**>(table + 1);
    for (int i = 0; i < buckets; ++i) table->buckets[i] = nullptr;
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
    BindingNode** link = bucket_of(key, table);
    for (; *link != nullptr; link = &(*link)->next) {
        BindingNode* node = *link;
        if (same_key(node->key, key)) {
            Cell* old = node->value;
            node->key = key;
            node->value = value;
            release_value(old);
            return;
        }
    }
    BindingNode* node = new_binding_node();
    node->key = key;
    node->value = value;
    node->next = nullptr;
    *link = node;
}

BindingNode* table_find(const Cell* key, const BindingTable* table) {
    if (key->kind != CellKind::Symbol) return nullptr;
    return find_in(key, table);
}

Cell* lookup(const Cell* key, const BindingTable* table) {
    if (key->kind != CellKind::Symbol) return nullptr;
    for (; table != nullptr; table = table->parent) {
        if (BindingNode* node = find_in(key, table)) return copy_value(node->value);
    }
    return nullptr;
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
            BindingNode* copy = new_binding_node();
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
        for (int i = 0; i <= table->bucket_mask; ++i) {
            for (BindingNode* bucket = table->buckets[i]; bucket != nullptr;) {
                BindingNode* next = bucket->next;
                release_value(bucket->value);
                give_node(bucket);
                bucket = next;
            }
        }
        BindingTable* parent = table->parent;
        give_memory(table, table_bytes(table->bucket_mask + 1));
        table = parent;
    }
}

}  // namespace cellisp
