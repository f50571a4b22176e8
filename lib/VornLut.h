#pragma once
// The client API of the shared library libvornlut, in one header: the record (TLUT) and its
// evaluation, loading with detection, the format and output profile lists, saving,
// conversion of one file and of a batch (with progress), comparison, merging, ICC profiles
// both ways, and the report of an error. Every exception it raises derives from
// vorn::Exception. Call RegisterBuiltInFormats() once before anything else.

#include "core/VornLut.h"
#include "formats/Registration.h"
#include "imaging/IccToLutJob.h"
#include "imaging/LutComparison.h"
#include "imaging/LutToIcc.h"
#include "imaging/MergeLuts.h"
#include "platform/Export.h"

namespace vorn {

// The version of the library the program runs with ("0.1.0"), which may be newer than
// the headers it was compiled with.
VORN_API const char* LibraryVersion();

}  // namespace vorn
