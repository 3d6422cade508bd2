#pragma once
// binding_table.h: environments, 32 buckets of bindings keyed by name.
//
// A table maps names to values. Each bucket is a chain of BindingNodes in the order in which their names were
// first bound; replacing a binding keeps its node in place.
// Ownership: a table owns its nodes and one reference to each bound value; lookup hands out copies, never the
// stored reference. Keys are Symbol cells of the program tree (the reader makes every Symbol, and they live for
// the whole run), so a table only refers to them. Two keys are the same name when their Symbols' canonical cells
// are the same (cell.h), which is how names compare in place in the source text.
//
// Sharing. A table may have a parent, a table that it shares (one counted reference) and that is frozen: never
// changed again. A name is looked up in the table's own buckets, then in its parent's, and so on; a binding in the
// table hides a binding of the same name further up. A Function's captured table is frozen once it is made, so a
// call's table is made in constant time as a table whose parent is the captured one, and a capture made inside a
// call copies only that call's own bindings.
// Buckets. The top-level table has 32 buckets, one for each value of hash_name. A call's table holds a handful of
// bindings, so it has fewer (a power of two), and a name goes in bucket hash_name(name) modulo their number.
// Invariants: a name is bound at most once in a table's own buckets, in bucket hash_name(name) & bucket_mask; only
// frozen tables are parents.

#include <cstddef>
#include <cstdint>

namespace cellisp {

struct Cell;

constexpr int bucket_count = 32;  // the most a table has; tables never grow or rehash

struct BindingNode {
    Cell* key;    // the canonical Symbol of the bound name (an empty name keeps its own cell); not owned
    Cell* value;  // one reference, owned by the table
    BindingNode* next;
};

// A table is one block: this header, then its buckets, then the nodes made with it for the bindings it is
// expected to hold. Nodes beyond those are allocated one by one.
struct BindingTable {
    std::uint32_t refs;        // counted references; the table is reclaimed when the last one is released
    std::uint8_t bucket_mask;  // the number of buckets less one: 0, 1, 3, ... 31
    bool frozen;               // never changed again
    bool has_other_nodes;      // some node was allocated on its own
    std::uint8_t nodes_used;   // of the nodes made with the table, those in use: [0, nodes_used)
    std::uint32_t node_room;   // the number of nodes made with the table
    BindingTable* parent;      // shared and frozen, or nullptr
};

inline BindingNode** table_buckets(BindingTable* table) { return reinterpret_cast<BindingNode**>(table + 1); }
inline BindingNode* const* table_buckets(const BindingTable* table) {
    return reinterpret_cast<BindingNode* const*>(table + 1);
}
inline int table_bucket_count(const BindingTable* table) { return table->bucket_mask + 1; }

// A new, empty table with one reference, owned by the caller, with `buckets` buckets (a power of two, at most
// bucket_count) and room made ahead for `bindings` bindings. Failure ends the run.
// REQUIRES: bindings < 256.
BindingTable* table_new(int buckets = bucket_count, int bindings = 0);

// The size of the block of a table with `buckets` buckets and room made ahead for `bindings` bindings.
constexpr std::size_t table_bytes(int buckets, int bindings) {
    return sizeof(BindingTable) + static_cast<std::size_t>(buckets) * sizeof(BindingNode*) +
           static_cast<std::size_t>(bindings) * sizeof(BindingNode);
}

// A new, empty table made in `block` (table_bytes(buckets, bindings) bytes, aligned for a BindingTable), which
// stays the caller's: for a call's table, which is never shared (a capture copies its bindings), and so can live
// in the caller's stack frame. Its life ends with table_finish_in_place, never with table_release.
BindingTable* table_make_in(void* block, int buckets, int bindings);

// Releases everything a table made by table_make_in holds; its block stays the caller's.
void table_finish_in_place(BindingTable* table);

// The number of buckets that suits a table expected to hold `bindings` bindings.
int buckets_for(long bindings);

// A new node with its fields unset; owned by the caller. Failure ends the run.
BindingNode* new_binding_node();

// Binds `key` to `value` in `table`, or replaces the binding of the same name (the old value is released).
// Takes: the value belongs to the table. A key that is not a Symbol ends the run with "Can't add this to hash\n",
// status 8, and the table is unchanged.
// REQUIRES: table is not frozen.
void table_insert(BindingTable* table, Cell* key, Cell* value);

// table_insert for a name that `table` does not bind yet, in a table whose bindings were all made ahead.
// REQUIRES: key is a Symbol with a name that is not empty and not bound in the table's own buckets.
void table_insert_new(BindingTable* table, Cell* key, Cell* value);

// The node of `table`'s own buckets that binds the name of `key`, or nullptr. Borrowed.
BindingNode* table_find(const Cell* key, const BindingTable* table);

// A copy of the value bound to the name of `key` in `table` or its parents, owned by the caller; nullptr when
// `table` is nullptr or the name is unbound. `key` may be of any kind: only a Symbol can be bound.
Cell* lookup(const Cell* key, const BindingTable* table);

// The value bound to the name of `key`, as lookup finds it, but borrowed: valid only until the table changes.
// For callers that read an Integer and let go at once.
Cell* lookup_borrowed(const Cell* key, const BindingTable* table);

// Makes `destination` hold every binding in force in `source` (nothing when source is nullptr): it shares a frozen
// source as its parent, and copies the own bindings of any other source, sharing the source's parent.
// REQUIRES: destination is new from table_new (no bindings, no parent), with as many buckets as the source.
void copy_own_bindings(const BindingTable* source, BindingTable* destination);  // the part for an unfrozen source
inline void table_copy(const BindingTable* source, BindingTable* destination) {
    if (source == nullptr) return;
    if (!source->frozen) return copy_own_bindings(source, destination);
    ++const_cast<BindingTable*>(source)->refs;  // a call's table: constant time
    destination->parent = const_cast<BindingTable*>(source);
}

// Marks `table` as never to be changed again, so that copies of it can share it.
inline void table_freeze(BindingTable* table) { table->frozen = true; }

// Drops one reference to `table`; the last one reclaims the table, its nodes, its references to its values and
// to its parent. nullptr is allowed and does nothing.
void table_release(BindingTable* table);

}  // namespace cellisp
