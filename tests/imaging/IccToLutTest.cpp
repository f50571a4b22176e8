// ICC profiles to LUTs: the chain each device class builds, in both directions, sampled on
// the grid and along the grey axis exactly as LittleCMS's own transform maps the same
// inputs; the size rules, the classes without a transform, the preview and the written file.

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/Conversion.h"
#include "core/LUTFormat.h"
#include "imaging/ICCLib.h"
#include "imaging/IccToLut.h"
#include "platform/Files.h"
#include "tests/support/IccTestProfiles.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::TTestProfile;

// LittleCMS on its own, as the reference: the profiles in the order colours flow, perceptual,
// the unoptimised transform.
class TReferenceTransform {
 public:
  explicit TReferenceTransform(const std::vector<std::string>& files) {
    std::vector<cmsHPROFILE> profiles;
    for (const std::string& file : files) {
      Profiles_.emplace_back(cmsOpenProfileFromFile(file.c_str(), "r"));
      profiles.push_back(Profiles_.back().Native());
    }
    Transform_ = TTransformHandle(cmsCreateMultiprofileTransform(
        profiles.data(), static_cast<cmsUInt32Number>(profiles.size()), TYPE_RGB_16, TYPE_RGB_16,
        INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOWHITEONWHITEFIXUP));
  }

  bool Valid() const { return static_cast<bool>(Transform_); }
  TRGB operator()(std::uint16_t r, std::uint16_t g, std::uint16_t b) const {
    const cmsUInt16Number in[3] = {r, g, b};
    cmsUInt16Number out[3];
    cmsDoTransform(Transform_.Native(), in, out, 1);
    return {out[0] / 65535.0, out[1] / 65535.0, out[2] / 65535.0};
  }

 private:
  std::vector<TProfileHandle> Profiles_;
  TTransformHandle Transform_{nullptr};
};

std::uint16_t NodeCode(int i, int size) {
  return static_cast<std::uint16_t>(std::lround(i * 65535.0 / (size - 1)));
}

// Every node of the 33-node grid and every entry of a 1024-entry grey axis equal the
// reference transform of the same inputs.
void ExpectSamplesMatch(const TTransformHandle& transform, const TReferenceTransform& reference,
                        const std::string& what) {
  ASSERT_TRUE(reference.Valid()) << what;
  auto grid = std::make_unique<TLUT>();
  SampleTransform(transform, true, 33, *grid);
  ASSERT_EQ(grid->Kind, lk3D);
  ASSERT_EQ(grid->Size3D, 33);
  int mismatches = 0;
  for (int r = 0; r < 33; ++r) {
    for (int g = 0; g < 33; ++g) {
      for (int b = 0; b < 33; ++b) {
        const TRGB expected = reference(NodeCode(r, 33), NodeCode(g, 33), NodeCode(b, 33));
        if (!(grid->GetNode(r, g, b) == expected) && ++mismatches < 5) {
          ADD_FAILURE() << what << ": node " << r << " " << g << " " << b;
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << what;
  auto axis = std::make_unique<TLUT>();
  SampleTransform(transform, false, 1024, *axis);
  ASSERT_EQ(axis->Kind, lk1D);
  ASSERT_EQ(axis->Size1D, 1024);
  for (int i = 0; i < 1024; i += 31) {
    const std::uint16_t v = NodeCode(i, 1024);
    EXPECT_EQ(axis->GetEntry(i), reference(v, v, v)) << what << ": entry " << i;
  }
}

class IccToLut : public ::testing::Test {
 protected:
  std::string Profile(const char* name, TTestProfile kind) {
    return test::WriteTestProfile(Temp.Path(), name, kind);
  }
  test::TempDir Temp;
  const std::string SRGB = GetSRGBProfileName();
};

TEST_F(IccToLut, EachClassChainsInTheOrderColoursFlowAndInvertsByTurningItRound) {
  const std::string display = Profile("display.icc", TTestProfile::Display);
  const std::string displayV4 = Profile("display-v4.icc", TTestProfile::DisplayV4);
  const std::string output = Profile("output.icc", TTestProfile::Output);
  const std::string input = Profile("input.icc", TTestProfile::Input);
  const std::string link = Profile("link.icc", TTestProfile::DeviceLink);
  const struct {
    std::string File;
    bool Invert;
    std::vector<std::string> Flow;
  } cases[] = {
      {display, false, {SRGB, display}},     {display, true, {display, SRGB}},
      {displayV4, false, {SRGB, displayV4}}, {output, false, {SRGB, output}},
      {output, true, {output, SRGB}},        {input, false, {input, SRGB}},
      {input, true, {SRGB, input}},          {link, false, {link}},
  };
  for (const auto& c : cases) {
    const TIccChain chain = BuildIccChain(c.File, "", c.Invert);
    ASSERT_TRUE(chain.Transform.has_value()) << c.File;
    ExpectSamplesMatch(*chain.Transform, TReferenceTransform(c.Flow),
                       c.File + (c.Invert ? " inverted" : ""));
  }
}

TEST_F(IccToLut, ASecondProfileTakesSRGBsPlaceUnlessItsFileIsGone) {
  const std::string display = Profile("display.icc", TTestProfile::Display);
  const std::string second = Profile("second.icc", TTestProfile::DisplayV4);
  ExpectSamplesMatch(*BuildIccChain(display, second, false).Transform,
                     TReferenceTransform({second, display}), "second profile");
  ExpectSamplesMatch(*BuildIccChain(display, Temp.File("gone.icc"), false).Transform,
                     TReferenceTransform({SRGB, display}), "missing second profile");
  ExpectSamplesMatch(*BuildIccChain(display, "sRGB (Default)", false).Transform,
                     TReferenceTransform({SRGB, display}), "the default text");
}

TEST_F(IccToLut, TheCorpusDisplayProfilesSampleAsLittleCMSMapsThem) {
  const std::string corpus = test::CorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no corpus at " << VORN_CORPUS_DIR;
  int seen = 0;
  for (const char* name :
       {"icc-test-1.icc", "icc-test-3.icm", "icc-test-pc1.icc", "icc-test-pc4.icc"}) {
    const std::string file = corpus + "/ocio/" + name;
    if (!FileExists(file)) continue;
    ++seen;
    for (bool invert : {false, true}) {
      const TIccChain chain = BuildIccChain(file, "", invert);
      ASSERT_EQ(chain.Class, kClassDisplay) << name;
      ExpectSamplesMatch(
          *chain.Transform,
          invert ? TReferenceTransform({file, SRGB}) : TReferenceTransform({SRGB, file}), name);
    }
  }
  EXPECT_GT(seen, 0);
}

// Sampling with a callback reports planes of the grid or entries of the table up to the
// whole, and samples exactly what it samples without one.
TEST_F(IccToLut, SamplingReportsItsProgressAndSamplesTheSameWithIt) {
  struct TCase {
    bool Is3D;
    int Size;
    std::size_t Total;  // planes or entries after the caps
  };
  const TCase cases[] = {
      {true, 2, 2}, {true, 17, 17}, {true, 120, 99}, {false, 2, 2}, {false, 10000, 10000}};
  const TIccChain chain = BuildIccChain(Profile("d.icc", TTestProfile::Display), "", false);
  ASSERT_TRUE(chain.Transform);
  for (const TCase& c : cases) {
    SCOPED_TRACE((c.Is3D ? "3D " : "1D ") + std::to_string(c.Size));
    auto quiet = std::make_unique<TLUT>();
    SampleTransform(*chain.Transform, c.Is3D, c.Size, *quiet);
    auto reported = std::make_unique<TLUT>();
    test::TProgressRecord reports;
    SampleTransform(*chain.Transform, c.Is3D, c.Size, *reported, reports.Callback());
    EXPECT_EQ(reports.Problem(c.Total), "");
    const int n = c.Is3D ? reported->Size3D : reported->Size1D;
    for (int i = 0; i < n; ++i) {
      if (!c.Is3D) {
        ASSERT_EQ(reported->GetEntry(i), quiet->GetEntry(i)) << i;
        continue;
      }
      for (int g = 0; g < n; ++g) {
        for (int b = 0; b < n; ++b) {
          ASSERT_EQ(reported->GetNode(i, g, b), quiet->GetNode(i, g, b)) << i << " " << g;
        }
      }
    }
  }
}

TEST_F(IccToLut, GridInputsAreRoundedCodesAndSizesAreCappedOrRefused) {
  // A device link that maps every colour to itself shows the inputs as they were sampled.
  const std::string identity = Temp.File("identity.icc");
  {
    const TProfileHandle srgb(cmsOpenProfileFromFile(SRGB.c_str(), "r"));
    const TTransformHandle transform(cmsCreateTransform(srgb.Native(), TYPE_RGB_16, srgb.Native(),
                                                        TYPE_RGB_16, INTENT_PERCEPTUAL,
                                                        cmsFLAGS_NOOPTIMIZE));
    const TProfileHandle link(cmsTransform2DeviceLink(transform.Native(), 3.4, 0));
    cmsSaveProfileToFile(link.Native(), identity.c_str());
  }
  const TIccChain chain = BuildIccChain(identity, "", false);
  auto lut = std::make_unique<TLUT>();
  SampleTransform(*chain.Transform, true, 33, *lut);
  EXPECT_NEAR(lut->GetNode(1, 1, 1).R * 65535.0, 2048.0, 1.0);
  EXPECT_NEAR(lut->GetNode(16, 16, 16).G * 65535.0, 32768.0, 1.0);
  EXPECT_EQ(lut->GetNode(32, 32, 32), (TRGB{1.0, 1.0, 1.0}));

  SampleTransform(*chain.Transform, true, 120, *lut);
  EXPECT_EQ(lut->Size3D, kMaxOutputSize3D);
  SampleTransform(*chain.Transform, false, 100000, *lut);
  EXPECT_EQ(lut->Size1D, kMaxOutputSize1D);
  for (int size : {1, 0, -3}) {
    lut->Size3D = 7;
    EXPECT_THROW(SampleTransform(*chain.Transform, true, size, *lut), EICCError) << size;
    EXPECT_EQ(lut->Size3D, 7) << "nothing sampled";
  }
}

TEST_F(IccToLut, ClassesWithoutATransformBuildNoneAndWriteNothing) {
  const TLutOutputProfile& cube = *OutputProfiles().front();
  for (TTestProfile kind :
       {TTestProfile::Abstract, TTestProfile::NamedColor, TTestProfile::ColorSpace}) {
    const std::string file = Profile("no-transform.icc", kind);
    const TIccChain chain = BuildIccChain(file, "", false);
    EXPECT_FALSE(chain.Transform.has_value());
    const std::string out = Temp.File("out." + cube.Extension);
    try {
      ConvertIccToLut({file, "", false, &cube, 17, -1, out});
      ADD_FAILURE() << "converted a profile without a transform";
    } catch (const EICCError& error) {
      EXPECT_EQ(std::string(error.what()), NoTransformMessage(chain.Class));
    }
    EXPECT_FALSE(FileExists(out));
  }
  EXPECT_EQ(NoTransformMessage(kClassAbstract),
            "A profile of the type \"Abstract Profile\" describes no colour transformation of its "
            "own: only input, display, output and device link profiles can be converted to a LUT.");
}

TEST_F(IccToLut, ALinkCannotBeInvertedNorAProfileWithoutTheOtherDirection) {
  EXPECT_THROW(BuildIccChain(Profile("link.icc", TTestProfile::DeviceLink), "", true), EICCError);
  const std::string forwardOnly = Profile("forward.icc", TTestProfile::InputForwardOnly);
  EXPECT_TRUE(BuildIccChain(forwardOnly, "", false).Transform.has_value());
  EXPECT_THROW(BuildIccChain(forwardOnly, "", true), EICCError);
}

TEST_F(IccToLut, ThePreviewFeedsEachByteAsTheUpperByteAndKeepsTheUpperByteOfTheResult) {
  const std::string display = Profile("display.icc", TTestProfile::Display);
  const TIccChain chain = BuildIccChain(display, "", false);
  const TReferenceTransform reference({SRGB, display});
  TBitmap24 picture(4, 2);
  const std::uint8_t bytes[] = {0, 1, 2, 255, 255, 255, 128, 64, 32, 10, 200, 90,
                                7, 7, 7, 250, 0,   3,   66,  77, 88, 1,  2,   254};
  std::copy(std::begin(bytes), std::end(bytes), picture.Data());
  TBitmap24 expected = picture;
  PreviewTransform(*chain.Transform, picture);
  for (int i = 0; i < 8; ++i) {
    std::uint8_t* p = expected.Data() + i * 3;  // blue, green, red
    const TRGB out = reference(p[2] << 8, p[1] << 8, p[0] << 8);
    p[2] = static_cast<std::uint8_t>(std::lround(out.R * 65535) >> 8);
    p[1] = static_cast<std::uint8_t>(std::lround(out.G * 65535) >> 8);
    p[0] = static_cast<std::uint8_t>(std::lround(out.B * 65535) >> 8);
  }
  EXPECT_EQ(picture, expected);
  EXPECT_NE(picture.ScanLine(0)[4], 255) << "255 enters as 65280, not as full white";
}

TEST_F(IccToLut, TheConversionWritesTheSamplesThroughTheOutputProfile) {
  const std::string display = Profile("display.icc", TTestProfile::Display);
  const TLutOutputProfile* output = nullptr;
  for (const auto& profile : OutputProfiles()) {
    if (profile->SizeSelectable && profile->DefaultBits == 0 &&
        GetFormat(profile->FormatIndex)->Is3D) {
      output = profile.get();  // a real-valued coding: the values are compared to 1e-6
    }
  }
  ASSERT_NE(output, nullptr) << "no 3D output with a selectable size is registered";
  const std::string out = Temp.File("display." + output->Extension);
  ConvertIccToLut({display, "", false, output, 9, -1, out});
  auto written = std::make_unique<TLUT>();
  LoadLut(out, *written, output->FormatIndex);
  ASSERT_EQ(written->Size3D, 9);
  const TReferenceTransform reference({SRGB, display});
  for (int r = 0; r < 9; ++r) {
    for (int b = 0; b < 9; ++b) {
      const TRGB expected = reference(NodeCode(r, 9), NodeCode(4, 9), NodeCode(b, 9));
      const TRGB got = written->GetNode(r, 4, b);
      EXPECT_NEAR(got.R, expected.R, 1e-6);
      EXPECT_NEAR(got.G, expected.G, 1e-6);
      EXPECT_NEAR(got.B, expected.B, 1e-6);
    }
  }
  EXPECT_THROW(ConvertIccToLut({display, "", false, output, 1, -1, Temp.File("one.cube")}),
               EICCError);
  EXPECT_FALSE(FileExists(Temp.File("one.cube")));
}

}  // namespace
}  // namespace vorn
