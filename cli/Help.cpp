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

Options:
  -h, --help     show this help; 'vorn-lut COMMAND --help' shows a command's help
  --version      show the program's version
  --strict       (before info or convert) a load warning is an error; see below

Warnings: a LUT that loads although lines inside its values look like values but
could not be read ("1e400 0 0", "nan 0 0", four numbers where three belong) had
those lines skipped, which moves every later value to an earlier node or entry.
Such a load prints "vorn-lut: warning: FILE: " and the count and first line on
standard error and goes on; with --strict it fails like any other error.

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

constexpr const char* kInfoHelp = R"(Usage: vorn-lut info [--values] [--strict] FILE...

For each file, in order, prints:
  File: PATH
  Format: NAME          (the detected format, or "unknown")
  Type: 1D | 3D | 1D & 3D, or "No LUT data."
  Dimension: SIZE       (for 1D & 3D: "TABLE & GRID")
  the file's comments, one per line
  an empty line
A file of unknown format prints only its File and Format lines.

Options:
  --values   after the comments, print the LUT's numbers with 17 significant
             digits, separated by single spaces: for a 1D table "i R G B" per
             entry; for a 3D grid "r g b R G B" per node, red index slowest and
             blue fastest. A LUT with both prints the table, then the grid.
  --strict   a load warning (skipped value lines, see 'vorn-lut --help') is an
             error; without it the warning is printed on standard error.

A file that cannot be read or is malformed ends the command with exit status 1;
the files before it have been printed.
)";

constexpr const char* kConvertHelp =
    R"(Usage: vorn-lut convert --profile NAME|NUMBER [--size N] [--bits B]
                        --output-dir DIR [--overwrite | --skip-existing]
                        [--strict] FILE...

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
  --output-dir DIR       folder for the written files; it must exist
  --overwrite            replace files that already exist in DIR
  --skip-existing        leave files that already exist in DIR and go on
  --strict               a load warning (skipped value lines, see 'vorn-lut --help')
                         ends the batch as an error instead of a warning on
                         standard error
Without --overwrite or --skip-existing an existing destination (any entry, a broken
symbolic link too) is an error. A destination that is a symbolic link is written
through only when it leads to a regular file; one that is the source file itself
under another name (a hard or symbolic link) is an error.

Files whose outputs would be the same file (x/l.cube and y/l.cube, l.cube and
l.cfe, a file given twice) are refused before anything is written: the message
lists them, and the exit status is 2.

Output: one tab-separated line per file, "converted" or "skipped", the source path
and the destination path. A backslash, tab, line feed or carriage return in a path
is written as \\, \t, \n or \r. On a terminal a progress line is shown on standard
error while several files are converted.

The first file that fails ends the batch with exit status 1 and its message on
standard error; files converted before it stay written. A bad option value or a
missing output folder exits with status 2 before any file is written.
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
    case TCommand::Help:
    case TCommand::Version:
      break;
  }
  return kProgramHelp;
}

}  // namespace vorn::cli
