// Large memory blocks kept for reuse: image buffers, luminance matrices and
// the kernel's planes.
//
// These are tens of megabytes each, and the first touch of fresh memory costs
// more than a whole kernel run on some machines; so blocks of at least
// kCachedBlockMin bytes are not returned to the system when released but kept
// here (up to kBlockCacheLimit bytes in all) for the next buffer of a similar
// size, which then finds its memory already mapped. A request that no kept
// block fits first frees kept blocks too small for it, as much as it takes,
// so that what is kept does not add up beside what is in use. Smaller blocks
// go straight to and from the allocator. Thread-safe.
#pragma once

#include <cstddef>

namespace veska {

constexpr std::size_t kBlockAlignment = 64;
constexpr std::size_t kCachedBlockMin = std::size_t{64} << 10;
constexpr std::size_t kBlockCacheLimit = std::size_t{768} << 20;

// What a new buffer holds: zeros, or undefined contents that its caller
// overwrites in full before anything reads them. Filling fresh memory with
// zeros that are overwritten at once costs a pass over it for nothing.
enum class InitialContents { kZeroed, kOverwritten };

// A block of at least `bytes` bytes on a kBlockAlignment boundary, its
// contents undefined; its usable size is stored in *capacity. nullptr when
// memory is short (never throws).
void* AcquireBlock(std::size_t bytes, std::size_t* capacity);
// Gives back a block from AcquireBlock with the capacity it reported.
void ReleaseBlock(void* block, std::size_t capacity);
// Returns every kept block to the system.
void ReleaseCachedBlocks();
// The bytes currently kept for reuse.
std::size_t CachedBlockBytes();

}  // namespace veska
