// memory.cpp: free lists of fixed-size blocks over chunks from the C library.

#include "cell/memory.h"

#include <cstdint>
#include <cstdlib>

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

}  // namespace

void* take_memory(std::size_t size) {
    if (!may_allocate()) out_of_memory();
#ifndef CELLISP_NO_POOL
    const std::size_t pool = pool_of(size);
    if (pool > 0 && pool < pool_count) return take_from_pool(pool);
#endif
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) out_of_memory();
    return block;
}

void give_memory(void* block, std::size_t size) {
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
#ifndef CELLISP_NO_POOL
    if (pool_of(old_size) < pool_count || pool_of(new_size) < pool_count) {
        void* moved = take_memory(new_size);
        char* to = static_cast<char*>(moved);
        const char* from = static_cast<const char*>(block);
        for (std::size_t i = 0; i < old_size && i < new_size; ++i) to[i] = from[i];
        if (block != nullptr) give_memory(block, old_size);
        return moved;
    }
#else
    (void)old_size;
#endif
    if (!may_allocate()) out_of_memory();
    void* moved = std::realloc(block, new_size == 0 ? 1 : new_size);
    if (moved == nullptr) out_of_memory();
    return moved;
}

void fail_memory_after(long count) { requests_left = count; }

}  // namespace cellisp
