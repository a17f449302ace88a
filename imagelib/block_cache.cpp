#include "imagelib/block_cache.h"

#include <algorithm>
#include <mutex>
#ifdef __linux__
#include <sys/mman.h>
#endif
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace veska {

namespace {

struct Block {
  void* data;
  std::size_t capacity;
};

// Blocks of this size and more start on a huge-page boundary and ask for huge
// pages, which spares the transposing loops most address-translation misses.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::align_val_t AlignmentFor(std::size_t bytes) {
  return std::align_val_t(bytes >= kHugePage ? kHugePage : kBlockAlignment);
}

// Fresh blocks of this size and more have their pages mapped at once, on
// several threads: the system maps fresh pages on first touch, which costs
// about as much as a kernel run for an image's worth of them, and the
// mapping goes nearly twice as fast on two threads as on one. Every large
// block is written in full soon after (an image decoded into it, a plane
// filled), often by one thread, which then finds its pages ready.
constexpr std::size_t kPrefaultMin = std::size_t{8} << 20;
constexpr std::size_t kPrefaultShare = std::size_t{4} << 20;  // least per thread
constexpr unsigned kPrefaultThreads = 8;

void TouchPages(unsigned char* data, std::size_t begin, std::size_t end) {
  constexpr std::size_t kPage = 4096;
  for (std::size_t i = begin; i < end; i += kPage) data[i] = 0;
}

// Writes a zero into every page of the block, in shares on up to
// kPrefaultThreads threads; the contents are undefined anyway. A thread the
// system refuses leaves its share to the calling thread.
void MapPages(void* block, std::size_t bytes) {
  auto* data = static_cast<unsigned char*>(block);
  const std::size_t wanted = std::min<std::size_t>(
      {std::max(1u, std::thread::hardware_concurrency()), kPrefaultThreads,
       bytes / kPrefaultShare});
  const unsigned threads = static_cast<unsigned>(std::max<std::size_t>(wanted, 1));
  auto share = [&](unsigned i) { return bytes * i / threads / 4096 * 4096; };
  std::vector<std::thread> helpers;
  unsigned i = 1;
  for (; i < threads; ++i) {
    try {
      helpers.emplace_back(TouchPages, data, share(i), share(i + 1));
    } catch (const std::system_error&) {
      break;
    }
  }
  TouchPages(data, 0, share(1));
  TouchPages(data, share(i), bytes);  // the shares no helper took
  for (std::thread& t : helpers) t.join();
}

void* NewBlock(std::size_t bytes) {
  void* data = ::operator new(bytes, AlignmentFor(bytes), std::nothrow);
#ifdef __linux__
  if (data != nullptr && bytes >= kHugePage) madvise(data, bytes, MADV_HUGEPAGE);
#endif
  if (data != nullptr && bytes >= kPrefaultMin) MapPages(data, bytes);
  return data;
}

void FreeBlock(void* data, std::size_t bytes) { ::operator delete(data, AlignmentFor(bytes)); }

class BlockCache {
 public:
  // Never destroyed: buffers held by objects of static storage duration are
  // given back during exit, possibly after a destructor of the cache would
  // have run. The kept blocks go back to the system with the process.
  static BlockCache& Instance() {
    static BlockCache* const cache = new BlockCache;
    return *cache;
  }

  // The smallest kept block that fits, unless it is far larger than needed
  // (then a fresh block serves better and the large one stays for a large run).
  bool Take(std::size_t bytes, Block& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t best = blocks_.size();
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
      const std::size_t c = blocks_[i].capacity;
      if (c < bytes || c / 4 > bytes + kCachedBlockMin) continue;
      if (best == blocks_.size() || c < blocks_[best].capacity) best = i;
    }
    if (best == blocks_.size()) return false;
    out = blocks_[best];
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(best));
    total_ -= out.capacity;
    return true;
  }

  // Keeps the block, dropping the oldest kept ones while over the limit.
  void Keep(Block block) {
    std::vector<Block> evicted;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      try {
        blocks_.push_back(block);
      } catch (const std::bad_alloc&) {
        evicted.push_back(block);  // cannot remember it: free it instead
      }
      total_ += evicted.empty() ? block.capacity : 0;
      while (total_ > kBlockCacheLimit && !blocks_.empty()) {
        total_ -= blocks_.front().capacity;
        FreeBlock(blocks_.front().data, blocks_.front().capacity);
        blocks_.erase(blocks_.begin());
      }
    }
    for (const Block& b : evicted) FreeBlock(b.data, b.capacity);
  }

  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Block& b : blocks_) FreeBlock(b.data, b.capacity);
    blocks_.clear();
    total_ = 0;
  }

  // Frees kept blocks smaller than `bytes`, oldest first, until at least
  // `bytes` are freed or none is left: such blocks cannot serve the request
  // about to be met with fresh memory, and keeping them would add their size
  // to the memory in use.
  void MakeRoom(std::size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t freed = 0;
    for (std::size_t i = 0; i < blocks_.size() && freed < bytes;) {
      if (blocks_[i].capacity >= bytes) {
        ++i;
        continue;
      }
      freed += blocks_[i].capacity;
      total_ -= blocks_[i].capacity;
      FreeBlock(blocks_[i].data, blocks_[i].capacity);
      blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }

  std::size_t Total() {
    std::lock_guard<std::mutex> lock(mutex_);
    return total_;
  }

 private:
  BlockCache() = default;

  std::mutex mutex_;
  std::vector<Block> blocks_;  // oldest first
  std::size_t total_ = 0;
};

}  // namespace

void* AcquireBlock(std::size_t bytes, std::size_t* capacity) {
  if (bytes == 0) bytes = 1;
  if (bytes >= kCachedBlockMin) {
    Block b;
    if (BlockCache::Instance().Take(bytes, b)) {
      *capacity = b.capacity;
      return b.data;
    }
    BlockCache::Instance().MakeRoom(bytes);
  }
  void* data = NewBlock(bytes);
  if (data == nullptr && bytes >= kCachedBlockMin) {
    // Kept blocks that did not fit may be what stands in the way.
    ReleaseCachedBlocks();
    data = NewBlock(bytes);
  }
  *capacity = data != nullptr ? bytes : 0;
  return data;
}

void ReleaseBlock(void* block, std::size_t capacity) {
  if (block == nullptr) return;
  if (capacity >= kCachedBlockMin && capacity <= kBlockCacheLimit)
    BlockCache::Instance().Keep({block, capacity});
  else
    FreeBlock(block, capacity);
}

void ReleaseCachedBlocks() { BlockCache::Instance().Clear(); }

std::size_t CachedBlockBytes() { return BlockCache::Instance().Total(); }

}  // namespace veska
