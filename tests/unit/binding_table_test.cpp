// Binding tables: insertion, replacement, lookup through parents, snapshots that change independently of their
// source, and the release of everything a table holds.

#include "env/binding_table.h"

#include <gtest/gtest.h>

#include <string>

#include "cell/cell.h"
#include "support.h"

namespace cellisp {
namespace {

using testing::element;
using testing::read_text;

std::int32_t bound_integer(Cell* key, const BindingTable* table) {
    const Cell* value = lookup(key, table);
    return value == nullptr ? -1 : integer_value(value);
}

// Tables of each shape that a run makes: the top level, and calls' tables small and large.
struct Maker {
    const char* what;
    BindingTable* (*make)(BindingTable* parent, long room);
};
const Maker makers[] = {
    {"top level", [](BindingTable*, long) { return table_new(); }},
    {"call", [](BindingTable* parent, long room) { return table_for_call(parent, room); }},
};

TEST(BindingTable, EmptyAndMissingTablesFindNothing) {
    Cell* names = read_text("x");
    for (const Maker& maker : makers) {
        BindingTable* table = maker.make(nullptr, 1);
        EXPECT_EQ(lookup(element(names, 0), table), nullptr) << maker.what;
        table_release(table);
    }
    EXPECT_EQ(lookup(element(names, 0), nullptr), nullptr);
}

// x and my-var share a bucket, and so do fa and fact; the later x and fact are other cells with the same names.
TEST(BindingTable, NamesStayApartAndAreFoundByAnyCellWithTheName) {
    Cell* names = read_text("x my-var fa fact x fact");
    EXPECT_EQ(symbol_bucket(element(names, 0)), symbol_bucket(element(names, 1)));
    for (const Maker& maker : makers) {
        BindingTable* table = maker.make(nullptr, 4);
        for (int i = 0; i < 4; ++i) table_insert(table, element(names, i), new_integer(i + 1));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(bound_integer(element(names, i), table), i + 1) << maker.what;
        EXPECT_EQ(bound_integer(element(names, 4), table), 1) << maker.what;
        EXPECT_EQ(bound_integer(element(names, 5), table), 4) << maker.what;
        table_release(table);
    }
}

// A replacement takes no room of its own: a call's table with room for one name takes the same name again.
TEST(BindingTable, ReplacingReleasesTheOldValueAndTakesNoRoom) {
    Cell* names = read_text("x y x");
    for (const Maker& maker : makers) {
        const long before = live_cell_count();
        BindingTable* table = maker.make(nullptr, 1);
        table_insert(table, element(names, 0), new_integer(100001));
        table_insert(table, element(names, 2), new_integer(100002));
        EXPECT_EQ(bound_integer(element(names, 0), table), 100002) << maker.what;
        EXPECT_EQ(live_cell_count(), before + 1) << maker.what;
        table_release(table);
        EXPECT_EQ(live_cell_count(), before) << maker.what;
    }
}

// An empty name (what a bare quote mark quotes) can be bound, but no lookup finds it, not even by the same cell,
// and binding it again adds a binding instead of replacing the first.
TEST(BindingTable, AnEmptyNameIsBoundButNeverFound) {
    Cell* empty = pair_head(pair_tail(element(read_text("'"), 0)));
    ASSERT_EQ(symbol_canonical(empty), nullptr);
    for (const Maker& maker : makers) {
        const long before = live_cell_count();
        BindingTable* table = maker.make(nullptr, 2);
        table_insert(table, empty, new_integer(100001));
        table_insert(table, empty, new_integer(100002));
        EXPECT_EQ(live_cell_count(), before + 2) << maker.what;
        EXPECT_EQ(lookup(empty, table), nullptr) << maker.what;
        BindingTable* snapshot = table_copy(table);
        BindingTable* call = table_for_call(snapshot, 0);
        EXPECT_EQ(lookup(empty, call), nullptr) << maker.what;
        table_release(call);
        table_release(snapshot);
        table_release(table);
        EXPECT_EQ(live_cell_count(), before) << maker.what;
    }
}

TEST(BindingTable, OnlySymbolsCanBeKeys) {
    Cell* tree = read_text("5 \"s\" (f)");
    for (const Maker& maker : makers) {
        BindingTable* table = maker.make(nullptr, 1);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EXIT(table_insert(table, element(tree, i), new_integer(3)), ::testing::ExitedWithCode(8), "")
                << maker.what;
        }
        table_release(table);
    }
}

// Calls' tables of every size up to well past the largest kept flat, each name bound and found once.
TEST(BindingTable, CallTablesOfEverySizeHoldTheirNames) {
    static std::string text;
    for (int i = 0; i < 70; ++i) text += "p" + std::to_string(i) + " ";
    Cell* names = read_text(text.c_str());
    const long before = live_cell_count();
    for (int room = 0; room <= 70; ++room) {
        BindingTable* table = table_for_call(nullptr, room);
        for (int i = 0; i < room; ++i) table_insert(table, element(names, i), new_integer(100000 + i));
        for (int i = 0; i < room; ++i) EXPECT_EQ(bound_integer(element(names, i), table), 100000 + i) << room;
        if (room < 70) {
            EXPECT_EQ(lookup(element(names, room), table), nullptr) << room;
        }
        table_release(table);
    }
    EXPECT_EQ(live_cell_count(), before);
}

TEST(BindingTable, SnapshotAndSourceChangeIndependently) {
    Cell* names = read_text("a b c");
    for (const Maker& maker : makers) {
        BindingTable* source = maker.make(nullptr, 3);
        table_insert(source, element(names, 0), new_integer(1));
        table_insert(source, element(names, 1), new_integer(2));
        BindingTable* snapshot = table_copy(source);
        table_insert(source, element(names, 1), new_integer(20));
        table_insert(source, element(names, 2), new_integer(30));
        EXPECT_EQ(bound_integer(element(names, 0), snapshot), 1) << maker.what;
        EXPECT_EQ(bound_integer(element(names, 1), snapshot), 2) << maker.what;
        EXPECT_EQ(bound_integer(element(names, 2), snapshot), -1) << maker.what;
        table_release(source);
        EXPECT_EQ(bound_integer(element(names, 1), snapshot), 2) << maker.what;
        table_release(snapshot);
    }
}

// A call's table sees its parent and hides what it binds itself; a snapshot taken in the call sees the same, and
// outlives both.
TEST(BindingTable, CallsSeeTheirParentAndSnapshotsKeepWhatTheySee) {
    Cell* names = read_text("a b");
    const long before = live_cell_count();
    BindingTable* top = table_new();
    table_insert(top, element(names, 0), new_integer(100001));
    table_insert(top, element(names, 1), new_integer(100002));
    BindingTable* captured = table_copy(top);
    table_release(top);
    BindingTable* call = table_for_call(captured, 1);
    EXPECT_EQ(bound_integer(element(names, 0), call), 100001);
    table_insert(call, element(names, 1), new_integer(100005));  // hides b of the parent
    BindingTable* capture = table_copy(call);
    table_release(call);
    table_release(captured);
    EXPECT_EQ(bound_integer(element(names, 0), capture), 100001);
    EXPECT_EQ(bound_integer(element(names, 1), capture), 100005);
    table_release(capture);
    EXPECT_EQ(live_cell_count(), before);
}

TEST(BindingTable, SnapshotOfNothingOwnSeesTheParent) {
    Cell* names = read_text("a");
    EXPECT_EQ(table_copy(nullptr), nullptr);
    BindingTable* empty_call = table_for_call(nullptr, 2);
    EXPECT_EQ(table_copy(empty_call), nullptr);
    table_release(empty_call);
    BindingTable* top = table_new();
    table_insert(top, element(names, 0), new_integer(7));
    BindingTable* captured = table_copy(top);
    BindingTable* call = table_for_call(captured, 0);
    BindingTable* capture = table_copy(call);
    table_release(call);
    table_release(captured);
    table_release(top);
    EXPECT_EQ(bound_integer(element(names, 0), capture), 7);
    table_release(capture);
}

}  // namespace
}  // namespace cellisp
