#pragma once
// The tags that tell apart the outputs of the LUTs of one file (the corrections of an ASC
// CDL collection): what `vorn-lut convert --cdl all` and the window's rows of such a file
// add to the output name.

#include <string>
#include <vector>

#include "core/LUTFormat.h"

namespace vorn {

// One tag per member, in order: its id made fit for a file name (MemberFileTag), or its
// index where it has none or shares it with another member.
std::vector<std::string> MemberFileTags(const std::vector<TLutMember>& members);

}  // namespace vorn
