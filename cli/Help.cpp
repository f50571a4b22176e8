// The --help texts.

#include "cli/Commands.h"

namespace vorn::cli {

namespace {

constexpr const char* kProgramHelp = R"(Usage: vorn-lut COMMAND [OPTIONS] [FILE...]

Converts colour look-up tables (LUT files) between formats.

Commands:
  formats    list the file formats the program knows
  profiles   list the output profiles that convert can write
  info       show the format, type, size and comments of LUT files
  convert    convert LUT files to an output profile
  icc2lut    build a LUT from an ICC profile
  lut2icc    write a LUT as an ICC profile
  merge      merge LUT files into one 3D LUT
  hald       write the identity Hald image, to be graded in an image editor
  apply      map a picture through a LUT and write the result

Options:
  -h, --help     show this help; 'vorn-lut COMMAND --help' shows a command's help
  --version      show the program's version

Exit status: 0 success, 1 a file could not be read, converted or written,
2 a command line that cannot be run (unknown command or option, bad value).
Errors are printed on standard error as "vorn-lut: " and the message.
)";

constexpr const char* kFormatsHelp = R"(Usage: vorn-lut formats

Lists every registered file format, in detection order. Output is tab-separated:
a header line, then one line per format with these columns:
  Number   the format's number (0-based; detection tries formats in this order)
  Name     the format's name, as 'info' prints it
  Type     1D or 3D
  Reads    yes when files of this format can be read
  Writes   yes when an output profile writes this format
)";

constexpr const char* kProfilesHelp = R"(Usage: vorn-lut profiles

Lists every output profile that 'convert --profile' accepts. Output is tab-separated:
a header line, then one line per profile with these columns:
  Number          the profile's number (0-based), usable as --profile NUMBER
  Name            the profile's name, usable as --profile NAME
  Extension       extension of written files, without the dot
  DefaultSize     grid nodes per axis (3D) or table entries (1D) without --size
  DefaultBits     bit depth without --bits (0: the format's own coding)
  SizeSelectable  yes when --size may be given
  BitsSelectable  yes when --bits may be given
)";

constexpr const char* kInfoHelp = R"(Usage: vorn-lut info [--values] [--input-bits B] FILE...

For each file, in order, prints:
  File: PATH
  Format: NAME          (the detected format, or "unknown")
  Type: 1D | 3D | 1D & 3D, or "No LUT data."
  Dimension: SIZE       (for 1D & 3D: "TABLE & GRID")
  the file's comments, one per line
  an empty line
A file of unknown format prints only its File and Format lines.

Options:
  --values          after the comments, print the LUT's numbers with 17 significant
                    digits, separated by single spaces: for a 1D table "i R G B" per
                    entry; for a 3D grid "r g b R G B" per node, red index slowest
                    and blue fastest. A LUT with both prints the table, then the grid.
  --input-bits B    8, 10, 12, 14 or 16: read integer codes whose depth the file does
                    not state (3DL files) as B bits per color, as the window's "Set
                    Bits Per Color..." does; without it the depth is estimated from
                    the codes. Files that state their range are not affected.

A file that cannot be read or is malformed ends the command with exit status 1;
the files before it have been printed.
)";

constexpr const char* kConvertHelp =
    R"(Usage: vorn-lut convert --profile NAME|NUMBER [--size N] [--bits B]
                        [--input-bits B] --output-dir DIR
                        [--overwrite | --skip-existing] FILE...

Converts each FILE, in order: its format is detected, the LUT is resampled to the
profile's type and size and written into DIR under the file's name with its last
extension replaced by the profile's extension (a name without one gets it added).

Options:
  --profile NAME|NUMBER  output profile, by exact name or number ('vorn-lut profiles')
  --size N               grid nodes per axis or table entries, at least 2; only for
                         profiles with a selectable size. Sizes above 99 nodes (3D) or
                         99999 entries (1D) are reduced to those. Default: the profile's
  --bits B               8, 10, 12, 14 or 16; only for profiles with a selectable bit
                         depth. Default: the profile's
  --input-bits B         8, 10, 12, 14 or 16: the bits per color of the source files'
                         codes where a file does not state them (3DL files), as the
                         window's "Set Bits Per Color...". Default: estimated
  --output-dir DIR       folder for the written files; it must exist
  --overwrite            replace files that already exist in DIR
  --skip-existing        leave files that already exist in DIR and go on
Without --overwrite or --skip-existing an existing destination is an error.

Output: one tab-separated line per file, "converted" or "skipped", the source path
and the destination path. On a terminal a progress line is shown on standard error
while several files are converted.

The first file that fails ends the batch with exit status 1 and its message on
standard error; files converted before it stay written. A bad option value exits
with status 2 before any file is written.
)";

constexpr const char* kIcc2LutHelp =
    R"help(Usage: vorn-lut icc2lut --profile NAME|NUMBER [--size N] [--bits B]
                        [--second ICC] [--invert] [--overwrite] ICC OUT

Samples the colour transformation that the ICC profile describes and writes it as
a LUT through the output profile: a grid of N nodes per axis for 3D profiles, a
table of N entries along the grey axis for 1D profiles. The transformation depends
on the profile's device class:
  display, output  the second colour space to the device's values
  input            the device's values to the second colour space
  device link      the link alone
The second colour space is the standard sRGB profile unless --second names one.
Colour space, abstract and named colour profiles describe no transformation.

Options:
  --profile NAME|NUMBER  output profile, by exact name or number ('vorn-lut profiles')
  --size N               grid nodes or table entries, at least 2; only for profiles
                         with a selectable size. Above 99 nodes (3D) or 99999 entries
                         (1D) the size is reduced to those. Default: the profile's
  --bits B               8, 10, 12, 14 or 16; only for profiles with a selectable bit
                         depth. Default: the profile's
  --second ICC           the second colour space instead of sRGB (not for a device
                         link)
  --invert               turn the transformation round (not for a device link)
  --overwrite            replace OUT when it exists; without it an existing OUT is an
                         error

LittleCMS computes the transformation with perceptual intent, unoptimised (every
colour runs through the profiles' own curves and tables). Output: "converted", ICC
and OUT, tab-separated.
)help";

constexpr const char* kLut2IccHelp =
    R"help(Usage: vorn-lut lut2icc --class display|input|link [--description TEXT]
                        [--copyright TEXT] [--capture-one-gamma] [--overwrite] LUT OUT

Writes the LUT (its format detected) as an ICC profile (version 2.4) that maps
colours as the LUT does, measured against the standard sRGB profile:
  input    the profile to sRGB maps as the LUT; sRGB to the profile is its inverse
  display  sRGB to the profile maps as the LUT; the profile to sRGB is its inverse
  link     a device link that maps as the LUT
'vorn-lut icc2lut' of the written profile gives the LUT back.

Options:
  --class CLASS          the profile's device class: display, input or link
  --description TEXT     the profile's description. Default: the LUT file's name
                         without folder and extension
  --copyright TEXT       the profile's copyright text. Default: "Copyright (c)"
  --capture-one-gamma    device values coded with gamma 1.8, as Capture One hands
                         them to a profile, instead of sRGB's curve: the input of an
                         input profile, the output of a display profile, both ends
                         of a link
  --overwrite            replace OUT when it exists; without it an existing OUT is an
                         error

Output: "converted", LUT and OUT, tab-separated.
)help";

constexpr const char* kMergeHelp =
    R"help(Usage: vorn-lut merge --profile NAME|NUMBER [--size N] [--bits B] [--overwrite]
                      --output OUT LUT...

Merges the LUT files into one 3D LUT: its node for an input colour holds the colour
passed through every LUT in the order given (the first file is applied first), 1D,
3D and 1D-and-3D LUTs alike. The result is written through a 3D output profile.

Options:
  --profile NAME|NUMBER  a 3D output profile, by exact name or number
  --size N               grid nodes per axis, at least 2; only for profiles with a
                         selectable size; above 99 taken as 99. Default: the profile's
  --bits B               8, 10, 12, 14 or 16; only for profiles with a selectable bit
                         depth. Default: the profile's
  --output OUT           the file to write
  --overwrite            replace OUT when it exists; without it an existing OUT is an
                         error

Every file is read before OUT is written: a file that fails is named and nothing is
written. Output: "merged" and OUT, tab-separated.
)help";

constexpr const char* kHaldHelp = R"(Usage: vorn-lut hald [--format bmp|jpg|tif] [--overwrite] OUT

Writes the identity Hald image: 182 x 182 pixels holding a 32-node grid, red
slowest and blue fastest, row by row from the top left. Grade it in an image
editor with colour operations only, save it without resizing as a 24-bit BMP,
JPEG or TIFF, and the graded picture reads back as a LUT ('vorn-lut info',
'vorn-lut convert').

Options:
  --format bmp|jpg|tif  the picture type: an uncompressed 24-bit BMP, a JPEG at
                        quality 100 without chroma subsampling, or an uncompressed
                        24-bit TIFF. Without it OUT's extension (.bmp, .jpg, .jpeg,
                        .tif, .tiff) chooses, and TIFF is written when OUT has none
  --overwrite           replace OUT when it exists; without it an existing OUT is
                        an error
When OUT has no extension, the type's extension is added. With --format, the type
is written whatever OUT's extension says.

Output: "generated" and the file written, tab-separated.
)";

constexpr const char* kApplyHelp =
    R"(Usage: vorn-lut apply [--input-bits B] [--fit W H] [--overwrite] LUT PICTURE OUT

Maps PICTURE through LUT as the window's preview does: the LUT's format is
detected, every pixel's 8-bit red, green and blue are evaluated in the LUT and
rounded back to 8 bits. The result is written to OUT as PNG, BMP, JPEG (quality
95, no chroma subsampling) or TIFF by OUT's extension (.png, .bmp, .jpg, .jpeg,
.tif, .tiff); another extension is an error before anything is read.

PICTURE may be a BMP, JPEG, TIFF or PNG file.

Options:
  --input-bits B  8, 10, 12, 14 or 16: the bits per color of a LUT whose integer
                  codes do not state their depth. Default: the format decides
  --fit W H       fit the picture into W x H pixels keeping its proportions, with
                  the Lanczos3 filter, as the preview fits its picture; a picture
                  that fits already keeps its size (it is never enlarged)
  --overwrite     replace OUT when it exists; without it an existing OUT is an
                  error

Output: "applied", PICTURE and OUT, tab-separated.
)";

}  // namespace

std::string HelpText(TCommand topic) {
  switch (topic) {
    case TCommand::Formats:
      return kFormatsHelp;
    case TCommand::Profiles:
      return kProfilesHelp;
    case TCommand::Info:
      return kInfoHelp;
    case TCommand::Convert:
      return kConvertHelp;
    case TCommand::Icc2Lut:
      return kIcc2LutHelp;
    case TCommand::Lut2Icc:
      return kLut2IccHelp;
    case TCommand::Merge:
      return kMergeHelp;
    case TCommand::Hald:
      return kHaldHelp;
    case TCommand::Apply:
      return kApplyHelp;
    case TCommand::Help:
    case TCommand::Version:
      break;
  }
  return kProgramHelp;
}

}  // namespace vorn::cli
