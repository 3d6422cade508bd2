#pragma once
// reader.h: the program tree from the source text.
//
// The tree is made once per run and lives for the whole run: every cell of it is permanent (cell.h). Symbol and
// String cells refer to positions in the source text, which must outlive the tree. The names of built-ins read
// as the builtin table's own cells (shared); every quote mark makes a Builtin cell of its own with quote's name
// and entry point. Reading an element and stepping over it are separate: reading decides what an element
// becomes, next_element (chars.h) where it ends.
// Reading recurses once for each '(' and each quote mark; a nesting deeper than the stack allows ends the run
// with "Recursion too deep\n".

namespace cellisp {

struct Cell;

// The whole source text as the elements of one list without an opening parenthesis: the first Pair of the chain,
// or a Nil cell when the text begins, after blanks, with ')'. Permanent.
// REQUIRES: register_builtins has run; `text` is NUL-terminated and outlives the tree.
Cell* read_program(const char* text);

}  // namespace cellisp
