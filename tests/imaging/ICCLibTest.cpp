// The LittleCMS layer: opening profiles and what a failure says, device classes and their
// names, the standard sRGB profile in the cache folder, transforms and translation.

#include <gtest/gtest.h>
#include <lcms2.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "imaging/ICCLib.h"
#include "platform/Files.h"
#include "tests/support/IccTestProfiles.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::TTestProfile;

// Points XDG_CACHE_HOME at a folder of the test for the life of the object.
class TCacheHome {
 public:
  explicit TCacheHome(const std::string& folder) {
    if (const char* old = std::getenv("XDG_CACHE_HOME")) Old_ = old;
    ::setenv("XDG_CACHE_HOME", folder.c_str(), 1);
  }
  ~TCacheHome() {
    if (Old_.empty()) {
      ::unsetenv("XDG_CACHE_HOME");
    } else {
      ::setenv("XDG_CACHE_HOME", Old_.c_str(), 1);
    }
  }
  TCacheHome(const TCacheHome&) = delete;
  TCacheHome& operator=(const TCacheHome&) = delete;

 private:
  std::string Old_;
};

TEST(ICCLib, EveryDeviceClassIsReadFromTheHeaderAndNamed) {
  test::TempDir temp;
  const struct {
    TTestProfile Kind;
    TProfileClass Class;
    const char* Name;
  } cases[] = {
      {TTestProfile::Input, kClassInput, "Input Device Profile"},
      {TTestProfile::Display, kClassDisplay, "Display Device Profile"},
      {TTestProfile::Output, kClassOutput, "Output Device Profile"},
      {TTestProfile::DeviceLink, kClassLink, "Device Link Profile"},
      {TTestProfile::ColorSpace, kClassColorSpace, "Color Space Conversion Profile"},
      {TTestProfile::Abstract, kClassAbstract, "Abstract Profile"},
      {TTestProfile::NamedColor, kClassNamedColor, "Named Color Profile"},
  };
  for (const auto& c : cases) {
    const std::string path = test::WriteTestProfile(temp.Path(), c.Name, c.Kind);
    const TProfileHandle profile = OpenProfile(path);
    EXPECT_EQ(profile.Path(), path);
    EXPECT_EQ(GetProfileClass(profile), c.Class) << c.Name;
    EXPECT_EQ(ProfileClassName(GetProfileClass(profile)), c.Name);
  }
  EXPECT_EQ(ProfileClassName(0x61626364), "Unknown");  // 'abcd'
  EXPECT_EQ(ProfileClassName(0), "Unknown");
}

TEST(ICCLib, AFileThatIsNoProfileNamesThePathAndLittleCMSsReasonWithoutPrinting) {
  test::TempDir temp;
  const std::string text = temp.Write("notes.icc", std::string(300, 'x'));
  const std::string stub = temp.Write("stub.icm", "acsp");
  const std::string missing = temp.File("missing.icc");
  ::testing::internal::CaptureStderr();
  ::testing::internal::CaptureStdout();
  try {
    OpenProfile(text);
    ADD_FAILURE() << "a text file opened as a profile";
  } catch (const EICCError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open the ICC profile \"" + text +
                                             "\": not an ICC profile, invalid signature.");
  }
  try {
    OpenProfile(stub);
    ADD_FAILURE() << "a 4-byte file opened as a profile";
  } catch (const EICCError& error) {
    EXPECT_NE(std::string(error.what()).find(stub), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("128 bytes"), std::string::npos) << error.what();
  }
  try {
    OpenProfile(missing);
    ADD_FAILURE() << "a missing file opened";
  } catch (const EFileError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Cannot open file \"" + missing + "\". No such file or directory");
  }
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(ICCLib, ATransformLittleCMSCannotBuildNamesBothProfilesAndTheReason) {
  test::TempDir temp;
  const TProfileHandle gray =
      OpenProfile(test::WriteTestProfile(temp.Path(), "gray.icc", TTestProfile::GrayDisplay));
  const TProfileHandle srgb = OpenProfile(GetSRGBProfileName());
  try {
    CreateTransform(srgb, &gray);
    ADD_FAILURE() << "an RGB transform into a grey profile was built";
  } catch (const EICCError& error) {
    const std::string message = error.what();
    EXPECT_EQ(message.rfind("Cannot build a colour transformation from \"" + srgb.Path() +
                                "\" and \"" + gray.Path() + "\": ",
                            0),
              0u)
        << message;
    EXPECT_NE(message.find("color space"), std::string::npos) << message;
  }
}

TEST(ICCLib, TranslatesOneColourAtATimeAndReportsSuccess) {
  test::TempDir temp;
  const TProfileHandle display =
      OpenProfile(test::WriteTestProfile(temp.Path(), "display.icc", TTestProfile::Display));
  const TProfileHandle srgb = OpenProfile(GetSRGBProfileName());
  const TTransformHandle there = CreateTransform(srgb, &display);
  const TTransformHandle back = CreateTransform(display, &srgb);
  const TICCColor colour{40000, 12000, 700};
  TICCColor device;
  TICCColor again;
  ASSERT_TRUE(TranslateColor(there, colour, device));
  ASSERT_TRUE(TranslateColor(back, device, again));
  EXPECT_NE(device, colour);  // wide primaries: far from the identity
  EXPECT_NEAR(again.R, colour.R, 40);
  EXPECT_NEAR(again.G, colour.G, 40);
  EXPECT_NEAR(again.B, colour.B, 40);
}

TEST(ICCLib, TheSRGBProfileIsWrittenOnceIntoTheCacheFolderAsAVersion2DisplayProfile) {
  test::TempDir temp;
  const TCacheHome cache(temp.Path());
  const std::string path = GetSRGBProfileName();
  EXPECT_EQ(path, temp.Path() + "/vorn-lut/sRGB.icc");
  ASSERT_TRUE(FileExists(path));
  {
    const TProfileHandle profile = OpenProfile(path);
    EXPECT_EQ(GetProfileClass(profile), kClassDisplay);
    EXPECT_EQ(cmsGetColorSpace(profile.Native()), cmsSigRgbData);
    EXPECT_EQ(cmsGetEncodedICCversion(profile.Native()), 0x02400000u);
  }
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  EXPECT_EQ(GetSRGBProfileName(), path);
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "an intact profile is left alone";

  WriteWholeFile(path, "damaged");
  EXPECT_EQ(GetSRGBProfileName(), path);
  EXPECT_NO_THROW(OpenProfile(path)) << "a damaged profile is written again";
}

}  // namespace
}  // namespace vorn
