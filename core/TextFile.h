#pragma once
// The line container of every text format. Lines are 8-bit text held in one buffer;
// a line is read as a string_view that stays valid until the container changes.
// Reading splits at CR, LF or CR LF and stops at the first NUL byte; writing puts
// LineBreak after every line, the last one included.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

class TTextFile {
 public:
  std::string LineBreak = "\n";

  // Replaces the lines with the lines of the file.
  void Load(const std::string& path);
  // Replaces the lines with the lines of the text.
  void SetText(std::string_view text);
  // Writes every line followed by LineBreak in one write; the text is complete before
  // the file is touched.
  void Save(const std::string& path) const;
  // The text Save writes.
  std::string Text() const;

  std::size_t Count() const { return Lines_.size(); }
  // The bytes the lines take, their breaks included (what Reserve counts).
  std::size_t Bytes() const { return Buffer_.size(); }
  std::string_view operator[](std::size_t i) const {
    return std::string_view(Buffer_.data() + Lines_[i].Offset, Lines_[i].Length);
  }
  void Add(std::string_view line);
  void Clear();
  // Room for the given number of lines and bytes, for writers that know their size.
  void Reserve(std::size_t lines, std::size_t bytes);

 private:
  void Split();
  void AddSpan(std::size_t offset, std::size_t length);
  void ReserveSpans(std::size_t lines);

  struct LineSpan {
    std::uint32_t Offset;
    std::uint32_t Length;
  };
  std::string Buffer_;
  std::vector<LineSpan> Lines_;
  // True while Buffer_ is exactly every line followed by PackedBreak_ (only added lines).
  bool Packed_ = true;
  std::string PackedBreak_ = "\n";
};

}  // namespace vorn
