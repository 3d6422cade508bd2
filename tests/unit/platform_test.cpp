// The stacks that the platform layer runs the interpreter on: the floor lies inside the stack in use, far enough
// down for deep recursion, and a recursion that never ends is stopped there with the interpreter's own message.

#include "driver/platform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>

#include "driver/stack.h"
#include "support.h"

namespace cellisp {
namespace {

constexpr long kilobyte_frames = 40000;  // about 45 MB of stack: more than a process's usual main stack

// Recurses `levels` deep through frames of over a kilobyte, checking the stack at every level as the interpreter
// does (with the check of eval_call when `call_check`), and returns `levels`. A negative count never ends.
long descend(long levels, bool call_check) {
    volatile char frame[1024] = {};
    if (call_check) {
        check_call_stack();
    } else {
        check_stack();
    }
    const long below = levels == 0 ? 0 : descend(levels - 1, call_check) + 1;
    return below + frame[levels & 1023];
}

struct Probe {
    long levels;              // how deep to go; afterwards, how deep it went
    std::uintptr_t room;      // the bytes between the body's frame and the floor
    bool call_check = false;  // descend with check_call_stack instead of check_stack
};

int probe_stack(void* raw) {
    Probe* probe = static_cast<Probe*>(raw);
    probe->room = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)) - process.stack_floor;
    probe->levels = descend(probe->levels, probe->call_check);
    return 42;
}

TEST(Platform, LargeStackHoldsDeepRecursionAndHandsBackTheResult) {
    Probe probe{kilobyte_frames, 0};
    EXPECT_EQ(run_with_large_stack(probe_stack, &probe), 42);
    EXPECT_EQ(probe.levels, kilobyte_frames);
    // The smallest stack it may be given is 60 MiB, of which at most 1.25 MiB are kept below the floor.
    EXPECT_GT(probe.room, std::uintptr_t{58} << 20);
    EXPECT_LT(probe.room, (std::uintptr_t{1} << 30) + 1);
}

TEST(Platform, RunawayRecursionOnTheCallingThreadEndsTheRun) {
    // Both checks: the one at the frame's address and the one at the stack pointer, which eval_call makes.
    for (const bool call_check : {false, true}) {
        EXPECT_EXIT(
            {
                dup2(STDERR_FILENO, STDOUT_FILENO);
                Probe endless = {};
                endless.levels = -1;
                endless.call_check = call_check;
                run_on_current_stack(probe_stack, &endless);
            },
            ::testing::ExitedWithCode(2), "^Recursion too deep\n$");
    }
}

TEST(Platform, CallCheckLetsDeepRecursionThrough) {
    Probe probe{kilobyte_frames, 0, true};
    EXPECT_EQ(run_with_large_stack(probe_stack, &probe), 42);
    EXPECT_EQ(probe.levels, kilobyte_frames);
}

TEST(Platform, FloorOfTheCallingThreadLiesInsideItsStack) {
    Probe probe{0, 0};
    EXPECT_EQ(run_on_current_stack(probe_stack, &probe), 42);
    EXPECT_GT(probe.room, std::uintptr_t{64} << 10);  // a thread's stack holds at least a few hundred KiB
    EXPECT_LT(probe.room, std::uintptr_t{8} << 20);   // the floor is within the eight MiB that are counted on
}

}  // namespace
}  // namespace cellisp
