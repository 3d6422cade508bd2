// Sharing and reclaiming cells: every reference is released exactly once, and only what is unused goes.

#include "cell/cell.h"

#include <gtest/gtest.h>

#include <vector>

#include "support.h"

namespace cellisp {
namespace {

constexpr int big = 100000;  // above the integers that are made once for the whole run

// A value list of the integers big+1..big+n, each a cell of its own, owned by the caller.
Cell* make_list(int n) {
    Cell* list = new_cell(CellKind::Nil);
    for (int i = n; i >= 1; --i) list = new_pair(new_integer(big + i), list);
    return list;
}

TEST(Cell, ListLengthCountsPairs) {
    Cell* nil = new_cell(CellKind::Nil);
    Cell* number = new_integer(7);
    Cell* list = make_list(3);
    EXPECT_EQ(list_length(nil), 0);
    EXPECT_EQ(list_length(number), 0);
    EXPECT_EQ(list_length(list), 3);
    release_value(list);
    release_value(number);
    release_value(nil);
}

TEST(Cell, ImproperChainAndNonPairsFailWithMustBeCons) {
    Cell* improper = new_pair(new_integer(1), new_integer(2));
    EXPECT_EXIT(list_length(improper), ::testing::ExitedWithCode(8), "");
    Cell* nil = new_cell(CellKind::Nil);
    EXPECT_EXIT(head_of(nil), ::testing::ExitedWithCode(8), "");
    EXPECT_EXIT(tail_of(nil), ::testing::ExitedWithCode(8), "");
    release_value(improper);
    release_value(nil);
}

TEST(Cell, ReleaseReclaimsExactlyWhatIsNoLongerReferenced) {
    const long before = live_cell_count();
    Cell* list = make_list(5);
    Cell* copy = copy_value(list);
    Cell* second = copy_value(pair_head(pair_tail(list)));
    EXPECT_EQ(live_cell_count(), before + 11);
    release_value(list);  // the copy still holds everything
    EXPECT_EQ(live_cell_count(), before + 11);
    release_value(copy);  // all but the element still referenced go
    EXPECT_EQ(live_cell_count(), before + 1);
    EXPECT_EQ(integer_value(second), big + 2);
    release_value(second);
    EXPECT_EQ(live_cell_count(), before);
}

TEST(Cell, SharedTailSurvivesItsFirstOwner) {
    const long before = live_cell_count();
    Cell* tail = make_list(3);
    Cell* a = new_pair(new_integer(0), copy_value(tail));
    Cell* b = new_pair(new_integer(9), tail);
    release_value(a);
    EXPECT_EQ(list_length(b), 4);
    EXPECT_EQ(integer_value(pair_head(pair_tail(b))), big + 1);
    release_value(b);
    EXPECT_EQ(live_cell_count(), before);
}

TEST(Cell, LongAndDeepListsReleaseWithoutDeepRecursion) {
    const long before = live_cell_count();
    release_value(make_list(3000000));
    Cell* nested = new_cell(CellKind::Nil);  // ((((...)))) a million levels down the heads
    for (int i = 0; i < 1000000; ++i) nested = new_pair(nested, new_cell(CellKind::Nil));
    release_value(nested);
    EXPECT_EQ(live_cell_count(), before);
}

TEST(Cell, SmallIntegersArePermanent) {
    const long before = live_cell_count();
    for (std::int32_t value : {small_integer_min, -1, 0, 1, small_integer_end - 1}) {
        Cell* cell = new_integer(value);
        EXPECT_EQ(integer_value(cell), value);
        release_value(cell);
        EXPECT_EQ(integer_value(cell), value);
    }
    Cell* large = new_integer(small_integer_end);
    EXPECT_EQ(live_cell_count(), before + 1);
    release_value(large);
    EXPECT_EQ(live_cell_count(), before);
}

Cell* dummy_entry(Cell*, BindingTable*) { return nullptr; }

// Cells of different kinds have different sizes. A cell given back with a size other than the one it was taken with
// would later be handed out as a larger cell overlapping its neighbours: every slot is read back here after the
// blocks of a first round of every kind have been reused by a second.
TEST(Cell, CellsOfEveryKindKeepTheirSlotsWhenTheirBlocksAreReused) {
    static const char text[] = "\"s\" name";
    const long before = live_cell_count();
    std::vector<Cell*> cells;
    for (int round = 0; round < 2; ++round) {
        for (auto* cell : cells) release_value(cell);
        cells.clear();
        for (int i = 0; i < 300; ++i) {
            cells.push_back(new_integer(big + i));
            cells.push_back(new_pair(new_integer(big - i), new_cell(CellKind::Nil)));
            cells.push_back(new_builtin(text, dummy_entry, nullptr, nullptr));
            cells.push_back(new_string(text));
            cells.push_back(new_symbol(text + 4, i));
        }
    }
    for (std::size_t i = 0; i < cells.size(); i += 5) {
        const int n = static_cast<int>(i / 5);
        EXPECT_EQ(integer_value(cells[i]), big + n);
        EXPECT_EQ(integer_value(pair_head(cells[i + 1])), big - n);
        EXPECT_TRUE(is_nil(pair_tail(cells[i + 1])));
        EXPECT_EQ(builtin_name(cells[i + 2]), text);
        EXPECT_EQ(builtin_entry(cells[i + 2]), dummy_entry);
        EXPECT_EQ(builtin_tail_entry(cells[i + 2]), nullptr);
        EXPECT_EQ(builtin_test_entry(cells[i + 2]), nullptr);
        EXPECT_EQ(string_start(cells[i + 3]), text);
        EXPECT_EQ(symbol_name(cells[i + 4]), text + 4);
        EXPECT_EQ(symbol_bucket(cells[i + 4]), n);
    }
    for (auto* cell : cells) release_value(cell);
    EXPECT_EQ(live_cell_count(), before);
}

// Repeated checks of the same lists also read the length that the first one kept.
TEST(Cell, HasLengthAgreesWithListLength) {
    Cell* tree = testing::read_text("() (a) (a b) (a b c) 5");
    for (int i = 0; i < 5; ++i) {
        for (long count = 0; count < 5; ++count) {
            Cell* list = testing::element(tree, i);
            EXPECT_EQ(has_length(list, count), list_length(list) == count) << i << " " << count;
        }
    }
    // A length is kept in the list's first Pair: a list counted before it became the tail of another keeps its own.
    Cell* tail = make_list(3);
    EXPECT_TRUE(has_length(tail, 3));
    Cell* longer = new_pair(new_integer(0), copy_value(tail));
    EXPECT_TRUE(has_length(longer, 4));
    EXPECT_EQ(list_length(tail), 3);
    release_value(longer);
    release_value(tail);
    Cell* improper = new_pair(new_integer(1), new_pair(new_integer(2), new_integer(3)));
    EXPECT_EXIT(has_length(improper, 2), ::testing::ExitedWithCode(8), "");  // as list_length fails
    EXPECT_EXIT(has_length(improper, 1), ::testing::ExitedWithCode(8), "");
    release_value(improper);
}

TEST(Cell, PermanentCellsAreNeverReclaimed) {
    Cell* tree = testing::read_text("(a 1 \"s\")");
    const long before = live_cell_count();
    Cell* copy = copy_value(tree);
    release_value(copy);
    release_value(copy);  // a permanent cell ignores any number of releases
    EXPECT_EQ(live_cell_count(), before);
    EXPECT_EQ(list_length(pair_head(tree)), 3);
}

}  // namespace
}  // namespace cellisp
