// main.cpp: the process entry point. The run is made on a large stack, since recursion is the language's loop.

#include "driver/driver.h"
#include "driver/platform.h"

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
    cellisp::prepare_standard_streams();
    Arguments arguments{argc, argv};
    return cellisp::run_with_large_stack(run, &arguments);
}
