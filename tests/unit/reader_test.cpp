// The program tree: what each element becomes and which cells are shared.

#include "reader/reader.h"

#include <gtest/gtest.h>

#include "builtins/builtin_table.h"
#include "cell/cell.h"
#include "support.h"

namespace cellisp {
namespace {

using testing::element;
using testing::read_text;

TEST(Reader, ListsAreChainsEndedByNil) {
    Cell* tree = read_text("(a b c) () ( ) (())");
    Cell* abc = element(tree, 0);
    ASSERT_EQ(list_length(abc), 3);
    EXPECT_EQ(element(abc, 2)->kind, CellKind::Symbol);
    EXPECT_TRUE(is_nil(pair_tail(pair_tail(pair_tail(abc)))));
    EXPECT_TRUE(is_nil(element(tree, 1)));
    EXPECT_TRUE(is_nil(element(tree, 2)));
    EXPECT_TRUE(is_nil(element(element(tree, 3), 0)));
}

TEST(Reader, IntegersWrapAndIgnoreTrailingNameCharacters) {
    Cell* tree = read_text("12abc 007 2147483648 99999999999 1x -5 +5");
    EXPECT_EQ(integer_value(element(tree, 0)), 12);
    EXPECT_EQ(integer_value(element(tree, 1)), 7);
    EXPECT_EQ(integer_value(element(tree, 2)), -2147483647 - 1);
    EXPECT_EQ(integer_value(element(tree, 3)), 1215752191);
    EXPECT_EQ(integer_value(element(tree, 4)), 1);
    EXPECT_EQ(element(tree, 5)->kind, CellKind::Symbol);
    EXPECT_EQ(element(tree, 6)->kind, CellKind::Symbol);
}

TEST(Reader, BuiltinNamesShareTheTableCellsButQuoteMarksDoNot) {
    Cell* tree = read_text("+ + quote 'x 'y define defined car2");
    EXPECT_EQ(element(tree, 0), builtin_cell(BuiltinId::Plus));
    EXPECT_EQ(element(tree, 1), builtin_cell(BuiltinId::Plus));
    EXPECT_EQ(element(tree, 2), builtin_cell(BuiltinId::Quote));
    Cell* first_quote = pair_head(element(tree, 3));
    Cell* second_quote = pair_head(element(tree, 4));
    EXPECT_NE(first_quote, builtin_cell(BuiltinId::Quote));
    EXPECT_NE(first_quote, second_quote);
    EXPECT_EQ(builtin_entry(first_quote), builtin_entry(builtin_cell(BuiltinId::Quote)));
    EXPECT_EQ(element(tree, 5)->kind, CellKind::DefineMark);
    EXPECT_EQ(element(tree, 6)->kind, CellKind::Symbol);
    EXPECT_EQ(element(tree, 7)->kind, CellKind::Symbol);
}

TEST(Reader, QuoteMarksNestAndMayBeFollowedByBlanks) {
    Cell* tree = read_text("(a ' \n x b) ''x (a ')");
    Cell* list = element(tree, 0);
    ASSERT_EQ(list_length(list), 3);
    Cell* quoted = element(list, 1);
    EXPECT_EQ(pair_head(quoted)->kind, CellKind::Builtin);
    EXPECT_EQ(element(quoted, 1)->kind, CellKind::Symbol);
    Cell* twice = element(tree, 1);
    EXPECT_EQ(element(element(twice, 1), 0)->kind, CellKind::Builtin);
    Cell* empty = element(element(element(tree, 2), 1), 1);  // the quote of an empty name
    EXPECT_EQ(empty->kind, CellKind::Symbol);
    EXPECT_EQ(symbol_canonical(empty), nullptr);
}

TEST(Reader, SymbolsOfTheSameNameShareACanonicalCell) {
    Cell* tree = read_text("abc (abc) abd");
    const Cell* first = element(tree, 0);
    EXPECT_EQ(symbol_canonical(first), first);
    EXPECT_EQ(symbol_canonical(element(element(tree, 1), 0)), first);
    EXPECT_NE(symbol_canonical(element(tree, 2)), first);
}

TEST(Reader, TopLevelEndsAtAStrayParenthesisOrUnterminatedString) {
    EXPECT_EQ(list_length(read_text("(a)) (b) (")), 1);
    EXPECT_TRUE(is_nil(read_text("  ) x")));
    Cell* open_string = read_text("(a \"b c)");
    EXPECT_EQ(list_length(open_string), 1);
    EXPECT_EQ(element(element(open_string, 0), 1)->kind, CellKind::String);
    Cell* empty = read_text(" \n ");
    ASSERT_EQ(list_length(empty), 1);
    EXPECT_EQ(symbol_canonical(element(empty, 0)), nullptr);
}

TEST(Reader, UnclosedListsEndTheRun) {
    EXPECT_EXIT(read_text("(a b"), ::testing::ExitedWithCode(4), "");
    EXPECT_EXIT(read_text("(a (b c)"), ::testing::ExitedWithCode(4), "");
    EXPECT_EXIT(read_text("(list \"(\" 1)"), ::testing::ExitedWithCode(4), "");
}

}  // namespace
}  // namespace cellisp
