// The program tree: which cells are shared, which no program can see (what each element becomes is in
// tests/cases/reader.cases).

#include "reader/reader.h"

#include <gtest/gtest.h>

#include "builtins/builtin_table.h"
#include "cell/cell.h"
#include "support.h"

namespace cellisp {
namespace {

using testing::element;
using testing::read_text;

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

TEST(Reader, SymbolsOfTheSameNameShareACanonicalCell) {
    Cell* tree = read_text("abc (abc) abd");
    const Cell* first = element(tree, 0);
    EXPECT_EQ(symbol_canonical(first), first);
    EXPECT_EQ(symbol_canonical(element(element(tree, 1), 0)), first);
    EXPECT_NE(symbol_canonical(element(tree, 2)), first);
}

}  // namespace
}  // namespace cellisp
