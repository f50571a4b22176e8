#pragma once
// The limits on LUT sizes in one place. Three tiers, each below the one before: what the
// in-memory record can hold, what a reader accepts from a file, and what a conversion
// writes.

namespace vorn {

// The record (TLUT) holds grids of up to 101 nodes per axis and tables of up to 100,001
// entries; its storage grows on demand up to these and no index beyond them is stored.
inline constexpr int kModelGridNodes = 101;
inline constexpr int kModelTableEntries = 100001;

// Readers refuse a grid of more than 100 nodes per axis with kGridSizeLimitMessage, one node
// below the record's capacity. Tables are refused only beyond kModelTableEntries.
inline constexpr int kReadGridNodesLimit = 100;
inline constexpr int kGridSizeLimit = kReadGridNodesLimit;
inline constexpr const char* kGridSizeLimitMessage =
    "The current version cannot process LUTs more than 100x100x100.\r\n"
    "In general, 64x64x64 is definitely enough for 3D LUTs.";

// A conversion writes at most 99 nodes per axis or 99,999 entries: a larger requested
// size is capped, so every written file loads again with room to spare.
inline constexpr int kOutputGridNodesCap = 99;
inline constexpr int kOutputTableEntriesCap = 99999;

static_assert(kOutputGridNodesCap < kReadGridNodesLimit && kReadGridNodesLimit < kModelGridNodes);
static_assert(kOutputTableEntriesCap < kModelTableEntries);

}  // namespace vorn
