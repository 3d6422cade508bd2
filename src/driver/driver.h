#pragma once
// driver.h: one run, from the command line to the exit status.
//
// The source text is loaded into one buffer that ends in a NUL; Symbol and String cells point into it, so it stays
// until the final value has been printed. Nothing is printed before the result: no banner, no prompt.

#include <cstddef>

namespace cellisp {

// Loads the file at `path` byte for byte, followed by a NUL; its length (without the NUL) goes to *length.
// The caller owns the buffer and gives it back with give_memory(buffer, *length + 1). Reads to the end of the
// input, so pipes work. A path that cannot be opened or read as a file ends the run with
// "Can't open input file\n", status 1; a read that fails after some bytes keeps the bytes it read.
char* load_source(const char* path, std::size_t* length);

// The whole run: checks the argument, loads, runs, prints the value and a line break, waits for one character.
// Returns 0; every error ends the run through fail instead.
int run_driver(int argument_count, char** arguments);

}  // namespace cellisp
