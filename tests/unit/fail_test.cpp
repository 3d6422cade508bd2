// Composed messages and the failure paths that no program can reach on purpose.

#include "driver/fail.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "cell/cell.h"
#include "cell/memory.h"
#include "support.h"

namespace cellisp {
namespace {

TEST(Fail, AppendNameStopsWhereAMessageNameEnds) {
    char buffer[message_buffer_size] = "Unkonwn identifier: ";
    append_name(buffer, "ab\tc(d e");  // tab and '(' belong to the name here
    EXPECT_STREQ(buffer, "Unkonwn identifier: ab\tc(d\n");
    for (const char* end : {"x)", "x\r", "x\n", "x"}) {
        char short_buffer[message_buffer_size] = "";
        append_name(short_buffer, end);
        EXPECT_STREQ(short_buffer, "x\n");
    }
}

TEST(Fail, AppendNameCutsALongNameToFitTheBuffer) {
    const std::string name(100000, 'n');
    for (std::size_t prefix = 0; prefix < message_buffer_size; prefix += 17) {
        char buffer[message_buffer_size + 16];
        std::memset(buffer, '#', sizeof buffer);
        std::memset(buffer, 'p', prefix);
        buffer[prefix < message_buffer_size - 1 ? prefix : message_buffer_size - 1] = '\0';
        append_name(buffer, name.c_str());
        const std::size_t length = std::strlen(buffer);
        EXPECT_LE(length + 1, message_buffer_size);
        EXPECT_EQ(buffer[length - 1], '\n');
        EXPECT_EQ(buffer[message_buffer_size], '#');  // nothing written past the buffer
    }
}

TEST(Fail, AllocationFailureEndsTheRunWithTheMemoryMessage) {
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);  // the message goes to standard output; let the test see it
            fail_memory_after(3);
            for (;;) new_cell(CellKind::Nil);
        },
        ::testing::ExitedWithCode(2), "^Error allocating memory\n$");
}

TEST(Fail, MessageShowsTheCurrentExpression) {
    Cell* tree = testing::read_text("(car 5)");
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            set_current_expression(pair_head(tree));
            fail(msg::car_type, 6);
        },
        ::testing::ExitedWithCode(6), "^Wrong type of argument in car\n--> \\(car 5\\)\n$");
}

}  // namespace
}  // namespace cellisp
