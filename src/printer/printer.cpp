// printer.cpp: printed forms.

#include "printer/printer.h"

#include <cstdio>

#include "cell/cell.h"
#include "driver/stack.h"
#include "reader/chars.h"

namespace cellisp {
namespace {

void print_tail(const Cell* cell);

void write_text(const char* begin, const char* end) {
    std::fwrite(begin, 1, static_cast<std::size_t>(end - begin), stdout);
}

// A string's characters run from the byte after its opening quote to the next quote, or to the end of the text.
void print_string(const char* opening_quote) {
    const char* begin = opening_quote + 1;
    const char* end = begin;
    while (*end != '"' && *end != '\0') ++end;
    write_text(begin, end);
}

void print_function(const Cell* function) {
    std::fputs("![(lambda) func.\nparams: ", stdout);
    print_value(function_params(function));
    std::fputs("\nbody: ", stdout);
    print_value(function_body(function));
    std::fputs("]!\n", stdout);
}

void print_list(const Cell* pair) {
    for (;;) {
        print_value(pair_head(pair));
        const Cell* tail = pair_tail(pair);
        if (is_pair(tail)) {
            std::fputc(' ', stdout);
            pair = tail;
        } else if (is_nil(tail)) {
            std::fputc(')', stdout);
            return;
        } else {
            std::fputc('.', stdout);  // the improper end of the list
            print_tail(tail);
            std::fputc(')', stdout);
            return;
        }
    }
}

// Writes the name that begins at `name`, up to its first byte that is not a name character.
void print_name(const char* name) {
    const char* end = name;
    while (is_name_char(byte_at(end))) ++end;
    write_text(name, end);
}

// Writes the rest of a list whose "(" is already written, up to and including its ")", for a Pair or Nil; the
// atom's own form for anything else (the improper end of a list).
void print_tail(const Cell* cell) {
    check_stack();
    switch (cell->kind) {
        case CellKind::Nil: std::fputc(')', stdout); break;
        case CellKind::String: print_string(string_start(cell)); break;
        case CellKind::Integer: std::printf("%d", integer_value(cell)); break;
        case CellKind::Pair: print_list(cell); break;
        case CellKind::Function: print_function(cell); break;
        case CellKind::Builtin: std::fputs(builtin_name(cell), stdout); break;
        case CellKind::DefineMark: std::fputs("define", stdout); break;
        case CellKind::Symbol: print_name(symbol_name(cell)); break;
    }
}

}  // namespace

void print_value(const Cell* cell) {
    if (is_pair(cell) || is_nil(cell)) std::fputc('(', stdout);
    print_tail(cell);
}


}  // namespace cellisp
