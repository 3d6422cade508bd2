// Binding tables: insertion, replacement, lookup through parents, copies that change independently.

#include "env/binding_table.h"

#include <gtest/gtest.h>

#include "cell/cell.h"
#include "support.h"

namespace cellisp {
namespace {

using testing::element;
using testing::read_text;

std::int32_t bound_integer(Cell* key, const BindingTable* table) {
    Cell* value = lookup(key, table);
    if (value == nullptr) return -1;
    const std::int32_t result = integer_value(value);
    release_value(value);
    return result;
}

TEST(BindingTable, EmptyAndMissingTablesFindNothing) {
    Cell* names = read_text("x");
    BindingTable* table = table_new();
    EXPECT_EQ(lookup(element(names, 0), table), nullptr);
    EXPECT_EQ(lookup(element(names, 0), nullptr), nullptr);
    table_release(table);
}

TEST(BindingTable, NamesSharingABucketStayApart) {
    Cell* names = read_text("x my-var fa fact x fact");
    BindingTable* table = table_new();
    for (int i = 0; i < 4; ++i) table_insert(table, element(names, i), new_integer(i + 1));
    EXPECT_EQ(symbol_bucket(element(names, 0)), symbol_bucket(element(names, 1)));
    EXPECT_EQ(bound_integer(element(names, 4), table), 1);  // another cell with the same name
    EXPECT_EQ(bound_integer(element(names, 1), table), 2);
    EXPECT_EQ(bound_integer(element(names, 5), table), 4);
    EXPECT_EQ(table_buckets(table)[24]->key, symbol_canonical(element(names, 0)));  // the chain keeps x first
    BindingTable* small = table_new(4);  // a call's table: bucket hash_name modulo 4
    for (int i = 0; i < 4; ++i) table_insert(small, element(names, i), new_integer(i + 1));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bound_integer(element(names, i), small), i + 1);
    table_release(small);
    table_release(table);
}

TEST(BindingTable, ReplacingKeepsTheNodeAndReleasesTheOldValue) {
    Cell* names = read_text("x y x");
    BindingTable* table = table_new();
    const long before = live_cell_count();
    table_insert(table, element(names, 0), new_integer(100001));
    BindingNode* node = table_find(element(names, 0), table);
    table_insert(table, element(names, 2), new_integer(100002));
    EXPECT_EQ(table_find(element(names, 0), table), node);
    EXPECT_EQ(bound_integer(element(names, 0), table), 100002);
    EXPECT_EQ(live_cell_count(), before + 1);
    table_release(table);
    EXPECT_EQ(live_cell_count(), before);
}

TEST(BindingTable, OnlySymbolsCanBeKeys) {
    Cell* tree = read_text("5 \"s\" (f)");
    BindingTable* table = table_new();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EXIT(table_insert(table, element(tree, i), new_integer(3)), ::testing::ExitedWithCode(8), "");
    }
    table_release(table);
}

TEST(BindingTable, CopyAndSourceChangeIndependently) {
    Cell* names = read_text("a b c");
    BindingTable* source = table_new();
    table_insert(source, element(names, 0), new_integer(1));
    table_insert(source, element(names, 1), new_integer(2));
    BindingTable* copy = table_new();
    table_copy(source, copy);
    table_insert(copy, element(names, 0), new_integer(10));
    table_insert(source, element(names, 1), new_integer(20));
    table_insert(source, element(names, 2), new_integer(30));
    EXPECT_EQ(bound_integer(element(names, 0), source), 1);
    EXPECT_EQ(bound_integer(element(names, 0), copy), 10);
    EXPECT_EQ(bound_integer(element(names, 1), copy), 2);
    EXPECT_EQ(bound_integer(element(names, 2), copy), -1);
    EXPECT_EQ(table_find(element(names, 1), copy)->key, table_find(element(names, 1), source)->key);
    table_release(copy);
    EXPECT_EQ(bound_integer(element(names, 1), source), 20);
    table_release(source);
}

TEST(BindingTable, CopiesOfAFrozenTableShareItAndHideNothingWrongly) {
    Cell* names = read_text("a b");
    const long before = live_cell_count();
    BindingTable* snapshot = table_new();
    table_insert(snapshot, element(names, 0), new_integer(1));
    table_insert(snapshot, element(names, 1), new_integer(2));
    table_freeze(snapshot);
    BindingTable* call = table_new();
    table_copy(snapshot, call);
    EXPECT_EQ(call->parent, snapshot);
    table_insert(call, element(names, 1), new_integer(5));  // hides b of the snapshot
    BindingTable* capture = table_new();
    table_copy(call, capture);  // own bindings copied, the snapshot shared
    table_release(call);
    table_release(snapshot);
    EXPECT_EQ(bound_integer(element(names, 0), capture), 1);
    EXPECT_EQ(bound_integer(element(names, 1), capture), 5);
    table_release(capture);
    EXPECT_EQ(live_cell_count(), before);
}

TEST(BindingTable, CopyFromNothingIsEmpty) {
    Cell* names = read_text("a");
    BindingTable* copy = table_new();
    table_copy(nullptr, copy);
    EXPECT_EQ(lookup(element(names, 0), copy), nullptr);
    EXPECT_EQ(copy->parent, nullptr);
    table_release(copy);
}

}  // namespace
}  // namespace cellisp
