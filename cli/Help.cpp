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
  compare    show how far two LUTs differ
  icc2lut    build a LUT from an ICC profile
  lut2icc    write a LUT as an ICC profile
  merge      merge LUT files into one 3D LUT
  hald       write an identity Hald image or CLUT, to be graded in an editor
  apply      map a picture through a LUT and write the result

Options:
  -h, --help     show this help; 'vorn-lut COMMAND --help' shows a command's help
  --version      show the program's version
  --strict       (before the command) a load warning is an error; see below

Warnings: a LUT that loads although lines inside its values look like values but
could not be read ("1e400 0 0", "nan 0 0", four numbers where three belong) had
those lines skipped, which moves every later value to an earlier node or entry.
Such a load prints "vorn-lut: warning: FILE: " and the count and first line on
standard error and goes on; with --strict it fails like any other error.

Exit status: 0 success, 1 a file could not be read, converted or written,
2 a command line that cannot be run (unknown command or option, bad value).
Errors are printed on standard error as "vorn-lut: " and the message.

Examples:
  vorn-lut profiles
      list the output profiles with their numbers, extensions and defaults
  vorn-lut info --values look.cube
      show the format, size and comments of look.cube, then every value
  vorn-lut convert --profile 'Cube 3D Davinci' --size 33 --output-dir out *.3dl
      convert every 3DL file here into 33-node Cube files in the folder out
  vorn-lut convert --profile 0 --output-dir out --skip-existing luts/*
      convert to the first output profile, leaving files already in out
)";

constexpr const char* kFormatsHelp = R"(Usage: vorn-lut formats [--json]

Lists every registered file format, in detection order. Output is tab-separated:
a header line, then one line per format with these columns:
  Number   the format's number (0-based; detection tries formats in this order)
  Name     the format's name, as 'info' prints it
  Type     1D or 3D
  Reads    yes when files of this format can be read
  Writes   yes when an output profile writes this format

With --json, one JSON document instead:
  {"formats": [{"number": 0, "name": "...", "type": "3D", "reads": true,
                "writes": true}, ...]}
)";

constexpr const char* kProfilesHelp = R"(Usage: vorn-lut profiles [--json]

Lists every output profile that 'convert --profile' accepts. Output is tab-separated:
a header line, then one line per profile with these columns:
  Number          the profile's number (0-based), usable as --profile NUMBER
  Name            the profile's name, usable as --profile NAME
  Extension       extension of written files, without the dot
  DefaultSize     grid nodes per axis (3D) or table entries (1D) without --size
  DefaultBits     bit depth without --bits (0: the format's own coding)
  SizeSelectable  yes when --size may be given
  BitsSelectable  yes when --bits may be given

With --json, one JSON document instead:
  {"profiles": [{"number": 0, "name": "...", "extension": "cube",
                 "format": "Cube 3D", "format_number": 1, "type": "3D",
                 "default_size": 32, "default_bits": 0,
                 "size_selectable": false, "bits_selectable": false}, ...]}
)";

constexpr const char* kInfoHelp = R"(Usage: vorn-lut info [--values] [--json] [--input-bits B]
                     [--size N] [--strict] [--fail-fast] FILE|FOLDER...

A folder stands for the files in it and in its subfolders, in name order; those
that no format claims are skipped and listed at the end ("Skipped N files in the
folders that no format claims:", one indented path per line).

For each file, in order, prints:
  File: PATH
  Format: NAME          (the detected format, or "unknown")
  Type: 1D | 3D | 1D & 3D, or "No LUT data."
  Dimension: SIZE       (for 1D & 3D: "TABLE & GRID")
  the file's comments, one per line
  for a file of several ASC CDL corrections (.ccc, .cdl): "Corrections: N", then
    "  NUMBER<TAB>ID" per correction, the ID of one without an id being (no id)
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
  --size N          2 to 100: the grid nodes per axis onto which a file evaluated
                    as a whole (a .clf or .ctf process list that is not one table or
                    grid) is sampled; without it 33. convert samples such files at the
                    output's size.
  --json            print one JSON document instead:
                      {"files": [{"path": "...", "format": "Cube 3D",
                                  "format_number": 1, "type": "3D",
                                  "size_1d": null, "size_3d": 33,
                                  "comments": ["..."]}, ...],
                       "unclaimed": ["path of a skipped file", ...]}
                    "type" is "1D", "3D", "1D & 3D" or "none"; a size is null when
                    the LUT has no table or no grid. A file of unknown format has
                    null format, format_number, type and sizes. With --values each
                    file also has "table" and "grid": lists of [R, G, B] (the grid
                    red slowest, blue fastest). A file of several ASC CDL
                    corrections also has "corrections": [{"index": 1, "id": "..."}].
                    A file that cannot be read is listed
                    as {"path": "...", "error": "..."} and ends the list (status 1).
                    A byte of a name or comment that is not UTF-8 is written as a
                    lone surrogate "\udcXX" (XX its value), as Python's
                    surrogateescape reads it back.
  --strict          a load warning (skipped value lines, see 'vorn-lut --help') is
                    an error; without it the warning is printed on standard error.
  --fail-fast       the first file that cannot be read ends the command

A file that cannot be read or is malformed has its message printed on standard
error where its entry would be, the other files are printed all the same, and
the command ends with exit status 1. With --fail-fast (and with --json) the
first such file ends the command with exit status 1; the files before it have
been printed.
)";

constexpr const char* kConvertHelp =
    R"(Usage: vorn-lut convert --profile NAME|NUMBER [--size N] [--bits B]
                        [--input-bits B] --output-dir DIR
                        [--overwrite | --skip-existing] [--report] [--strict]
                        [--jobs N] [--fail-fast] [--keep-tree] [--dry-run]
                        [--json] [--cdl ID|NUMBER|all] FILE|FOLDER...

Converts each FILE, in order: its format is detected, the LUT is resampled to the
profile's type and size and written into DIR under the file's name with its last
extension replaced by the profile's extension (a name without one gets it added).
Several files are converted at once (--jobs), but they are printed and asked
about in the order given, as one at a time would.

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
  --report               read each written file back (a reader of integer codes is
                         told the bit depth they were written with) and compare it
                         with its source, as 'compare' does ('vorn-lut compare --help')
  --strict               a load warning (skipped value lines, see 'vorn-lut --help')
                         ends the batch as an error instead of a warning on
                         standard error; what the profile cannot hold (below) is
                         still only a warning
  -j, --jobs N           files converted at once, a whole number of at least 1;
                         "Adobe Premiere Look" converts one at a time.
                         Default: the number of cores
  --fail-fast            the first file that fails ends the batch (see below)
  --keep-tree            write each file of a FOLDER into the subfolder of DIR that
                         matches the one it has below FOLDER (FOLDER/a/b/x.3dl to
                         DIR/a/b/x.cube); subfolders are made as needed. Files given
                         by themselves go into DIR itself
  --dry-run              read and write nothing, make no folder: print what would
                         be written where, "would convert", "would replace" (an
                         existing destination with --overwrite) or "would skip"
                         (with --skip-existing) instead of "converted" and "skipped"
  --json                 print one JSON document instead of the lines:
                           {"files": [{"source": "...", "destination": "...",
                                       "action": "converted"}, ...],
                            "unclaimed": ["path", ...],
                            "summary": {"converted": 5, "failed": 1,
                                        "skipped": 0, "unclaimed": 2}}
                         "action" is the word the line would start with, or
                         "failed" with the message in "error"; a companion file
                         and the --report fields are in "details"
  --cdl ID|NUMBER|all    for ASC CDL collections (.ccc) and decision lists (.cdl),
                         which hold several corrections ('vorn-lut info' lists them):
                         the correction of that id, or else that number from 1;
                         "all" writes one file per correction, named FILE_ID (the id
                         with characters other than letters, digits, "-", "_" and "."
                         made "_") or FILE_NUMBER for one without an id or sharing it.
                         Other files ignore it. Default: the first correction
Without --overwrite or --skip-existing an existing destination (any entry, a broken
symbolic link too) is an error. The same holds for the cube file that "Adobe
Premiere Look" writes beside each look: when it exists, --skip-existing skips the
file (neither file is written). A destination that is a symbolic link is written
through only when it leads to a regular file; one that is the source file itself
under another name (a hard or symbolic link) is an error.

Files whose outputs would be the same file (x/l.cube and y/l.cube, l.cube and
l.cfe, a file given twice) are refused before anything is written: the message
lists them, and the exit status is 2.

A FOLDER stands for the files in it and in its subfolders, in name order; all
are written into DIR (with --keep-tree into its subfolders; a symbolic link there
that leads out of DIR, or a file in the way of a subfolder, fails the files that
would go through it). Files in folders that no format claims are skipped.

What a file loses because the profile cannot hold it is a warning line on standard
error ("vorn-lut: warning: FILE: ..."), one per loss: a grid written as a 1D table
(its cross-talk between channels), a shaper baked into the grid, a grid or table
resampled to fewer nodes or entries, values clamped by the profile's integer codes.

Output: one tab-separated line per file, "converted" or "skipped", the source path
and the destination path; a converted file of a profile that writes a second file
beside it (Adobe Premiere Look: the cube its look names) adds that file's path. A
backslash, tab, line feed or carriage return in a path is written as \\, \t, \n or
\r. With --report a converted file's line gains
two fields, "max N 10-bit codes" (the largest difference of any channel) and
"max dE00 N" (the largest CIEDE2000 colour difference, outputs read as sRGB), or
one field saying why the written file was not compared (a format that only
writes). A Premiere look holds no values: its cube is compared.
After the batch, each skipped file of a folder that no format claims is listed
as "unclaimed" and its path, and standard error says how many there were.
On a terminal a progress line is shown on standard error while several files
are converted.

A file that fails (it cannot be read or written, is malformed, its destination
exists without --overwrite or --skip-existing, or a --strict warning) has its
message printed on standard error at once, and the batch goes on. At the end,
when a file of several failed, standard error sums the batch up:
  Converted 5 files, 1 failed, 0 skipped, 2 unclaimed.
  Failed:
    PATH (one indented line per failed file)
and the exit status is 1. With --fail-fast the first file that fails ends the
batch with exit status 1 and its message on standard error; files converted
before it stay written. A bad option value or a missing output folder exits
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

constexpr const char* kCompareHelp =
    R"(Usage: vorn-lut compare [--input-bits B] [--samples N] [--tolerance T] [--json]
                        FIRST SECOND

Loads two LUT files (any readable formats, kinds and sizes), evaluates both at the
same inputs and prints how far their outputs differ.

Inputs: by default every node of both grids (a LUT without a grid counts as a
33-node lattice), the centre of every cell of the finer grid and, for LUTs with a
1D table, the grey inputs (x, x, x) at every table entry and halfway between the
entries of the longer table; an input shared by two of these is used once.

For R, G, B and all channels together (Overall) it prints the largest, the mean
and the 99th percentile (nearest rank) of the absolute differences, in
normalised units (0 to 1) and in 10-bit codes (times 1023), and the first input
where the largest occurs. Then the largest, mean and 99th percentile CIEDE2000
colour difference, reading both outputs as sRGB-encoded values (IEC 61966-2-1
decoding, D65 white; values outside 0 to 1 continue the curve).

Options:
  --input-bits B  8, 10, 12, 14 or 16: the bit depth of both files for formats
                  that store integer codes without saying their depth
  --samples N     evaluate an N x N x N lattice instead (N from 2 to 129)
  --tolerance T   exit with status 1 when the largest difference (normalised)
                  is above T, after printing the comparison
  --json          print one JSON document instead of the table:
    {"first": {as one file of 'info --json'}, "second": {...},
     "sampling": {"inputs": "nodes" | "lattice", "lattice_size": N | null,
                  "samples": COUNT},
     "differences": {"red": STATS, "green": STATS, "blue": STATS,
                     "overall": STATS + {"max_channel": "red"|"green"|"blue"}},
     "delta_e_2000": {"max": X, "mean": X, "p99": X, "max_at": [R, G, B]},
     "tolerance": null | {"value": T, "exceeded": true | false}}
    where STATS is {"max": X, "mean": X, "p99": X, "max_codes_10bit": X,
                    "mean_codes_10bit": X, "p99_codes_10bit": X,
                    "max_at": [R, G, B]}

A file that cannot be read or that no format claims exits with status 1.
)";

constexpr const char* kHaldHelp = R"(Usage: vorn-lut hald [--format bmp|jpg|tif] [--overwrite] OUT
       vorn-lut hald --level N [--bits 8|16] [--overwrite] OUT

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
When OUT has no extension, the type's extension is added. With --format, an
extension of OUT must name the same type (a picture named for another type would
not read back).

With --level N (2 to 16) it writes instead the identity standard Hald CLUT of
that level, as image editors and other colour programs use it: a square of N^3
pixels a side holding N^2 nodes per axis, red fastest, then green, then blue, row
by row from the top left (level 8: 512 x 512, 64 nodes). OUT's extension chooses
PNG (.png; added when OUT has none) or 8-bit TIFF (.tif, .tiff); --bits 16 writes
a PNG of 16 bits per channel (default 8). Graded, it reads back as a LUT: levels
above 10 (more than 100 nodes) are sampled down onto the 100 nodes of level 10.
The output profile "Hald CLUT" converts a LUT into one.

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
    case TCommand::Compare:
      return kCompareHelp;
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
