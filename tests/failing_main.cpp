// failing_main.cpp: the interpreter with its allocations made to fail, for the allocation-failure sweep.
//
//     cellisp_failing N FILE    runs FILE as the interpreter does, with the first N allocations granted and every
//                               later one refused ("Error allocating memory", status 2); at the end of the run it
//                               writes to standard error whether a current expression was set, as
//                               "current expression: yes" or "current expression: no", for the sweep to compare
//                               with what the failure printed
//     cellisp_failing -1 FILE   runs FILE with every allocation granted, and writes the number it made to
//                               standard error at the end of the run, as "allocations: K"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "cell/memory.h"
#include "driver/driver.h"
#include "driver/fail.h"
#include "driver/platform.h"
#include "driver/process.h"

namespace {

constexpr long counting = LONG_MAX;  // a countdown that never runs out within one run

struct Arguments {
    int count;
    char** values;
};

[[noreturn]] void exit_with_count(int status) {
    std::fflush(stdout);
    std::fprintf(stderr, "allocations: %ld\n", counting - cellisp::process.memory.requests_left);
    std::exit(status);
}

[[noreturn]] void exit_telling_the_state(int status) {
    std::fflush(stdout);
    std::fprintf(stderr, "current expression: %s\n", cellisp::process.current_expression != nullptr ? "yes" : "no");
    std::exit(status);
}

int run(void* raw) {
    Arguments* arguments = static_cast<Arguments*>(raw);
    return cellisp::run_driver(arguments->count, arguments->values);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: cellisp_failing N FILE\n", stderr);
        return 64;
    }
    const long granted = std::strtol(argv[1], nullptr, 10);
    if (granted < 0) {
        cellisp::set_exit_routine(exit_with_count, true);
        cellisp::fail_memory_after(counting);
    } else {
        cellisp::set_exit_routine(exit_telling_the_state, true);
        cellisp::fail_memory_after(granted);
    }
    cellisp::prepare_standard_streams();
    // The interpreter sees "cellisp FILE".
    argv[1] = argv[0];
    Arguments arguments{argc - 1, argv + 1};
    return cellisp::run_with_large_stack(run, &arguments);
}
