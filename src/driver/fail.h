#pragma once
// fail.h: the end of every failed run, the current expression, and the table of messages.
//
// Every error of the interpreter ends the run through fail: it prints the message, then "--> " and the
// current expression when one is set, waits for one character on standard input and exits with the status.
// Nothing returns from an error and nothing is cleaned up.

#include <cstddef>

namespace cellisp {

struct Cell;

// The messages, exactly as the interpreter prints them. They are compared byte for byte by the people who use
// this program and their scripts: do not "correct" them, spelling and trailing blanks included.
namespace msg {
inline constexpr char no_input_file[] = "No input file given\n";
inline constexpr char cannot_open[] = "Can't open input file\n";
inline constexpr char out_of_memory[] = "Error allocating memory\n";
inline constexpr char too_deep[] = "Recursion too deep\n";
inline constexpr char unknown_identifier[] = "Unkonwn identifier: ";   // + name + "\n"
inline constexpr char unknown_function[] = "Unknown function call: ";  // + name + "\n"
inline constexpr char missing_paren[] = "Missing ) \n";
inline constexpr char user_call_arity[] = "Wrong number of arguments in user function call\n";
inline constexpr char lambda_arity[] = "Wrong number of arguments in lambda\n";
inline constexpr char eval_arity[] = "Wrong number of arguments in eval\n";
inline constexpr char cons_arity[] = "Wrong number of arguments in cons\n";
inline constexpr char null_arity[] = "Wrong number of arguments in null?\n";
inline constexpr char car_arity[] = "Wrong number of arguments in car\n";
inline constexpr char cdr_arity[] = "Wrong number of arguments in cdr\n";
inline constexpr char spy_arity[] = "Wrong number of arguments in spy\n";
inline constexpr char no_return_value[] = "Must specify return value in cond\n";
inline constexpr char plus_arity[] = "Wrong number of arguments in +\n";
inline constexpr char minus_arity[] = "Wrong number of arguments in -\n";
inline constexpr char times_arity[] = "Wrong number of arguments in *\n";
inline constexpr char divide_arity[] = "Wrong number of arguments in /\n";
inline constexpr char named_arity[] = "Wrong number of arguments in %s\n";  // comparisons and cond
inline constexpr char not_a_function[] = "Not a function call!\n";
inline constexpr char null_type[] = "Wrong type of argument in null?\n";
inline constexpr char car_type[] = "Wrong type of argument in car\n";
inline constexpr char cdr_type[] = "Wrong type of argument in cdr\n";
inline constexpr char condition_type[] = "Wrong type of condition in cond - must be integer\n";
inline constexpr char plus_type[] = "Wrong type of argument in +\n";
inline constexpr char minus_type[] = "Wrong type of argument in -\n";
inline constexpr char times_type[] = "Wrong type of argument in *\n";
inline constexpr char divide_type[] = "Wrong type of argument in /\n";
inline constexpr char named_type[] = "Wrong type of arguments in %s\n";  // comparisons
inline constexpr char divided_by_zero[] = "Divided by zero\n";
inline constexpr char must_be_cons[] = "Must be CONS\n";
inline constexpr char nothing_called[] = "Nothing called or # of ( is smaller than # of )\n";
inline constexpr char cannot_bind[] = "Can't add this to hash\n";
inline constexpr char syntax_error[] = "Syntax error\n";
inline constexpr char bad_parameters[] = "Second argument of lambda must be list of formal parameters\n";
inline constexpr char define_syntax[] = "Wrong syntax of define\n";
}  // namespace msg

// The size of the buffer in which a message with a name or an operator in it is composed.
constexpr std::size_t message_buffer_size = 256;

// Prints `message` (plain text that ends in its own line break), the current expression after "--> " when one is
// set, waits for one character and ends the run with `status`. Never returns.
[[noreturn]] void fail(const char* message, int status);

// fail with `format` (one "%s") filled in with `name` in a message buffer: the comparisons' and cond's messages.
[[noreturn]] void fail_named(const char* format, const char* name, int status);

// fail with `prefix` followed by the name that starts at `name` (a position in the source text): the name runs to
// the first space, CR, LF, ')' or NUL (tab and '(' are part of it here), and a line break ends the message.
[[noreturn]] void fail_with_name(const char* prefix, const char* name, int status);

// Appends to the text in `buffer` (of message_buffer_size bytes) the name at `name`, as fail_with_name takes it,
// then "\n" and a NUL. A text that would not fit is cut so that it, its line break and the NUL fill the buffer.
void append_name(char* buffer, const char* name);

// The stack ran out at some level of reading, evaluating, printing or releasing: ends the run with
// "Recursion too deep\n", status 2. While a failure is being reported it instead cuts the report short and ends
// the run with that failure's status. Never returns.
[[noreturn]] void stack_exhausted();

// Flushes standard output and waits for one character on standard input (end of input ends the wait at once),
// then ends the process with `status`. Every run ends here. Never returns.
[[noreturn]] void end_run(int status);

// The way out of the run that end_run takes after the wait; std::exit unless a harness replaces it (the fuzzer
// returns to its loop instead). The routine must not return.
using ExitRoutine = void (*)(int status);
void set_exit_routine(ExitRoutine routine, bool wait_for_key);

// Makes `expression` (borrowed; nullptr for none) the current expression, the element of a sequence being
// evaluated that fail shows. Called only by the evaluator's sequences and the driver; the process state
// (process.h) holds one reference to it.
void set_current_expression(Cell* expression);

}  // namespace cellisp
