#include "platform/Memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace vorn {

namespace {
constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
}

void TBlockDeleter::operator()(void* block) const {
  if (block) ::munmap(block, Bytes);
}

TZeroedBlock AllocateZeroedBlock(std::size_t bytes) {
  void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
  AdviseHugePages(block, bytes);
  return TZeroedBlock(block, TBlockDeleter{bytes});
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
