// fail.cpp: the end of a failed run.

#include "driver/fail.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cell/cell.h"
#include "driver/process.h"
#include "driver/stack.h"
#include "printer/printer.h"

namespace cellisp {

namespace {

// True for the bytes that end a name in a message: tab and '(' do not.
bool ends_message_name(unsigned char byte) {
    return byte == ' ' || byte == '\r' || byte == '\n' || byte == ')' || byte == '\0';
}

}  // namespace

void set_current_expression(Cell* expression) {
    // Take the new reference before dropping the old: the two may be the same cell.
    if (expression != nullptr) copy_value(expression);
    if (process.current_expression != nullptr) release_value(process.current_expression);
    process.current_expression = expression;
}

void end_run(int status) {
    std::fflush(stdout);
    if (process.waits_for_key) std::getchar();
    process.exit_routine(status);
    std::abort();  // an exit routine must not return
}

void set_exit_routine(ExitRoutine routine, bool wait_for_key) {
    process.exit_routine = routine;
    process.waits_for_key = wait_for_key;
}

void fail(const char* message, int status) {
    if (process.failure_status != 0) stack_exhausted();
    process.failure_status = status;
    use_stack_reserve();
    std::fputs(message, stdout);
    if (process.current_expression != nullptr) {
        std::fputs("--> ", stdout);
        print_value(process.current_expression);
        std::fputs("\n", stdout);
    }
    end_run(status);
}

void stack_exhausted() {
    if (process.failure_status != 0) {
        std::fputs("\n", stdout);
        end_run(process.failure_status);
    }
    fail(msg::too_deep, 2);
}

void append_name(char* buffer, const char* name) {
    std::size_t length = std::strlen(buffer);
    const std::size_t room = message_buffer_size - 2;  // the line break and the NUL always fit
    if (length > room) length = room;
    while (length < room && !ends_message_name(static_cast<unsigned char>(*name))) buffer[length++] = *name++;
    buffer[length++] = '\n';
    buffer[length] = '\0';
}

void fail_with_name(const char* prefix, const char* name, int status) {
    char buffer[message_buffer_size];
    std::snprintf(buffer, sizeof buffer, "%s", prefix);
    append_name(buffer, name);
    fail(buffer, status);
}

void fail_named(const char* format, const char* name, int status) {
    char buffer[message_buffer_size];
    std::snprintf(buffer, sizeof buffer, format, name);
    fail(buffer, status);
}

}  // namespace cellisp
