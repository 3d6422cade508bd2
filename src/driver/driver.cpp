// driver.cpp: loading the source text and printing the program's value.

#include "driver/driver.h"

#include <cstddef>
#include <cstdio>

#include "cell/cell.h"
#include "cell/memory.h"
#include "driver/fail.h"
#include "eval/eval.h"
#include "printer/printer.h"

namespace cellisp {
namespace {

constexpr std::size_t first_capacity = 64 * 1024;  // grown by doubling: a pipe's size is not known ahead

// Loads the file at `path` byte for byte, followed by a NUL; its length (without the NUL) goes to *length.
// The caller owns the buffer and gives it back with give_memory(buffer, *length + 1). Reads to the end of the
// input, so pipes work. A path that cannot be opened or read as a file ends the run with
// "Can't open input file\n", status 1; a read that fails after some bytes keeps the bytes it read.
char* load_source(const char* path, std::size_t* length) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) fail(msg::cannot_open, 1);
    std::size_t capacity = first_capacity;
    std::size_t used = 0;
    char* text = static_cast<char*>(take_memory(capacity));
    for (;;) {
        used += std::fread(text + used, 1, capacity - 1 - used, file);
        if (used < capacity - 1) break;  // end of input, or an error
        text = static_cast<char*>(resize_memory(text, capacity, capacity * 2));
        capacity *= 2;
    }
    // A directory opens but cannot be read; a read error after some bytes keeps those bytes.
    const bool unreadable = used == 0 && std::ferror(file);
    std::fclose(file);
    if (unreadable) fail(msg::cannot_open, 1);
    text = static_cast<char*>(resize_memory(text, capacity, used + 1));
    text[used] = '\0';
    *length = used;
    return text;
}

}  // namespace

int run_driver(int argument_count, char** arguments) {
    if (argument_count < 2) fail(msg::no_input_file, 1);
    std::size_t length = 0;
    char* text = load_source(arguments[1], &length);
    Cell* value = run_program(text);
    print_value(value);
    std::fputc('\n', stdout);
    release_value(value);
    set_current_expression(nullptr);
    give_memory(text, length + 1);
    end_run(0);
}

}  // namespace cellisp
