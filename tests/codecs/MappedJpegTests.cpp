// A JPEG mapped into a JPEG in bands (TMappedJpeg over RunBandPipeline) against the whole
// picture decoded, mapped and encoded: the same bytes and the same failures.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "codecs/BandPipeline.h"
#include "codecs/Pictures.h"
#include "platform/Files.h"
#include "tests/codecs/CodecTestSupport.h"
#include "tests/support/PictureFaults.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::MakeGradient;
using test::PictureErrorOf;

void Invert(std::uint8_t* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count * 3; ++i)
    pixels[i] = static_cast<std::uint8_t>(255 - pixels[i]);
}

// Blue, green, red become green, red, blue: a mapping that depends on the whole pixel.
void Rotate(std::uint8_t* pixels, std::size_t count) {
  for (std::uint8_t* p = pixels; p != pixels + count * 3; p += 3) {
    const std::uint8_t blue = p[0];
    p[0] = p[1];
    p[1] = p[2];
    p[2] = blue;
  }
}

std::string WholePictureBytes(const test::TempDir& dir, const std::string& source,
                              const TPixelRunMapper& map, int quality,
                              TChromaSubsampling subsampling) {
  TBitmap24 picture = LoadPicture(source).Bitmap;
  map(picture.Data(), static_cast<std::size_t>(picture.Width()) * picture.Height());
  const std::string path = dir.File("whole.jpg");
  SaveJpeg(path, picture, quality, subsampling);
  return ReadWholeFile(path);
}

TEST(MappedJpeg, WritesTheBytesOfTheWholePicturePath) {
  struct TCase {
    int Width;
    int Height;  // 5000 x 70 and 300 x 900 come in several bands, the last one short
    int Quality;
    TChromaSubsampling Sampling;
    void (*Map)(std::uint8_t*, std::size_t);
  };
  const TCase cases[] = {
      {1, 1, 95, TChromaSubsampling::None, Invert},
      {17, 9, 95, TChromaSubsampling::None, Rotate},
      {5000, 70, 95, TChromaSubsampling::None, Invert},
      {300, 900, 80, TChromaSubsampling::s420, Rotate},
      {301, 517, 140, TChromaSubsampling::s422, Invert},  // quality clamped as SaveJpeg's
  };
  test::TempDir dir;
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Width) + " x " + std::to_string(c.Height));
    const std::string source = dir.File("source.JPEG");
    SaveJpeg(source, MakeGradient(c.Width, c.Height), 90, TChromaSubsampling::s420);
    std::atomic<std::size_t> mapped = 0;
    const TPixelRunMapper countingMap = [&](std::uint8_t* pixels, std::size_t count) {
      mapped += count;
      c.Map(pixels, count);
    };
    const std::string banded = dir.File("banded.jpg");
    TMappedJpeg(source, countingMap, c.Quality, c.Sampling).Save(banded);
    EXPECT_EQ(mapped, static_cast<std::size_t>(c.Width) * c.Height);
    EXPECT_EQ(ReadWholeFile(banded), WholePictureBytes(dir, source, c.Map, c.Quality, c.Sampling));
  }
}

// With a callback the rows encoded are reported up to the upright picture's height (a
// turned picture, mapped whole, at once) and the bytes are those written without one.
TEST(MappedJpeg, ReportsTheRowsEncodedAndWritesTheSameBytes) {
  struct TCase {
    int Width;
    int Height;
    int Orientation;
    std::size_t Rows;  // upright
  };
  const TCase cases[] = {{1, 1, 1, 1}, {5000, 70, 1, 70}, {300, 900, 1, 900}, {40, 24, 6, 40}};
  test::TempDir dir;
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Width) + " x " + std::to_string(c.Height));
    const std::string source = dir.Write(
        "source.jpg", test::JpegWithOrientation(MakeGradient(c.Width, c.Height), c.Orientation));
    TMappedJpeg(source, Rotate, 90, TChromaSubsampling::s420).Save(dir.File("quiet.jpg"));
    test::TProgressRecord reports;
    TMappedJpeg(source, Rotate, 90, TChromaSubsampling::s420, reports.Callback())
        .Save(dir.File("reported.jpg"));
    EXPECT_EQ(reports.Problem(c.Rows), "");
    EXPECT_EQ(ReadWholeFile(dir.File("reported.jpg")), ReadWholeFile(dir.File("quiet.jpg")));
  }
}

TEST(MappedJpeg, DamagedPicturesFailAsLoadPictureDoes) {
  test::TempDir dir;
  const std::string good = dir.File("good.jpg");
  SaveJpeg(good, MakeGradient(640, 960), 95, TChromaSubsampling::None);
  const std::string data = ReadWholeFile(good);
  const std::size_t cuts[] = {2, 400, data.size() / 3, data.size() * 2 / 3};
  for (std::size_t cut : cuts) {
    const std::string damaged = dir.Write("cut.jpg", data.substr(0, cut));
    const std::string expected = PictureErrorOf([&] { LoadPicture(damaged); });
    EXPECT_NE(expected.find("Cannot read picture"), std::string::npos) << cut;
    EXPECT_EQ(PictureErrorOf([&] { TMappedJpeg(damaged, Invert, 95, TChromaSubsampling::None); }),
              expected)
        << cut;
  }
}

// Rows hold their own index, mapping adds one, and writing checks the order; every layout
// on 1 to 4 threads, with as few slots as one.
TEST(BandPipeline, EveryRowIsReadMappedOnceAndWrittenInOrder) {
  struct TCase {
    int Height;
    int BandRows;
    int Slots;
    int Threads;
  };
  const TCase cases[] = {{1, 1, 1, 1},   {10, 3, 2, 2}, {100, 7, 3, 4},
                         {64, 16, 6, 2}, {5, 10, 2, 3}, {300, 1, 1, 3}};
  constexpr std::size_t kRowBytes = 5;
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Height) + " rows by " + std::to_string(c.BandRows));
    int nextRead = 0;
    std::vector<int> written;
    codecs::TBandSteps steps{[&](std::uint8_t* rows, int count) {
                               for (int r = 0; r < count; ++r, ++nextRead)
                                 std::fill_n(rows + r * kRowBytes, kRowBytes,
                                             static_cast<std::uint8_t>(nextRead % 255));
                             },
                             [&](std::uint8_t* rows, int count) {
                               for (std::size_t i = 0; i < count * kRowBytes; ++i) ++rows[i];
                             },
                             [&](const std::uint8_t* rows, int count) {
                               for (int r = 0; r < count; ++r) {
                                 const std::uint8_t* row = rows + r * kRowBytes;
                                 ASSERT_EQ(row[0], row[kRowBytes - 1]);
                                 written.push_back(row[0] - 1);
                               }
                             }};
    codecs::RunBandPipeline({kRowBytes, c.Height, c.BandRows, c.Slots}, c.Threads, steps);
    ASSERT_EQ(written.size(), static_cast<std::size_t>(c.Height));
    for (int r = 0; r < c.Height; ++r) ASSERT_EQ(written[r], r % 255) << "row " << r;
  }
}

// Bands of one row each, two slots: after a step fails on band 3 no later band is written
// and reading stops within the slots.
TEST(BandPipeline, AFailureOfAnyStepStopsTheBandsAfterItAndIsRaised) {
  enum TStep { Read, Map, Write };
  for (TStep failing : {Read, Map, Write}) {
    int readBands = 0;
    int writtenBands = 0;
    auto failAt = [&](TStep step, int band) {
      if (step == failing && band == 3) throw std::runtime_error("band 3");
    };
    const codecs::TBandSteps steps{[&](std::uint8_t* rows, int) {
                                     const int band = readBands++;
                                     rows[0] = static_cast<std::uint8_t>(band);
                                     failAt(Read, band);
                                   },
                                   [&](std::uint8_t* rows, int) { failAt(Map, rows[0]); },
                                   [&](const std::uint8_t* rows, int) {
                                     failAt(Write, rows[0]);
                                     ++writtenBands;
                                   }};
    EXPECT_THROW(codecs::RunBandPipeline({1, 40, 1, 2}, 2, steps), std::runtime_error) << failing;
    EXPECT_LE(writtenBands, 3) << failing;
    if (failing == Write) {
      EXPECT_EQ(writtenBands, 3);
    }
    EXPECT_LE(readBands, 6) << failing;
  }
}

}  // namespace
}  // namespace vorn
