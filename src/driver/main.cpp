// main.cpp: the process entry point. The run is made on a large stack, since recursion is the language's loop.

#include <csignal>

#include "driver/driver.h"
#include "driver/stack.h"

namespace {

struct Arguments {
    int count;
    char** values;
};

int run(void* raw) {
    Arguments* arguments = static_cast<Arguments*>(raw);
    return cellisp::run_driver(arguments->count, arguments->values);
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that goes away (`cellisp FILE | head -c 1`) must not end the run by a signal: the writes that
    // follow simply fail, and the run still ends with its own status.
    std::signal(SIGPIPE, SIG_IGN);
    Arguments arguments{argc, argv};
    return cellisp::run_with_large_stack(run, &arguments);
}
