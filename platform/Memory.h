#pragma once
// Large zero-filled blocks straight from the system: pages are zeroed when first touched,
// and the block asks for huge pages so that touching a spread of it costs few page faults.

#include <cstddef>
#include <memory>

namespace vorn {

struct TBlockDeleter {
  std::size_t Bytes = 0;
  void operator()(void* block) const;
};

using TZeroedBlock = std::unique_ptr<void, TBlockDeleter>;

// Raises std::bad_alloc when the system has no room.
TZeroedBlock AllocateZeroedBlock(std::size_t bytes);

// Asks for huge pages on the part of [data, data + bytes) that is aligned to them; a hint
// only, for buffers that are about to be filled.
void AdviseHugePages(void* data, std::size_t bytes);

}  // namespace vorn
