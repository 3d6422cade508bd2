#pragma once
// printer.h: the printed form of any cell tree, written to standard output.
//
// The printer only reads cells; it changes and allocates nothing. Values and program trees print alike. The form
// is for people and is not read back: strings lose their quotes, integers print as their value, and a Function
// prints as a block over several lines. Callers write the line break that follows.
// Recursion follows nesting, not length: lists are walked along their tails in a loop.

namespace cellisp {

struct Cell;

// Writes the printed form of `cell` (borrowed): "(" and the rest of the list for a Pair or Nil, the atom's form
// for anything else.
void print_value(const Cell* cell);

}  // namespace cellisp
