#pragma once
// binding_table.h: environments, the tables that map names to values.
//
// A table binds names to values; a name is bound at most once in a table's own bindings. A table may have a
// parent, a table that it shares (one counted reference) and that never changes again: a name is looked up in the
// table's own bindings, then in its parent's, and so on, and a binding hides the bindings of the same name further
// up. A Function's captured table is such a never-changed snapshot, so a call's table is made in constant time as
// a table whose parent is the snapshot.
//
// Ownership: a table owns one reference to each bound value; lookup lends the stored value, never hands it over.
// Keys are Symbol cells, which the reader makes and which live for the whole run, so a table only refers to them.
// Two keys are the same name when their Symbols' canonical cells are the same (cell.h); an empty name matches no
// name, not even itself.
//
// What a table looks like inside is this module's business alone: callers hold a BindingTable* and use the verbs
// below.

namespace cellisp {

struct Cell;
struct BindingTable;

// The top-level table: new, empty, with no parent and no bound on its number of bindings; owned by the caller,
// who gives it to table_release. Failure to get memory ends the run.
BindingTable* table_new();

// A call's table: new, with `parent` (borrowed, or nullptr; a snapshot from table_copy) as its parent and room for
// `room` bindings of its own; owned by the caller. Failure to get memory ends the run.
// REQUIRES: room >= 0.
BindingTable* table_for_call(BindingTable* parent, long room);

// Binds `key` to `value` in `table`, or replaces the binding of the same name in the table's own bindings (the
// old value is released). Takes: the value belongs to the table. A key that is not a Symbol ends the run with
// "Can't add this to hash\n", status 8, and the table is unchanged.
// REQUIRES: a call's table has room for one more name, if the name is new to it.
void table_insert(BindingTable* table, Cell* key, Cell* value);

// Binds `key` to `value` in `table` without looking for a binding of the same name first: for the parameters of
// a call, when the function knows that they are distinct names (function_has_distinct_names). Takes the value.
// A second way to bind, kept because it pays: the search that table_insert makes costs tak and ack about 5% of
// their instructions.
// REQUIRES: key is a Symbol with a name that `table` does not bind; a call's table has room for one more name.
void table_add(BindingTable* table, Cell* key, Cell* value);

// The value bound to the name of `key` in `table` or its parents, borrowed: it stays valid while the table holds
// it, which is at least until the table next changes (copy_value it to keep it). nullptr when `table` is nullptr
// or the name is unbound.
// REQUIRES: key is a Symbol.
Cell* lookup(const Cell* key, const BindingTable* table);

// A snapshot of every binding in force in `source`: a table that will never change, owned by the caller
// (nullptr when there is nothing to see, source nullptr included). It copies the source's own bindings (sharing
// their values) and shares the source's parent.
BindingTable* table_copy(const BindingTable* source);

// Another reference to `table` (nullptr allowed, and then the result), for the caller to give to table_release.
BindingTable* table_share(BindingTable* table);

// Drops one reference to `table`; the last one reclaims the table and its references to its values and to its
// parent. nullptr is allowed and does nothing.
void table_release(BindingTable* table);

}  // namespace cellisp
