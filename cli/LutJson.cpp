#include "cli/LutJson.h"

#include "cli/Commands.h"
#include "core/VornLut.h"

namespace vorn::cli {

namespace {

const char* KindName(TLutKind kind) {
  switch (kind) {
    case lk1D:
      return "1D";
    case lk3D:
      return "3D";
    case lk1DAnd3D:
      return "1D & 3D";
    case lkNone:
      break;
  }
  return "none";
}

}  // namespace

void AppendJson(const TJson& document, TOutputBuffer& out) {
  out << document.dump(2, ' ', false, TJson::error_handler_t::replace) << '\n';
}

TJson LutDescription(const std::string& path, const TLUT& lut) {
  TJson description;
  description["path"] = path;
  const TLUTFormat* format = GetFormat(lut.FormatIndex);
  if (format == nullptr) {
    description["format"] = nullptr;
    description["format_number"] = nullptr;
    description["type"] = nullptr;
    description["size_1d"] = nullptr;
    description["size_3d"] = nullptr;
    description["comments"] = TJson::array();
    return description;
  }
  description["format"] = format->Name;
  description["format_number"] = lut.FormatIndex;
  description["type"] = KindName(lut.Kind);
  description["size_1d"] = lut.HasTable() ? TJson(lut.Size1D) : TJson(nullptr);
  description["size_3d"] = lut.HasGrid() ? TJson(lut.Size3D) : TJson(nullptr);
  description["comments"] = lut.Comments;
  return description;
}

void CheckLutSizes(const TLUT& lut) {
  if (!lut.SizesWithinCapacity()) {
    throw ECommandError("the reader reported a size beyond the capacity of a LUT");
  }
}

}  // namespace vorn::cli
