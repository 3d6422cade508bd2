#pragma once
// driver.h: one run, from the command line to the exit status.
//
// The source text is loaded into one buffer that ends in a NUL; Symbol and String cells point into it, so it stays
// until the final value has been printed. Nothing is printed before the result: no banner, no prompt.

namespace cellisp {

// The whole run: checks the argument, loads, runs, prints the value and a line break, waits for one character.
// Returns 0; every error ends the run through fail instead.
int run_driver(int argument_count, char** arguments);

}  // namespace cellisp
