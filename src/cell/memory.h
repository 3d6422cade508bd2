#pragma once
// memory.h: the one place where the interpreter takes and gives back memory.
//
// Every cell, binding node, table and the source text come from here. When memory cannot be had the run ends
// with "Error allocating memory\n", status 2; no caller ever sees a null pointer.
//
// Small blocks are kept on free lists, one pool per size, and reused, so a run's footprint follows its peak of live
// data. Under the address sanitizer every pooled byte not handed out is poisoned, so that a use after release is
// still caught where it happens; a build with CELLISP_NO_POOL (for valgrind) hands every block to the C library.

#include <cstddef>

namespace cellisp {

// Blocks of up to pool_step * (pool_count - 1) bytes come from pools, one for each multiple of pool_step; larger
// ones (and empty requests) come straight from the C library. Every pooled block is aligned to pool_step.
constexpr std::size_t pool_step = 8;
constexpr std::size_t pool_count = 48;  // pools for every multiple of 8 bytes up to 376
// The pools' blocks are cut from chunks. A run's first small_chunk_count chunks are of chunk_bytes, from the C
// library, so that a small run stays small; past them the run is building much data, and each further chunk is of
// large_chunk_bytes, taken straight from the system (platform.h take_pages) and given back to it by
// reclaim_all_memory.
constexpr std::size_t chunk_bytes = 256 * 1024;
constexpr long small_chunk_count = 16;
constexpr std::size_t large_chunk_bytes = 8u << 20;

// A block of `size` bytes, owned by the caller until it is handed to give_memory with the same size.
// Never returns null: failure ends the run.
void* take_memory(std::size_t size);

// Returns a block from take_memory; `size` must be the size it was taken with.
void give_memory(void* block, std::size_t size);

// Grows (or shrinks) a block to `new_size` bytes, keeping its first min(old, new) bytes. Failure ends the run.
void* resize_memory(void* block, std::size_t old_size, std::size_t new_size);

// For tests of the failure path: after `count` more successful requests, every request fails. A negative count
// switches this off (the default).
void fail_memory_after(long count);

// For reset_process (process.h): gives back every chunk of the pools and forgets their blocks; in a build that
// tracks memory (CELLISP_TRACK_MEMORY), gives back every block taken and not yet given back. Blocks that came
// straight from the C library in an untracked build are not found, and stay taken.
void reclaim_all_memory();

}  // namespace cellisp
