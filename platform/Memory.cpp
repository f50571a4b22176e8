#include "platform/Memory.h"

#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace vorn {

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
// Blocks below this come from the heap: mapping and unmapping small blocks costs a system
// call, fresh pages and, with several threads, a flush of every core's address cache, which
// made a batch of small files slower on two threads than on one.
constexpr std::size_t kSmallestMappedBlock = std::size_t{1} << 20;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

}  // namespace

void TBlockDeleter::operator()(void* block) const {
  if (block == nullptr) return;
  if (Mapped) {
    ::munmap(block, Bytes);
  } else {
    std::free(block);
  }
}

TZeroedBlock AllocateZeroedBlock(std::size_t bytes, bool hugePages) {
  if (bytes == 0) return TZeroedBlock(nullptr, TBlockDeleter{});
  if (kSanitized || bytes < kSmallestMappedBlock) {
    void* block = std::calloc(bytes, 1);
    if (block == nullptr) throw std::bad_alloc();
    return TZeroedBlock(block, TBlockDeleter{bytes, false});
  }
  void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
  if (hugePages) AdviseHugePages(block, bytes);
  return TZeroedBlock(block, TBlockDeleter{bytes, true});
}

void KeepLargeBuffersForReuse() {
  // Buffers up to the largest LUT file (and twice that for the heap's top) are kept.
  ::mallopt(M_MMAP_THRESHOLD, 256 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 512 << 20);
}

void TByteBuffer::TFree::operator()(char* block) const {
  std::free(block);
}

TByteBuffer::TByteBuffer(const TByteBuffer& other) {
  Append(other.Data(), other.Size());
}

TByteBuffer& TByteBuffer::operator=(const TByteBuffer& other) {
  if (this != &other) {
    Clear();
    Append(other.Data(), other.Size());
  }
  return *this;
}

void TByteBuffer::Grow(std::size_t bytes) {
  const std::size_t capacity = std::max(bytes, Capacity_ + Capacity_ / 2);
  char* grown = static_cast<char*>(std::realloc(Data_.get(), capacity));
  if (grown == nullptr) throw std::bad_alloc();
  (void)Data_.release();
  Data_.reset(grown);
  AdviseHugePages(grown + Size_, capacity - Size_);
  Capacity_ = capacity;
}

void AdviseHugePages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace vorn
