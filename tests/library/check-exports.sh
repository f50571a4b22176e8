#!/usr/bin/env bash
# The shared library is named by its major version (SONAME) and exports the client API,
# the type information of the exceptions it raises included, and nothing of its inside:
# no format class, no XML reader, no LittleCMS wrapper, no picture codec, no file helper.
#   tests/library/check-exports.sh LIBRARY MAJOR_VERSION
set -euo pipefail

library=$1
major=$2

fail() {
  echo "export test: $*" >&2
  exit 1
}

soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = "libvornlut.so.$major" ] || fail "SONAME is \"$soname\", not libvornlut.so.$major"

symbols=$(nm -D --defined-only -C "$library" | sed "s/\[abi:cxx11\]//g")
for wanted in "vorn::RegisterBuiltInFormats()" "vorn::LibraryVersion()" "vorn::LoadLut(" \
  "vorn::LoadLutFile(" "vorn::DetectFormat(" "vorn::LutFormats()" "vorn::OutputProfiles()" \
  "vorn::SaveLut(" "vorn::ConvertFile(" "vorn::ConvertBatch(" "vorn::SurveyDestinations(" \
  "vorn::CompareLuts(" \
  "vorn::MergeLutFiles(" "vorn::ConvertLutToIcc(" "vorn::BuildIccProfile(" \
  "vorn::ConvertIccToLut(" "vorn::LutInformationLines(" "vorn::ReportError(" \
  "vorn::TLUT::Evaluate(" "vorn::TLUT::ResampleFrom(" "vorn::TLUT::ApplyToRgb48(" \
  "vorn::TBlockDeleter::operator()" "typeinfo for vorn::Exception" \
  "typeinfo for vorn::ELUTError" "typeinfo for vorn::EFileError" \
  "typeinfo for vorn::EOutputCollision" "typeinfo for vorn::EComparisonRefused"; do
  grep -qF -- " $wanted" <<<"$symbols" || fail "$wanted is not exported"
done

internal='XML|Xml|cms[A-Z]|TProfileHandle|TTransformHandle|TTextFile|TGenericLutFormat|'
internal+='TLoadState|RegisterFormat|RegisterOutputProfile|FormatToolkit|TCube|Jpeg|Png|'
internal+='Tiff|DecodePicture|ReadWholeFile|WriteWholeFile|TWorkerPool|HaldClut|BuildIccChain'
if grep -E "$internal" <<<"$symbols"; then fail "the symbols above are internal"; fi
echo "export test: $(grep -c ' vorn::' <<<"$symbols") symbols of vorn exported"
