#pragma once
// Zero-filled blocks straight from the system: pages are zeroed when first touched, and a
// block may ask for huge pages so that filling it costs few page faults.

#include <cstddef>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/Export.h"

namespace vorn {

struct VORN_API TBlockDeleter {
  std::size_t Bytes = 0;
  bool Mapped = false;  // from the system (unmapped), otherwise from the heap (freed)
  void operator()(void* block) const;
};

using TZeroedBlock = std::unique_ptr<void, TBlockDeleter>;

// A block of bytes, every one 0. hugePages asks for huge pages on a large block that is about
// to be filled whole; leave it off for a block that will be written only here and there,
// where a huge page would zero 2 MiB for each value. Blocks of 1 MiB and more are mapped
// from the system, not taken from the heap, where one still in use would keep a freed file
// buffer below it from being reused; smaller ones come from the heap, which spares a batch of
// small files a map and an unmap per record (sanitizer builds take every block from the
// heap, so that their checks see its bounds). Raises std::bad_alloc when the system has no
// room.
TZeroedBlock AllocateZeroedBlock(std::size_t bytes, bool hugePages = true);

// An array of doubles from AllocateZeroedBlock, every one 0.0 when allocated. Move-only; a
// moved-from array is empty.
class TZeroedReals {
 public:
  TZeroedReals() = default;
  TZeroedReals(std::size_t count, bool hugePages)
      : Block_(AllocateZeroedBlock(count * sizeof(double), hugePages)), Count_(count) {}
  TZeroedReals(TZeroedReals&& other) noexcept
      : Block_(std::move(other.Block_)), Count_(std::exchange(other.Count_, 0)) {}
  TZeroedReals& operator=(TZeroedReals&& other) noexcept {
    Block_ = std::move(other.Block_);
    Count_ = std::exchange(other.Count_, 0);
    return *this;
  }

  double* Data() { return static_cast<double*>(Block_.get()); }
  const double* Data() const { return static_cast<const double*>(Block_.get()); }
  std::size_t Count() const { return Count_; }

 private:
  TZeroedBlock Block_;
  std::size_t Count_ = 0;
};

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
  void Append(const char* bytes, std::size_t count) {
    if (count == 0) return;
    Reserve(Size_ + count);
    std::memcpy(Data_.get() + Size_, bytes, count);
    Size_ += count;
  }
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
