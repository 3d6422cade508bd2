// The allocator: blocks of every pool and beyond never overlap, keep their bytes, and move between pools intact.

#include "cell/memory.h"

#include "driver/process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace cellisp {
namespace {

// Every size from empty, through each pool, to well past the largest pooled size.
constexpr std::size_t largest_size = pool_step * pool_count + 3 * pool_step;

struct Block {
    unsigned char* bytes;
    std::size_t size;
    unsigned char mark;  // the pattern's seed, different for neighbouring blocks
};

unsigned char pattern_byte(const Block& block, std::size_t i) { return static_cast<unsigned char>(block.mark + i * 7); }

void fill(const Block& block) {
    for (std::size_t i = 0; i < block.size; ++i) block.bytes[i] = pattern_byte(block, i);
}

// True when the block still holds its pattern in its first `size` bytes.
bool holds_pattern(const Block& block, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (block.bytes[i] != pattern_byte(block, i)) return false;
    }
    return true;
}

Block take(std::size_t size, unsigned char mark) {
    Block block{static_cast<unsigned char*>(take_memory(size)), size, mark};
    fill(block);
    return block;
}

// Writing a pattern over every live block and reading them all back afterwards finds any two that overlap, and any
// block handed out again while still in use.
void expect_all_intact(const std::vector<Block>& blocks) {
    for (const Block& block : blocks) {
        EXPECT_TRUE(holds_pattern(block, block.size)) << "block of " << block.size << " bytes was overwritten";
    }
}

TEST(Memory, BlocksOfEverySizeAreAlignedAndDisjoint) {
    std::vector<Block> blocks;
    for (int round = 0; round < 3; ++round) {
        for (std::size_t size = 0; size <= largest_size; ++size) {
            blocks.push_back(take(size, static_cast<unsigned char>(blocks.size())));
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(blocks.back().bytes) % pool_step, 0u) << size;
        }
    }
    expect_all_intact(blocks);
    for (const Block& block : blocks) give_memory(block.bytes, block.size);
}

// Blocks given back are reused by later requests: a block must come back only for a size of its own pool, or it
// would overrun its neighbours.
TEST(Memory, ReusedBlocksServeOnlyTheirOwnPool) {
    std::vector<Block> live;
    std::vector<Block> freed;
    for (std::size_t size = 0; size <= largest_size; ++size) {
        for (int copy = 0; copy < 4; ++copy) {
            Block block = take(size, static_cast<unsigned char>(size * 4 + copy));
            (copy % 2 == 0 ? freed : live).push_back(block);
        }
    }
    for (const Block& block : freed) give_memory(block.bytes, block.size);
    // The freed blocks are taken again in the opposite order of sizes, so that any mix-up of pools shows.
    for (std::size_t size = largest_size + 1; size-- > 0;) {
        for (int copy = 0; copy < 2; ++copy) live.push_back(take(size, static_cast<unsigned char>(size + copy + 1)));
    }
    expect_all_intact(live);
    for (const Block& block : live) give_memory(block.bytes, block.size);
}

// A resize keeps the first min(old, new) bytes, whether the block stays in its pool, moves to another, or crosses
// to or from the C library, and touches no other block.
TEST(Memory, ResizesKeepTheirBytesAcrossPoolsAndTheLibrary) {
    const std::size_t sizes[] = {1,
                                 pool_step,
                                 pool_step + 1,
                                 4 * pool_step,
                                 pool_step * (pool_count - 1) - 1,
                                 pool_step * (pool_count - 1),
                                 pool_step * (pool_count - 1) + 1,
                                 pool_step * pool_count,
                                 4096,
                                 65536};
    std::vector<Block> neighbours;
    unsigned char mark = 0;
    for (const std::size_t from : sizes) {
        for (const std::size_t to : sizes) {
            neighbours.push_back(take(from, ++mark));
            Block block = take(from, ++mark);
            neighbours.push_back(take(from, ++mark));
            block.bytes = static_cast<unsigned char*>(resize_memory(block.bytes, from, to));
            EXPECT_TRUE(holds_pattern(block, from < to ? from : to)) << from << " to " << to;
            block.size = to;
            fill(block);
            neighbours.push_back(block);
        }
    }
    expect_all_intact(neighbours);
    for (const Block& block : neighbours) give_memory(block.bytes, block.size);
}

// A run that outgrows its small chunks goes on in large ones taken from the system: their blocks are as good as
// any, and free lists mix blocks of both.
TEST(Memory, ARunThatOutgrowsTheSmallChunksGoesOnInLargeOnes) {
    constexpr std::size_t size = 48;
    // Enough blocks for the small chunks and two more, with a bound for builds that have no pools.
    constexpr std::size_t enough = (small_chunk_count * chunk_bytes + 2 * large_chunk_bytes) / size;
    std::vector<Block> blocks;
    while (process.memory.chunk_count < small_chunk_count + 2 && blocks.size() < enough) {
        blocks.push_back(take(size, static_cast<unsigned char>(blocks.size())));
    }
    long large = 0;
    for (const Chunk* chunk = process.memory.chunks; chunk != nullptr; chunk = chunk->next) {
        large += chunk->bytes == large_chunk_bytes ? 1 : 0;
    }
    if (process.memory.chunks != nullptr) {  // none: this build hands every block to the library
        EXPECT_GE(large, 1);
    }
    expect_all_intact(blocks);
    for (std::size_t i = 0; i < blocks.size(); i += 2) give_memory(blocks[i].bytes, size);
    for (std::size_t i = 0; i < blocks.size(); i += 2) blocks[i] = take(size, static_cast<unsigned char>(i + 1));
    expect_all_intact(blocks);
    for (const Block& block : blocks) give_memory(block.bytes, block.size);
}

TEST(Memory, CountdownFailsTheRequestAfterTheLast) {
    for (const std::size_t size : {std::size_t{8}, std::size_t{32}, largest_size, std::size_t{100000}}) {
        EXPECT_EXIT(
            {
                dup2(STDERR_FILENO, STDOUT_FILENO);  // the message goes to standard output; let the test see it
                fail_memory_after(5);
                for (int i = 0; i < 5; ++i) take_memory(size);
                std::fputs("the fifth request was granted\n", stdout);
                take_memory(size);
            },
            ::testing::ExitedWithCode(2), "^the fifth request was granted\nError allocating memory\n$")
            << size;
    }
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(UNDER_ADDRESS_SANITIZER)
// The pool poisons the blocks it keeps, so the address sanitizer still reports a use after release.
TEST(Memory, UseOfAReleasedPoolBlockIsReported) {
    for (const std::size_t size : {std::size_t{8}, std::size_t{32}, pool_step * (pool_count - 1)}) {
        EXPECT_DEATH(
            {
                unsigned char* block = static_cast<unsigned char*>(take_memory(size));
                give_memory(block, size);
                block[size - 1] = 1;
            },
            "use-after-poison")
            << size;
    }
}
#endif

}  // namespace
}  // namespace cellisp
