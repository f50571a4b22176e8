#pragma once
// The JSON documents of vorn-lut (--json): built with nlohmann::json, keys in the order they
// are added, and written as one document with a final line break.

#include <nlohmann/json.hpp>
#include <string>

#include "cli/Output.h"
#include "core/VornLut.h"

namespace vorn::cli {

using TJson = nlohmann::ordered_json;

// Writes the document, indented by two spaces. Bytes of file names that are not UTF-8 are
// replaced by U+FFFD, as a JSON text must be Unicode.
void AppendJson(const TJson& document, TOutputBuffer& out);

// What "info --json" tells of one loaded file: "path", "format" (name or null),
// "format_number" (or null), "type" ("1D", "3D", "1D & 3D", "none" or null), "size_1d",
// "size_3d" (or null) and "comments".
TJson LutDescription(const std::string& path, const TLUT& lut);

// Raises when a reader reported a size beyond the capacity of the record, so that no
// value loop leaves the arrays.
void CheckLutSizes(const TLUT& lut);

}  // namespace vorn::cli
