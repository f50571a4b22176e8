// LUTs written as ICC profiles and read back through LittleCMS with the ICC-to-LUT rules:
// every class, every kind of LUT, a LUT that lifts its blacks, the inverse direction, the
// Capture One gamma option and the written tags.

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <ostream>
#include <random>

#include "core/LUTFormat.h"
#include "imaging/ICCLib.h"
#include "imaging/IccToLut.h"
#include "imaging/LutToIcc.h"
#include "platform/Files.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

double MaxDifference(const TRGB& a, const TRGB& b) {
  return std::max({std::fabs(a.R - b.R), std::fabs(a.G - b.G), std::fabs(a.B - b.B)});
}

TRGB Normalised(const TICCColor& c) {
  return {c.R / 65535.0, c.G / 65535.0, c.B / 65535.0};
}

TICCColor RandomColor(std::mt19937& random) {
  std::uniform_int_distribution<int> code(0, 65535);
  return {static_cast<std::uint16_t>(code(random)), static_cast<std::uint16_t>(code(random)),
          static_cast<std::uint16_t>(code(random))};
}

struct TRoundTrip {
  const char* Name;
  TLutKind Kind;
  TLutIccClass Class;
};

// Printed by name: the bytes gtest prints otherwise include the struct's padding.
void PrintTo(const TRoundTrip& trip, std::ostream* out) {
  *out << trip.Name;
}

class LutToIccRoundTrip : public ::testing::TestWithParam<TRoundTrip> {
 protected:
  std::string WriteProfile(const TLUT& lut, const TLutToIccOptions& options) {
    const std::string path = Temp.File("profile.icc");
    WriteWholeFile(path, BuildIccProfile(lut, options));
    return path;
  }
  test::TempDir Temp;
};

// The ICC-to-LUT chain of the written profile maps as the LUT: within 0.002 at the nodes of
// a 17-node sampling and within 0.01 at 1,000 random colours.
TEST_P(LutToIccRoundTrip, TheProfileMapsAsTheLut) {
  const auto lut = test::MakeGradeLut(GetParam().Kind);
  const std::string path = WriteProfile(*lut, {GetParam().Class, "Round trip", "Copyright (c)"});
  const TIccChain chain = BuildIccChain(path, "", false);
  ASSERT_TRUE(chain.Transform.has_value());

  auto sampled = std::make_unique<TLUT>();
  SampleTransform(*chain.Transform, true, 17, *sampled);
  double worstNode = 0.0;
  for (int r = 0; r < 17; ++r) {
    for (int g = 0; g < 17; ++g) {
      for (int b = 0; b < 17; ++b) {
        const TRGB in{r / 16.0, g / 16.0, b / 16.0};
        worstNode =
            std::max(worstNode, MaxDifference(sampled->GetNode(r, g, b), lut->Evaluate(in)));
      }
    }
  }
  EXPECT_LE(worstNode, 0.002);

  std::mt19937 random(11);
  double worstRandom = 0.0;
  for (int i = 0; i < 1000; ++i) {
    const TICCColor in = RandomColor(random);
    TICCColor out;
    ASSERT_TRUE(TranslateColor(*chain.Transform, in, out));
    worstRandom =
        std::max(worstRandom, MaxDifference(Normalised(out), lut->Evaluate(Normalised(in))));
  }
  EXPECT_LE(worstRandom, 0.01);
}

class LutToIccInverse : public LutToIccRoundTrip {};

// The other direction of a display or input profile undoes the LUT where it is invertible.
TEST_P(LutToIccInverse, TheOtherDirectionIsTheInverse) {
  const auto lut = test::MakeGradeLut(GetParam().Kind);
  const std::string path = WriteProfile(*lut, {GetParam().Class, "Inverse", "Copyright (c)"});
  const TIccChain inverse = BuildIccChain(path, "", true);
  ASSERT_TRUE(inverse.Transform.has_value());
  std::mt19937 random(5);
  std::uniform_real_distribution<double> inside(0.05, 0.95);
  double worst = 0.0;
  for (int i = 0; i < 300; ++i) {
    const TRGB x{inside(random), inside(random), inside(random)};
    const TRGB y = lut->Evaluate(x);
    const TICCColor in{static_cast<std::uint16_t>(std::lround(y.R * 65535)),
                       static_cast<std::uint16_t>(std::lround(y.G * 65535)),
                       static_cast<std::uint16_t>(std::lround(y.B * 65535))};
    TICCColor out;
    ASSERT_TRUE(TranslateColor(*inverse.Transform, in, out));
    worst = std::max(worst, MaxDifference(lut->Evaluate(Normalised(out)), y));
  }
  // An input profile keeps its inverse on a Lab grid, which is coarse where the sRGB gamut
  // ends; a display profile inverts through sRGB's own matrix and curve.
  EXPECT_LE(worst, GetParam().Class == TLutIccClass::Input ? 0.08 : 0.01);
}

// Capture One's gamma 1.8 coding of the device values, written with its 1.8 power rather
// than the table, so that the check does not share the code it checks.
double FromGamma18(double d) {
  const double linear = std::pow(d, 1.8);
  return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}
double ToGamma18(double x) {
  const double linear = x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  return std::pow(linear, 1 / 1.8);
}
TRGB Apply(double (*f)(double), const TRGB& c) {
  return {f(c.R), f(c.G), f(c.B)};
}

// With the option the device side is coded with gamma 1.8: an input profile decodes it
// before the LUT, a display profile codes the LUT's output, a link does both.
TEST_P(LutToIccRoundTrip, CaptureOneGammaCodesTheDeviceSideWithGamma18) {
  const auto lut = test::MakeGradeLut(GetParam().Kind);
  const TGammaTable table = MakeCaptureOneGammaTable();
  const std::string path =
      WriteProfile(*lut, {GetParam().Class, "Capture One", "Copyright (c)", &table});
  const TIccChain chain = BuildIccChain(path, "", false);
  const TLutIccClass profileClass = GetParam().Class;
  std::mt19937 random(3);
  double worst = 0.0;
  for (int i = 0; i < 500; ++i) {
    const TICCColor in = RandomColor(random);
    TICCColor out;
    ASSERT_TRUE(TranslateColor(*chain.Transform, in, out));
    TRGB expected = Normalised(in);
    if (profileClass != TLutIccClass::Display) expected = Apply(FromGamma18, expected);
    expected = lut->Evaluate(expected);
    if (profileClass != TLutIccClass::Input) expected = Apply(ToGamma18, expected);
    worst = std::max(worst, MaxDifference(Normalised(out), expected));
  }
  EXPECT_LE(worst, 0.01);
}

// Every class with every kind; the display and input cases come first (the inverse tests
// take those).
const TRoundTrip kRoundTrips[] = {
    {"Input3D", lk3D, TLutIccClass::Input},
    {"Input1D", lk1D, TLutIccClass::Input},
    {"Input1DAnd3D", lk1DAnd3D, TLutIccClass::Input},
    {"Display3D", lk3D, TLutIccClass::Display},
    {"Display1D", lk1D, TLutIccClass::Display},
    {"Display1DAnd3D", lk1DAnd3D, TLutIccClass::Display},
    {"Link3D", lk3D, TLutIccClass::DeviceLink},
    {"Link1D", lk1D, TLutIccClass::DeviceLink},
    {"Link1DAnd3D", lk1DAnd3D, TLutIccClass::DeviceLink},
};
constexpr int kDisplayAndInputTrips = 6;

std::string TripName(const ::testing::TestParamInfo<TRoundTrip>& info) {
  return info.param.Name;
}

INSTANTIATE_TEST_SUITE_P(EveryClassAndKind, LutToIccRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         TripName);

INSTANTIATE_TEST_SUITE_P(DisplayAndInput, LutToIccInverse,
                         ::testing::ValuesIn(kRoundTrips, kRoundTrips + kDisplayAndInputTrips),
                         TripName);

TEST(CaptureOneGammaTable, HoldsTheRounded18PowerOf1024Steps) {
  const TGammaTable table = MakeCaptureOneGammaTable();
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[1023], 65535);
  EXPECT_EQ(table[1], 0);        // (1/1023)^1.8 x 65535 = 0.25
  EXPECT_EQ(table[512], 18853);  // (512/1023)^1.8 x 65535 = 18853.11
  for (int i = 1; i < 1024; ++i) ASSERT_LE(table[i - 1], table[i]);
}

// LittleCMS compensates the black point by itself in a perceptual chain that ends in a
// version 4 profile; the standard sRGB profile is version 2, so a lifted black comes back
// where the LUT put it. A v4 sRGB as the second profile shows what is avoided.
TEST(LutToIcc, ALiftedBlackComesBackWhereTheLutPutsIt) {
  test::TempDir temp;
  const auto lut = test::MakeGradeLut(lk3D);
  const TRGB black = lut->Evaluate({0, 0, 0});
  ASSERT_GT(black.B, 0.03);
  const std::string path = temp.File("lifted.icc");
  WriteWholeFile(path, BuildIccProfile(*lut, {TLutIccClass::Input, "Lifted", "Copyright (c)"}));
  const std::string srgbV4 = temp.File("srgb-v4.icc");
  const TProfileHandle builtIn(cmsCreate_sRGBProfile());
  ASSERT_TRUE(cmsSaveProfileToFile(builtIn.Native(), srgbV4.c_str()));

  for (const std::string& second : {std::string(), srgbV4}) {
    const TIccChain chain = BuildIccChain(path, second, false);
    TICCColor out;
    ASSERT_TRUE(TranslateColor(*chain.Transform, {0, 0, 0}, out));
    const double error = MaxDifference(Normalised(out), black);
    if (second.empty()) {
      EXPECT_LE(error, 0.002);
    } else {
      EXPECT_GT(error, 0.01) << "LittleCMS no longer compensates v4 chains on its own";
    }
  }
}

TEST(LutToIcc, WritesAVersion24ProfileOfTheClassWithItsTexts) {
  const auto lut = test::MakeGradeLut(lk3D, 5);
  const struct {
    TLutIccClass Class;
    cmsProfileClassSignature Signature;
    cmsColorSpaceSignature Connection;
  } cases[] = {{TLutIccClass::Input, cmsSigInputClass, cmsSigLabData},
               {TLutIccClass::Display, cmsSigDisplayClass, cmsSigXYZData},
               {TLutIccClass::DeviceLink, cmsSigLinkClass, cmsSigRgbData}};
  for (const auto& c : cases) {
    const std::string bytes =
        BuildIccProfile(*lut, {c.Class, "Night grade \xC3\xA9t\xC3\xA9", "Copyright (c) Vorn"});
    // The description's Unicode part holds the UTF-8 text as UTF-16.
    EXPECT_NE(bytes.find(std::string("\0\xE9\0t\0\xE9", 6)), std::string::npos);
    const TProfileHandle handle(
        cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
    ASSERT_TRUE(handle);
    cmsHPROFILE profile = handle.Native();
    EXPECT_EQ(cmsGetEncodedICCversion(profile), 0x02400000u);
    EXPECT_EQ(cmsGetDeviceClass(profile), c.Signature);
    EXPECT_EQ(cmsGetColorSpace(profile), cmsSigRgbData);
    EXPECT_EQ(cmsGetPCS(profile), c.Connection);
    EXPECT_EQ(cmsGetHeaderRenderingIntent(profile),
              static_cast<cmsUInt32Number>(INTENT_PERCEPTUAL));
    char text[64] = {};
    cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text);
    EXPECT_EQ(std::string(text).substr(0, 12), "Night grade ");
    cmsGetProfileInfoASCII(profile, cmsInfoCopyright, "en", "US", text, sizeof text);
    EXPECT_EQ(std::string(text), "Copyright (c) Vorn");
    EXPECT_TRUE(cmsIsTag(profile, cmsSigAToB0Tag));
    EXPECT_EQ(cmsIsTag(profile, cmsSigBToA0Tag), c.Class != TLutIccClass::DeviceLink);
    EXPECT_EQ(cmsIsTag(profile, cmsSigProfileSequenceDescTag), c.Class == TLutIccClass::DeviceLink);
    // A display profile has tables for both intents; an input profile and a link only the
    // perceptual ones (the header's intent for the link).
    for (const auto direction : {LCMS_USED_AS_INPUT, LCMS_USED_AS_OUTPUT}) {
      EXPECT_TRUE(cmsIsIntentSupported(profile, INTENT_PERCEPTUAL, direction));
      EXPECT_EQ(cmsIsIntentSupported(profile, INTENT_RELATIVE_COLORIMETRIC, direction),
                c.Class == TLutIccClass::Display);
    }
  }
}

// The description's texts as LittleCMS and ArgyllCMS read them: the ASCII form, and the
// Unicode form in UTF-16 with surrogate pairs and its terminator.
TEST(LutToIcc, DescriptionsAreValidUtf16AndAscii) {
  const auto lut = test::MakeGradeLut(lk3D, 3);
  const struct {
    std::string Text;
    std::string Ascii;
    std::wstring Units;  // what a 16-bit reader holds
  } cases[] = {
      {"Show LUT", "Show LUT", L"Show LUT"},
      {"Grade \xF0\x9F\x98\x80 \xC3\xA9", "Grade ? ?", L"Grade \xD83D\xDE00 \xE9"},
      {"\xC4\x80 cut", "? cut", L"\x100 cut"},
      {"bad \xFF\xC3 end", "bad ?? end", L"bad ?? end"},
  };
  test::TempDir temp;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Ascii);
    const std::string bytes = BuildIccProfile(*lut, {TLutIccClass::DeviceLink, c.Text, "(c)"});
    const TProfileHandle handle(
        cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
    ASSERT_TRUE(handle);
    const auto* mlu =
        static_cast<const cmsMLU*>(cmsReadTag(handle.Native(), cmsSigProfileDescriptionTag));
    ASSERT_NE(mlu, nullptr);
    wchar_t wide[64] = {};
    cmsMLUgetWide(mlu, "en", "US", wide, sizeof wide);
    // LittleCMS reads the ASCII form of a version 2 description.
    std::string readBack;
    for (const wchar_t* unit = wide; *unit != 0; ++unit) {
      readBack.push_back(*unit < 128 ? static_cast<char>(*unit) : '#');
    }
    EXPECT_EQ(readBack, c.Ascii);

    if (!test::HasProgram("iccdump")) continue;
    const std::string path = temp.Write("profile.icc", bytes);
    const auto dump = test::RunProgram({"iccdump", "-v3", "-t", "desc", "-t", "pseq", path});
    EXPECT_NE(dump.Out.find("ASCII data, length " + std::to_string(c.Ascii.size() + 1) +
                            " chars:\n    0x0000: " + c.Ascii + "\n"),
              std::string::npos)
        << dump.Out;
    std::string units;
    for (const wchar_t unit : c.Units + L'\0') {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04x ", static_cast<unsigned>(unit));
      units += hex;
    }
    EXPECT_NE(dump.Out.find("Unicode Data, Language code 0x0, length " +
                            std::to_string(c.Units.size() + 1) + " chars\n    0x0000: " + units),
              std::string::npos);
    EXPECT_NE(dump.Out.find("ProfileSequenceDesc:\n  No. elements = 1"), std::string::npos);
  }
}

TEST(LutToIcc, ALutThatCannotBeReadWritesNothing) {
  test::TempDir temp;
  const std::string out = temp.File("out.icc");
  const std::string unknown = temp.Write("notes.cube", "just words\n");
  const std::string incomplete = temp.Write("short.cube", "LUT_3D_SIZE 2\n0 0 0\n");
  try {
    ConvertLutToIcc(unknown, out, {});
    ADD_FAILURE();
  } catch (const ELUTError& error) {
    EXPECT_EQ(std::string(error.what()),
              "\"" + unknown + "\" is not a LUT file of any known format.");
  }
  EXPECT_THROW(ConvertLutToIcc(incomplete, out, {}), ELUTError);
  EXPECT_THROW(ConvertLutToIcc(temp.File("missing.cube"), out, {}), EFileError);
  EXPECT_FALSE(FileExists(out));

  const std::string good =
      temp.Write("good.cube", test::CubeTextOf(*test::MakeGradeLut(lk1DAnd3D, 5, 64)));
  ConvertLutToIcc(good, out, {TLutIccClass::Display, "good", "Copyright (c)"});
  EXPECT_NO_THROW(OpenProfile(out));
}

}  // namespace
}  // namespace vorn
