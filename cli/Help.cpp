// The --help texts.

#include <string_view>

#include "cli/Commands.h"
#include "core/BitDepths.h"

namespace vorn::cli {

namespace {

constexpr const char* kProgramHelp =
    R"(Usage: vorn-lut [--strict] [-q|-v] COMMAND [OPTIONS] [FILE...]

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
  --strict       a load warning is an error; see below
  -q, --quiet    print nothing but errors: no warnings, notes or progress line, and
                 no result lines ("converted ...") of the commands that write files
  -v, --verbose  print each converted file's detected format and the time it took
                 on standard error
--strict, --quiet and --verbose may stand before or after the command.

Outputs: a command that writes one file takes it as -o FILE (--output FILE) or,
as before, as its last file; convert writes into a folder with -d DIR
(--output-dir DIR), or to -o FILE when it converts one file. "-o -" writes a
text LUT (convert, icc2lut, merge) to the standard output instead of a file.

Short options mean the same in every command that takes them: -p --profile,
-s --size, -b --bits, -o --output, -d --output-dir, -f --overwrite, -j --jobs,
-q --quiet, -v --verbose, -h --help. A value may follow as the next word, after
"=" or, for a short option, directly (-p9, -j4).

Names: an output profile (--profile) is named by its number, its name in any
letter case, any abbreviation of the words of its name that fits it alone
("3dl fus" for "3DL Fusion") or the extension that it alone writes ("dd3"). A
name that fits several profiles, or none, is an error that lists the profiles
it could mean with their numbers. --class and --format take their values the
same way.

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
  vorn-lut convert -p dd3 -o - look.cube
      write look.cube as a Dolby DD3 file on the standard output
  vorn-lut merge -p 'cube davinci' -o both.cube first.cube second.3dl
      merge two LUTs into one 33-node Cube file
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

Examples:
  vorn-lut formats
      list the formats in detection order
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

Examples:
  vorn-lut profiles --json
      the output profiles as one JSON document
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
  --input-bits {BITS|}
                    {BITS}: read integer codes whose depth the file does
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

Examples:
  vorn-lut info --values look.cube
      show look.cube's format, size, comments and every value
  vorn-lut info --json --input-bits 10 luts
      describe every LUT file below the folder luts as JSON, reading 3DL codes
      as 10-bit
)";

constexpr const char* kConvertHelp =
    R"(Usage: vorn-lut convert --profile NAME|NUMBER [--size N] [--bits B]
                        [--input-bits B] --output-dir DIR | --output FILE
                        [--overwrite | --skip-existing] [--report] [--strict]
                        [--jobs N] [--fail-fast] [--keep-tree] [--dry-run]
                        [--json] [--cdl ID|NUMBER|all] FILE|FOLDER...

Converts each FILE, in order: its format is detected, the LUT is resampled to the
profile's type and size and written into DIR under the file's name with its last
extension replaced by the profile's extension (a name without one gets it added).
Several files are converted at once (--jobs), but they are printed and asked
about in the order given, as one at a time would.

Options:
  -p, --profile NAME|NUMBER
                         output profile, by number, name, abbreviation or extension
                         ('vorn-lut profiles'; see 'vorn-lut --help')
  -s, --size N           grid nodes per axis or table entries, at least 2; only for
                         profiles with a selectable size. Sizes above 99 nodes (3D) or
                         99999 entries (1D) are reduced to those. Default: the profile's
  -b, --bits {BITS|}
                         {BITS}; only for profiles with a selectable bit
                         depth. Default: the profile's
  --input-bits {BITS|}
                         {BITS}: the bits per color of the source files'
                         codes where a file does not state them (3DL files), as the
                         window's "Set Bits Per Color...". Default: estimated
  -d, --output-dir DIR   folder for the written files; it must exist
  -o, --output FILE      the file written, for one source file (not a folder of
                         several) instead of --output-dir; its folder must exist. "-"
                         writes the LUT to the standard output when the profile
                         writes text (not with --json or --report)
  -f, --overwrite        replace files that already exist in DIR
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
                         Default: the number of cores it may run on
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

Examples:
  vorn-lut convert -p 'cube davinci' -s 33 -d out *.3dl
      convert every 3DL file here into 33-node Cube files in the folder out
  vorn-lut convert -p dd3 -o graded.dd3 look.cube
      convert one file to a name of its own
  vorn-lut convert -p 9 --keep-tree -j 2 --skip-existing -d out luts
      convert the folder luts into out, keeping its subfolders
)";

constexpr const char* kIcc2LutHelp =
    R"help(Usage: vorn-lut icc2lut --profile NAME|NUMBER [--size N] [--bits B]
                        [--second ICC] [--invert] [--overwrite] ICC OUT
       vorn-lut icc2lut --profile NAME|NUMBER [OPTIONS] --output OUT ICC

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
  -p, --profile NAME|NUMBER
                         output profile, by number, name, abbreviation or extension
                         ('vorn-lut profiles'; see 'vorn-lut --help')
  -s, --size N           grid nodes or table entries, at least 2; only for profiles
                         with a selectable size. Above 99 nodes (3D) or 99999 entries
                         (1D) the size is reduced to those. Default: the profile's
  -b, --bits {BITS|}
                         {BITS}; only for profiles with a selectable bit
                         depth. Default: the profile's
  --second FILE          the second colour space instead of sRGB, an ICC profile
                         (not for a device link)
  --invert               turn the transformation round (not for a device link)
  -o, --output FILE      the LUT file to write, instead of OUT; "-" writes it to the
                         standard output when the profile writes text
  -f, --overwrite        replace OUT when it exists; without it an existing OUT is an
                         error

A profile must describe RGB colours: a gray or CMYK profile cannot become an RGB
LUT.

LittleCMS computes the transformation with perceptual intent, unoptimised (every
colour runs through the profiles' own curves and tables). Output: "converted", ICC
and OUT, tab-separated.
On a terminal standard error shows how much is sampled and, after a few percent,
about how long is left (not with --quiet).

Examples:
  vorn-lut icc2lut -p 'cube davinci' -s 65 -o display.cube display.icc
      sample a display profile from sRGB into a 65-node Cube file
  vorn-lut icc2lut -p 9 --invert camera.icc -o -
      the inverse of an input profile, as a Cube file on the standard output
)help";

constexpr const char* kLut2IccHelp =
    R"help(Usage: vorn-lut lut2icc --class display|input|link [--description TEXT]
                        [--copyright TEXT] [--capture-one-gamma] [--input-bits B]
                        [--overwrite] LUT OUT
       vorn-lut lut2icc --class display|input|link [OPTIONS] --output OUT LUT

Writes the LUT (its format detected) as an ICC profile (version 2.4) that maps
colours as the LUT does, measured against the standard sRGB profile:
  input    the profile to sRGB maps as the LUT; sRGB to the profile is its inverse
  display  sRGB to the profile maps as the LUT; the profile to sRGB is its inverse
  link     a device link that maps as the LUT
'vorn-lut icc2lut' of the written profile gives the LUT back.

Options:
  --class display|input|link
                         the profile's device class (any abbreviation: "disp")
  --description TEXT     the profile's description. Default: the LUT file's name
                         without folder and extension
  --copyright TEXT       the profile's copyright text. Default: "Copyright (c)"
  --capture-one-gamma    device values coded with gamma 1.8, as Capture One hands
                         them to a profile, instead of sRGB's curve: the input of an
                         input profile, the output of a display profile, both ends
                         of a link
  --input-bits {BITS|}
                         {BITS}: the bits per color of a LUT whose integer
                         codes do not state their depth. Default: the format decides
  -o, --output FILE      the profile to write, instead of OUT (an ICC profile is
                         binary: not "-")
  -f, --overwrite        replace OUT when it exists; without it an existing OUT is an
                         error

Output: "converted", LUT and OUT, tab-separated.

Examples:
  vorn-lut lut2icc --class display -o monitor.icc calibration.cube
      write calibration.cube as a display profile
  vorn-lut lut2icc --class link --description 'Show look' look.3dl look.icc
      write look.3dl as a device link named "Show look"
)help";

constexpr const char* kMergeHelp =
    R"help(Usage: vorn-lut merge --profile NAME|NUMBER [--size N] [--bits B] [--input-bits B]
                      [--overwrite] --output OUT LUT...

Merges the LUT files into one 3D LUT: its node for an input colour holds the colour
passed through every LUT in the order given (the first file is applied first), 1D,
3D and 1D-and-3D LUTs alike. The result is written through a 3D output profile.

Options:
  -p, --profile NAME|NUMBER
                         a 3D output profile, by number, name, abbreviation or
                         extension ('vorn-lut profiles'; see 'vorn-lut --help')
  -s, --size N           grid nodes per axis, at least 2; only for profiles with a
                         selectable size; above 99 taken as 99. Default: the profile's
  -b, --bits {BITS|}
                         {BITS}; only for profiles with a selectable bit
                         depth. Default: the profile's
  --input-bits {BITS|}
                         {BITS}: the bits per color of the files whose
                         integer codes do not state their depth. Default: estimated
  -o, --output FILE      the file to write; "-" writes it to the standard output
                         when the profile writes text
  -f, --overwrite        replace OUT when it exists; without it an existing OUT is an
                         error

Every file is read before OUT is written: a file that fails is named and nothing is
written. Output: "merged" and OUT, tab-separated.

Examples:
  vorn-lut merge -p 'cube davinci' -o both.cube log-to-709.cube look.3dl
      apply log-to-709.cube, then look.3dl, in one 33-node Cube file
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
  --input-bits {BITS|}
                  {BITS}: the bit depth of both files for formats
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

Examples:
  vorn-lut compare --tolerance 0.001 original.cube converted.3dl
      compare two LUTs; exit with status 1 when they differ by more than 0.001
)";

constexpr const char* kHaldHelp =
    R"(Usage: vorn-lut hald [--format bmp|jpg|tif] [--overwrite] OUT|--output OUT
       vorn-lut hald --level N [--bits 8|16] [--overwrite] OUT|--output OUT

Writes the identity Hald image: 182 x 182 pixels holding a 32-node grid, red
slowest and blue fastest, row by row from the top left. Grade it in an image
editor with colour operations only, save it without resizing as a 24-bit BMP,
JPEG or TIFF, and the graded picture reads back as a LUT ('vorn-lut info',
'vorn-lut convert').

Options:
  --format bmp|jpg|tif  the picture type: an uncompressed 24-bit BMP, a JPEG at
                        quality 100 without chroma subsampling, or an uncompressed
                        24-bit TIFF. Without it OUT's extension (.bmp, .jpg, .jpeg,
                        .tif, .tiff) chooses, and TIFF is written when OUT has none;
                        "jpeg", "tiff" and any letter case are taken too
  --level N             a standard Hald CLUT of level N instead (below)
  -b, --bits 8|16       with --level: the bits per channel of the PNG
  -o, --output FILE     the picture to write, instead of OUT
  -f, --overwrite       replace OUT when it exists; without it an existing OUT is
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

Examples:
  vorn-lut hald -o identity.tif
      write the identity Hald image to grade in an editor
  vorn-lut hald --level 8 -b 16 -o clut.png
      write a 16-bit identity Hald CLUT of level 8
)";

constexpr const char* kApplyHelp =
    R"(Usage: vorn-lut apply [--input-bits B] [--fit W H] [--overwrite] LUT PICTURE OUT
       vorn-lut apply [OPTIONS] --output OUT LUT PICTURE

Maps PICTURE through LUT as the window's preview does: the LUT's format is
detected, every pixel's 8-bit red, green and blue are evaluated in the LUT and
rounded back to 8 bits. The result is written to OUT as PNG, BMP, JPEG (quality
95, no chroma subsampling) or TIFF by OUT's extension (.png, .bmp, .jpg, .jpeg,
.tif, .tiff); another extension is an error before anything is read.

A PNG or TIFF of 16 bits per channel written as PNG or TIFF without --fit keeps
them: every pixel's 16-bit values are evaluated and rounded back to 16 bits.
Written as JPEG or BMP, or with --fit, it goes through 8 bits as above.

PICTURE may be a BMP, JPEG, TIFF or PNG file.

Options:
  --input-bits {BITS|}
                  {BITS}: the bits per color of a LUT whose integer
                  codes do not state their depth. Default: the format decides
  --fit W H       fit the picture into W x H pixels keeping its proportions, with
                  the Lanczos3 filter, as the preview fits its picture; a picture
                  that fits already keeps its size (it is never enlarged)
  -o, --output FILE
                  the picture to write, instead of OUT
  -f, --overwrite
                  replace OUT when it exists; without it an existing OUT is an
                  error

Output: "applied", PICTURE and OUT, tab-separated.
On a terminal standard error shows how much of the picture is mapped and, after
a few percent, about how long is left (not with --quiet).

Examples:
  vorn-lut apply --fit 1920 1080 -o preview.jpg look.cube photo.tif
      map photo.tif through look.cube, fitted into 1920 x 1080, as a JPEG
)";

}  // namespace

namespace {

void ReplaceAll(std::string& text, std::string_view token, const std::string& value) {
  for (std::size_t at = text.find(token); at != std::string::npos;
       at = text.find(token, at + value.size())) {
    text.replace(at, token.size(), value);
  }
}

// The bit depths as alternatives of an option's value: "8|10|12|14|16".
std::string BitDepthAlternatives() {
  std::string text;
  for (int bits : kOfferedBitDepths) {
    if (!text.empty()) text.push_back('|');
    text.append(std::to_string(bits));
  }
  return text;
}

// The help texts say the offered bit depths through {BITS} ("8, 10, 12, 14 or 16") and
// {BITS|} ("8|10|12|14|16"), so that core/BitDepths.h stays their one source.
std::string Filled(const char* help) {
  std::string text = help;
  ReplaceAll(text, "{BITS|}", BitDepthAlternatives());
  ReplaceAll(text, "{BITS}", OfferedBitDepthsText());
  return text;
}

const char* RawHelpText(TCommand topic) {
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

}  // namespace

std::string HelpText(TCommand topic) {
  return Filled(RawHelpText(topic));
}

}  // namespace vorn::cli
