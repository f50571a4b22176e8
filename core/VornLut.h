#pragma once
// The client API: what a program that loads, detects, describes, saves and converts LUTs
// needs, in one header. The record (TLUT) and its evaluation, the registry of formats and
// output profiles (LoadLut, LoadLutFile, DetectFormat, SaveLut, LutInformationLines), the
// limits of sizes and the offered bit depths, the conversion of one file and of a batch
// (ConvertFile, ConvertBatch, ExpandLutPaths) and the report of an error. Format authors
// include formats/FormatToolkit.h instead.

#include "core/BitDepths.h"
#include "core/Conversion.h"
#include "core/ErrorReport.h"
#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "core/LutLimits.h"
