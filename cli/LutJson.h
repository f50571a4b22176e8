#pragma once
// The JSON documents of vorn-lut (--json): built with nlohmann::json, keys in the order they
// are added, and written as one document with a final line break.

#include <nlohmann/json.hpp>
#include <string>

#include "cli/Output.h"
#include "core/VornLut.h"

namespace vorn::cli {

using TJson = nlohmann::ordered_json;

// Writes the document, indented by two spaces. A byte of a string (a file name, a comment)
// that is not part of valid UTF-8 keeps its value as the escape of a lone surrogate,
// "\udc80" to "\udcff" for the bytes 0x80 to 0xFF, as Python's "surrogateescape" error
// handler does: json.loads then os.fsencode gives the bytes back. Valid text is as it is.
void AppendJson(const TJson& document, TOutputBuffer& out);

// What "info --json" tells of one loaded file: "path", "format" (name or null),
// "format_number" (or null), "type" ("1D", "3D", "1D & 3D", "none" or null), "size_1d",
// "size_3d" (or null) and "comments".
TJson LutDescription(const std::string& path, const TLUT& lut);

// Raises when a reader reported a size beyond the capacity of the record, so that no
// value loop leaves the arrays.
void CheckLutSizes(const TLUT& lut);

}  // namespace vorn::cli
