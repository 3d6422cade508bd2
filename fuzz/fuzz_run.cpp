// fuzz_run.cpp: drives loading, reading, evaluation and printing of arbitrary bytes.
//
// Each input is run as a whole program, exactly as the interpreter runs a file, on the fuzzer's own thread (a new
// thread for every input would cost the sanitizer's bookkeeping for each one).
// A run that ends through fail is a normal outcome: the exit routine jumps back here instead of leaving the
// process. After every run all of its memory is reclaimed, so the harness can run millions of inputs.

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "cell/cell.h"
#include "cell/memory.h"
#include "driver/fail.h"
#include "driver/platform.h"
#include "driver/process.h"
#include "driver/stack.h"
#include "eval/eval.h"
#include "printer/printer.h"

namespace {

constexpr long budget_per_run = 300'000;

std::jmp_buf run_end;

[[noreturn]] void jump_out(int) { std::longjmp(run_end, 1); }

struct Input {
    const std::uint8_t* data;
    std::size_t size;
};

int run_one(void* raw) {
    const Input* input = static_cast<const Input*>(raw);
    char* text = static_cast<char*>(cellisp::take_memory(input->size + 1));
    std::memcpy(text, input->data, input->size);
    text[input->size] = '\0';
    cellisp::process.work_budget = budget_per_run;
    if (setjmp(run_end) == 0) {
        cellisp::Cell* value = cellisp::run_program(text);
        cellisp::print_value(value);
        std::fputc('\n', stdout);
        cellisp::release_value(value);
    }
    cellisp::reset_process();
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return 1;
    cellisp::set_exit_routine(jump_out, false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input{data, size};
    cellisp::run_on_current_stack(run_one, &input);
    return 0;
}
