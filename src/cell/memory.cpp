// memory.cpp: free lists of fixed-size blocks over chunks from the C library.

#include "cell/memory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "driver/fail.h"
#include "driver/platform.h"
#include "driver/process.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CELLISP_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define CELLISP_ASAN 1
#endif
#ifdef CELLISP_ASAN
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#endif

namespace cellisp {
namespace {

constexpr MemoryState& memory = process.memory;

// Under the address sanitizer every pooled byte that is not handed out is poisoned (fresh chunk space and free
// blocks alike), so that a use after release is reported as it would be for the C library's own blocks.
[[maybe_unused]] void poison(void* block, std::size_t size) {
#ifdef CELLISP_ASAN
    ASAN_POISON_MEMORY_REGION(block, size);
#else
    (void)block, (void)size;
#endif
}

[[maybe_unused]] void unpoison(void* block, std::size_t size) {
#ifdef CELLISP_ASAN
    ASAN_UNPOISON_MEMORY_REGION(block, size);
#else
    (void)block, (void)size;
#endif
}

// The leak checker that comes with the address sanitizer looks for pointers in the C library's blocks, not in
// memory taken from the system, so a large chunk is shown to it as a region of pointers while it is in use: the
// cells there are what keep the small chunks' cells reachable.
[[maybe_unused]] void show_to_leak_checker(void* region, std::size_t size) {
#ifdef CELLISP_ASAN
    __lsan_register_root_region(region, size);
#else
    (void)region, (void)size;
#endif
}

[[maybe_unused]] void hide_from_leak_checker(void* region, std::size_t size) {
#ifdef CELLISP_ASAN
    __lsan_unregister_root_region(region, size);
#else
    (void)region, (void)size;
#endif
}

[[noreturn]] void out_of_memory() { fail(msg::out_of_memory, 2); }

bool may_allocate() {
    if (memory.requests_left < 0) return true;
    if (memory.requests_left == 0) return false;
    --memory.requests_left;
    return true;
}

#if defined(CELLISP_TRACK_MEMORY)
// Every block is linked into one ring behind a header, so that a harness can reclaim all of a run's memory at
// once, whatever the run left behind when it was cut short.
static_assert(sizeof(TrackedBlock) % alignof(std::max_align_t) == 0);

void* take_tracked(std::size_t size) {
    TrackedBlock* ring = &memory.tracked;
    if (ring->next == nullptr) ring->previous = ring->next = ring;
    TrackedBlock* header = static_cast<TrackedBlock*>(std::malloc(sizeof(TrackedBlock) + size));
    if (header == nullptr) out_of_memory();
    header->previous = ring;
    header->next = ring->next;
    ring->next->previous = header;
    ring->next = header;
    return header + 1;
}

void give_tracked(void* block) {
    TrackedBlock* header = static_cast<TrackedBlock*>(block) - 1;
    header->previous->next = header->next;
    header->next->previous = header->previous;
    std::free(header);
}

bool comes_from_library(std::size_t) { return false; }

#elif defined(CELLISP_NO_POOL)
bool comes_from_library(std::size_t) { return true; }

#else
// A pool hands out blocks of one size. Freed blocks are chained through their first word; chunks are never
// returned to the C library before reclaim_all_memory, they stay reachable from memory.chunks.

// The pool of a block of `size` bytes; 0 and pool_count or more mean none (the C library's).
std::size_t pool_of(std::size_t size) { return (size + pool_step - 1) / pool_step; }
bool has_pool(std::size_t pool) { return pool > 0 && pool < pool_count; }

bool comes_from_library(std::size_t size) { return !has_pool(pool_of(size)); }

// A block of the pool from its free list or its chunk, or nullptr when a new chunk is needed.
[[gnu::always_inline]] inline void* take_pooled(std::size_t pool) {
    const std::size_t block_bytes = pool * pool_step;
    if (FreeBlock* block = memory.free_blocks[pool]) {
        unpoison(block, block_bytes);
        memory.free_blocks[pool] = block->next;
        return block;
    }
    if (memory.fresh_end[pool] - memory.fresh_begin[pool] >= static_cast<std::ptrdiff_t>(block_bytes)) {
        void* block = memory.fresh_begin[pool];
        memory.fresh_begin[pool] += block_bytes;
        unpoison(block, block_bytes);
        return block;
    }
    return nullptr;
}

void* take_from_new_chunk(std::size_t pool) {
    const bool large = memory.chunk_count >= small_chunk_count;
    const std::size_t bytes = large ? large_chunk_bytes : chunk_bytes;
    void* raw = large ? take_pages(bytes) : std::malloc(bytes);
    if (raw == nullptr) out_of_memory();
    if (large) show_to_leak_checker(raw, bytes);
    Chunk* chunk = static_cast<Chunk*>(raw);
    *chunk = {memory.chunks, bytes};
    memory.chunks = chunk;
    ++memory.chunk_count;
    memory.fresh_begin[pool] = reinterpret_cast<char*>(chunk + 1);
    memory.fresh_end[pool] = static_cast<char*>(raw) + bytes;
    poison(memory.fresh_begin[pool], bytes - sizeof(Chunk));
    return take_pooled(pool);
}

#endif

#if !defined(CELLISP_TRACK_MEMORY)
// Chunks are only made by the pools, but every build without tracking gives back what memory.chunks holds.
void give_chunk(Chunk* chunk) {
    unpoison(chunk + 1, chunk->bytes - sizeof(Chunk));
    if (chunk->bytes == large_chunk_bytes) {
        hide_from_leak_checker(chunk, chunk->bytes);
        return give_pages(chunk, chunk->bytes);
    }
    std::free(chunk);
}
#endif

// Everything but the pools' common cases: the countdown, fresh chunks, large blocks, tracked blocks.
[[gnu::noinline]] void* take_memory_slowly(std::size_t size) {
    if (!may_allocate()) out_of_memory();
#if defined(CELLISP_TRACK_MEMORY)
    return take_tracked(size);
#else
#if !defined(CELLISP_NO_POOL)
    const std::size_t pool = pool_of(size);
    if (has_pool(pool)) {
        if (void* block = take_pooled(pool)) return block;
        return take_from_new_chunk(pool);
    }
#endif
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) out_of_memory();
    return block;
#endif
}

}  // namespace

void* take_memory(std::size_t size) {
#if !defined(CELLISP_NO_POOL) && !defined(CELLISP_TRACK_MEMORY)
    // The common cases, kept short: a freed block of the right size is waiting, or the pool's chunk has room.
    const std::size_t pool = pool_of(size);
    if (memory.requests_left < 0 && has_pool(pool)) {
        if (void* block = take_pooled(pool)) return block;
    }
#endif
    return take_memory_slowly(size);
}

void give_memory(void* block, std::size_t size) {
#if defined(CELLISP_TRACK_MEMORY)
    (void)size;
    give_tracked(block);
#else
#if !defined(CELLISP_NO_POOL)
    const std::size_t pool = pool_of(size);
    if (has_pool(pool)) {
        FreeBlock* freed = static_cast<FreeBlock*>(block);
        freed->next = memory.free_blocks[pool];
        memory.free_blocks[pool] = freed;
        poison(freed, pool * pool_step);
        return;
    }
#else
    (void)size;
#endif
    std::free(block);
#endif
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

void fail_memory_after(long count) { memory.requests_left = count; }

void reclaim_all_memory() {
#if defined(CELLISP_TRACK_MEMORY)
    if (memory.tracked.next == nullptr) return;
    while (memory.tracked.next != &memory.tracked) give_tracked(memory.tracked.next + 1);
#else
    while (Chunk* chunk = memory.chunks) {
        memory.chunks = chunk->next;
        give_chunk(chunk);
    }
    memory.chunk_count = 0;
    for (std::size_t pool = 0; pool < pool_count; ++pool) {
        memory.free_blocks[pool] = nullptr;
        memory.fresh_begin[pool] = memory.fresh_end[pool] = nullptr;
    }
#endif
}

}  // namespace cellisp
