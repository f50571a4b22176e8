#pragma once
// Grids laid out in pictures by other programs, read and written beside the program's own
// Hald image (imaging/HaldImage.h).
//
// The standard Hald CLUT of level L: a square picture of side L^3 holding a grid of L^2
// nodes per axis, one node per pixel, red fastest, then green, then blue, taken row by
// row from the top left: node (r, g, b) is pixel p = r + L^2 * (g + L^2 * b), at row
// p / L^3, column p % L^3. Node index k stands for k / (L^2 - 1). Levels 2 to 16 are
// read from PNG (any depth; 16-bit at full precision), TIFF, JPEG and BMP (8 bits per
// channel as their decoders give them). A record holds at most 100 nodes per axis
// (level 10): the grid of a deeper level (11 to 16, 121 to 256 nodes) is sampled down
// trilinearly onto the 100 nodes of level 10.
//
// The lookup picture of Open Broadcaster Software (a 512 x 512 PNG of 64 tiles of 64 x 64,
// see HaldImage.h) is read as its 64-node grid. It has the shape of a level-8 Hald CLUT:
// the two are told apart by their pixels (ObsLayoutFitsBetter).

#include <cstdint>
#include <string>

#include "core/LUT.h"
#include "platform/Files.h"

namespace vorn {

inline constexpr int kMinHaldLevel = 2;
inline constexpr int kMaxHaldLevel = 16;
// The deepest level whose grid a record holds node for node (100 nodes per axis).
inline constexpr int kDeepestWholeHaldLevel = 10;

// L when width and height are both L^3 with L from 2 to 16; 0 otherwise.
int HaldLevelOfSides(int width, int height);
// The level written for a grid of nodes nodes per axis: the smallest whose L^2 nodes are
// at least as many (64 nodes: level 8; 33 nodes: level 6, 36 nodes), from 2 to 10.
int HaldLevelForGrid(int nodes);

// True when path names a picture type (.png, .tif, .tiff, .jpg, .jpeg, .bmp, any case), the
// file is at most kMaxLutFileBytes and its header (read without decoding the pixels)
// declares a square of side L^3, L from 2 to 16, of any depth. A 512 x 512 PNG whose
// pixels fit the OBS layout better is not claimed, nor is a picture whose header (or, for
// that PNG, whose pixels) do not decode.
bool IsHaldClutFile(const std::string& path);
// Fills lut with the grid of a standard Hald CLUT (sampled down past level 10). A picture
// of another shape is refused with ELUTError before its pixels are decoded; a damaged
// one raises EPictureError.
void ReadHaldClut(const std::string& path, TLUT& lut);

// True for a .png name (any case) of at most kMaxLutFileBytes whose header declares 512 x
// 512 pixels of any depth and whose pixels fit the OBS layout at least as well as that of
// a level-8 Hald CLUT; a picture that does not decode is not claimed.
bool IsObsLookupPictureFile(const std::string& path);
// Fills lut with the 64-node grid of an OBS lookup picture: node (r, g, b) is pixel (64 *
// (b % 8) + r, 64 * (b / 8) + g). Another shape is refused with ELUTError.
void ReadObsLookupPicture(const std::string& path, TLUT& lut);

// Writes lut as a standard Hald CLUT of level HaldLevelForGrid of its grid size (a 1D
// table, or a grid of another size, is sampled on the level's nodes first). A .tif or
// .tiff name gets an 8-bit TIFF; any other name a PNG of 16 bits per channel when bits is
// 16, of 8 otherwise. Values are clamped to [0, 1] and rounded half to even.
void WriteHaldClut(const TLUT& lut, const std::string& path, int bits,
                   TWriteMode mode = TWriteMode::Replace);
// The identity Hald CLUT of level (2 to 16), as WriteHaldClut writes it.
void WriteIdentityHaldClut(int level, const std::string& path, int bits,
                           TWriteMode mode = TWriteMode::Replace);

// Writes the OBS lookup picture of lut as an 8-bit PNG under path as given: its grid sampled
// on 64 nodes (unless it is one), each node's value clamped to [0, 1] and rounded half to
// even, so that the picture reads back within half a code.
void WriteObsLookupPicture(const TLUT& lut, const std::string& path,
                           TWriteMode mode = TWriteMode::Replace);

}  // namespace vorn
