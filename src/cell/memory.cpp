// memory.cpp: free lists of fixed-size blocks over chunks from the C library.

#include "cell/memory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "driver/fail.h"

namespace cellisp {
namespace {

long requests_left = -1;  // fail_memory_after's countdown; negative when off

[[noreturn]] void out_of_memory() { fail(msg::out_of_memory, 2); }

bool may_allocate() {
    if (requests_left < 0) return true;
    if (requests_left == 0) return false;
    --requests_left;
    return true;
}

#ifdef CELLISP_TRACK_MEMORY
// Every block is linked into one list behind a header, so that a harness can reclaim all of a run's memory at
// once, whatever the run left behind when it was cut short.
struct Tracked {
    Tracked* previous;
    Tracked* next;
};
static_assert(sizeof(Tracked) % alignof(std::max_align_t) == 0);
Tracked tracked_blocks{&tracked_blocks, &tracked_blocks};

void* take_tracked(std::size_t size) {
    Tracked* header = static_cast<Tracked*>(std::malloc(sizeof(Tracked) + size));
    if (header == nullptr) out_of_memory();
    header->previous = &tracked_blocks;
    header->next = tracked_blocks.next;
    tracked_blocks.next->previous = header;
    tracked_blocks.next = header;
    return header + 1;
}

void give_tracked(void* block) {
    Tracked* header = static_cast<Tracked*>(block) - 1;
    header->previous->next = header->next;
    header->next->previous = header->previous;
    std::free(header);
}
#endif

#ifndef CELLISP_NO_POOL
// A pool hands out blocks of one size. Freed blocks are chained through their first word; chunks are never
// returned to the C library, they stay reachable from `chunks` for the whole run.
struct FreeBlock {
    FreeBlock* next;
};

struct Chunk {
    Chunk* next;
};

constexpr std::size_t chunk_bytes = 256 * 1024;  // large enough that chunk headers cost nothing
constexpr std::size_t pool_count = 48;           // pools for every multiple of 8 bytes up to 384
constexpr std::size_t pool_step = 8;

FreeBlock* free_blocks[pool_count];
char* fresh_begin[pool_count];
char* fresh_end[pool_count];
Chunk* chunks = nullptr;

std::size_t pool_of(std::size_t size) { return (size + pool_step - 1) / pool_step; }

void* take_from_pool(std::size_t pool) {
    if (FreeBlock* block = free_blocks[pool]) {
        free_blocks[pool] = block->next;
        return block;
    }
    const std::size_t block_bytes = pool * pool_step;
    if (fresh_end[pool] - fresh_begin[pool] < static_cast<std::ptrdiff_t>(block_bytes)) {
        void* raw = std::malloc(sizeof(Chunk) + chunk_bytes);
        if (raw == nullptr) out_of_memory();
        Chunk* chunk = static_cast<Chunk*>(raw);
        chunk->next = chunks;
        chunks = chunk;
        fresh_begin[pool] = reinterpret_cast<char*>(chunk + 1);
        fresh_end[pool] = fresh_begin[pool] + chunk_bytes;
    }
    void* block = fresh_begin[pool];
    fresh_begin[pool] += block_bytes;
    return block;
}
#endif

// True when a block of `size` bytes is the C library's own, untouched by pools or tracking.
bool comes_from_library([[maybe_unused]] std::size_t size) {
#if defined(CELLISP_TRACK_MEMORY)
    return false;
#elif defined(CELLISP_NO_POOL)
    return true;
#else
    return pool_of(size) == 0 || pool_of(size) >= pool_count;
#endif
}

// Everything but a pool's free block: the countdown, fresh chunks, large blocks, tracked blocks.
[[gnu::noinline]] void* take_memory_slowly(std::size_t size) {
    if (!may_allocate()) out_of_memory();
#ifdef CELLISP_TRACK_MEMORY
    return take_tracked(size);
#endif
#ifndef CELLISP_NO_POOL
    const std::size_t pool = pool_of(size);
    if (pool > 0 && pool < pool_count) return take_from_pool(pool);
#endif
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) out_of_memory();
    return block;
}

}  // namespace

void* take_memory(std::size_t size) {
#if !defined(CELLISP_NO_POOL) && !defined(CELLISP_TRACK_MEMORY)
    // The common cases, kept short: a freed block of the right size is waiting, or the pool's chunk has room.
    const std::size_t pool = pool_of(size);
    if (requests_left < 0 && pool > 0 && pool < pool_count) {
        if (FreeBlock* block = free_blocks[pool]) {
            free_blocks[pool] = block->next;
            return block;
        }
        const std::size_t block_bytes = pool * pool_step;
        if (fresh_end[pool] - fresh_begin[pool] >= static_cast<std::ptrdiff_t>(block_bytes)) {
            void* block = fresh_begin[pool];
            fresh_begin[pool] += block_bytes;
            return block;
        }
    }
#endif
    return take_memory_slowly(size);
}

void give_memory(void* block, std::size_t size) {
#ifdef CELLISP_TRACK_MEMORY
    (void)size;
    give_tracked(block);
    return;
#endif
#ifndef CELLISP_NO_POOL
    const std::size_t pool = pool_of(size);
    if (pool > 0 && pool < pool_count) {
        FreeBlock* freed = static_cast<FreeBlock*>(block);
        freed->next = free_blocks[pool];
        free_blocks[pool] = freed;
        return;
    }
#else
    (void)size;
#endif
    std::free(block);
}

void* resize_memory(void* block, std::size_t old_size, std::size_t new_size) {
    // Blocks that come straight from the C library may grow in place; pooled and tracked blocks are moved.
    if (comes_from_library(old_size) && comes_from_library(new_size)) {
        if (!may_allocate()) out_of_memory();
        void* moved = std::realloc(block, new_size == 0 ? 1 : new_size);
        if (moved == nullptr) out_of_memory();
        return moved;
    }
    void* moved = take_memory(new_size);
    if (block != nullptr) {
        std::memcpy(moved, block, old_size < new_size ? old_size : new_size);
        give_memory(block, old_size);
    }
    return moved;
}

void fail_memory_after(long count) { requests_left = count; }

#ifdef CELLISP_TRACK_MEMORY
void reclaim_all_memory() {
    while (tracked_blocks.next != &tracked_blocks) give_tracked(tracked_blocks.next + 1);
}
#endif

}  // namespace cellisp
