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

// Large buffers (a file's text, a written file) are taken from the heap and stay with the
// process when freed, so that the next file's buffers reuse pages already mapped instead of
// mapping and zeroing fresh ones; memory stays at the largest file's needs. Called once by
// a program that converts file after file.
void KeepLargeBuffersForReuse();

// A growable run of bytes whose new bytes are left as they come from the system: whoever
// grows it fills them (a file read, lines printed in place), so nothing is zeroed twice.
// Large buffers ask for huge pages. Raises std::bad_alloc when the system has no room.
class TByteBuffer {
 public:
  TByteBuffer() = default;
  TByteBuffer(const TByteBuffer& other);
  TByteBuffer& operator=(const TByteBuffer& other);
  TByteBuffer(TByteBuffer&&) noexcept = default;
  TByteBuffer& operator=(TByteBuffer&&) noexcept = default;

  char* Data() { return Data_.get(); }
  const char* Data() const { return Data_.get(); }
  std::size_t Size() const { return Size_; }
  std::size_t Capacity() const { return Capacity_; }
  // Room for bytes in all; the content stays.
  void Reserve(std::size_t bytes) {
    if (bytes > Capacity_) Grow(bytes);
  }
  // New bytes are not initialised.
  void Resize(std::size_t bytes) {
    Reserve(bytes);
    Size_ = bytes;
  }
  void Append(const char* bytes, std::size_t count);
  void Clear() { Size_ = 0; }

 private:
  void Grow(std::size_t bytes);
  struct TFree {
    void operator()(char* block) const;
  };
  std::unique_ptr<char, TFree> Data_;
  std::size_t Size_ = 0;
  std::size_t Capacity_ = 0;
};

}  // namespace vorn
