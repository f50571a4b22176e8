#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <vector>

#include "codecs/Pictures.h"
#include "tests/codecs/CodecTestSupport.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::MakeGradient;
using test::PictureErrorOf;
using test::PixelText;

// A TIFF written with libtiff itself. Samples are given row after row as the file holds
// them: interleaved for contiguous pictures, plane after plane for separate ones; 16-bit
// samples in Samples16.
struct TTiffLayout {
  std::uint32_t Width = 1;
  std::uint32_t Height = 1;
  std::uint16_t BitsPerSample = 8;
  std::uint16_t SamplesPerPixel = 3;
  std::uint16_t Photometric = PHOTOMETRIC_RGB;
  std::uint16_t Compression = COMPRESSION_NONE;
  std::uint16_t Predictor = 1;
  std::uint16_t Planar = PLANARCONFIG_CONTIG;
  std::uint32_t RowsPerStrip = 1;
  std::uint16_t Orientation = ORIENTATION_TOPLEFT;
  bool ExtraAlpha = false;
  std::vector<std::uint16_t> ColourMap;  // red, then green, then blue entries
  std::vector<std::uint8_t> Samples8;
  std::vector<std::uint16_t> Samples16;
};

std::string WriteTiff(const test::TempDir& dir, const std::string& name,
                      const TTiffLayout& layout) {
  std::string path = dir.File(name);
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  EXPECT_NE(tiff, nullptr);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, layout.Width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, layout.Height);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.BitsPerSample);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.SamplesPerPixel);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.Photometric);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, layout.Compression);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, layout.Planar);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, layout.RowsPerStrip);
  if (layout.Predictor != 1) TIFFSetField(tiff, TIFFTAG_PREDICTOR, layout.Predictor);
  if (layout.Orientation != ORIENTATION_TOPLEFT)
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, layout.Orientation);
  if (layout.ExtraAlpha) {
    std::uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
  }
  if (!layout.ColourMap.empty()) {
    std::size_t n = layout.ColourMap.size() / 3;
    std::vector<std::uint16_t> map = layout.ColourMap;
    TIFFSetField(tiff, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
  }
  bool separate = layout.Planar == PLANARCONFIG_SEPARATE;
  int planes = separate ? layout.SamplesPerPixel : 1;
  std::size_t rowBytes = static_cast<std::size_t>(TIFFScanlineSize(tiff));
  const std::uint8_t* source = layout.BitsPerSample == 16
                                   ? reinterpret_cast<const std::uint8_t*>(layout.Samples16.data())
                                   : layout.Samples8.data();
  std::vector<std::uint8_t> row(rowBytes);
  for (int plane = 0; plane < planes; ++plane)
    for (std::uint32_t y = 0; y < layout.Height; ++y) {
      std::memcpy(row.data(), source + rowBytes * (plane * layout.Height + y), rowBytes);
      EXPECT_GE(TIFFWriteScanline(tiff, row.data(), y, static_cast<std::uint16_t>(plane)), 0);
    }
  TIFFClose(tiff);
  return path;
}

// The gradient's samples as red, green, blue (contiguous, 8 bits).
std::vector<std::uint8_t> RgbSamples(const TBitmap24& bitmap) {
  std::vector<std::uint8_t> samples;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      const std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
      samples.insert(samples.end(), {p[2], p[1], p[0]});
    }
  return samples;
}

TTiffLayout RgbSpec(const TBitmap24& bitmap) {
  TTiffLayout layout;
  layout.Width = static_cast<std::uint32_t>(bitmap.Width());
  layout.Height = static_cast<std::uint32_t>(bitmap.Height());
  layout.Samples8 = RgbSamples(bitmap);
  return layout;
}

std::string ExpectedMessage(const std::string& path, const std::string& problem) {
  return "Cannot read picture \"" + path + "\": " + problem;
}

TEST(TiffCodec, RoundTripIsExactAndTheFileIsPlainRgbInSeveralStrips) {
  test::TempDir dir;
  TBitmap24 original = MakeGradient(100, 1000);
  std::string path = dir.File("a.tif");
  SaveTiff(path, original);
  TDecodedPicture decoded = LoadPicture(path);
  EXPECT_EQ(decoded.Bitmap, original);
  EXPECT_EQ(decoded.BitsPerPixel, 24);
  EXPECT_EQ(decoded.BitsPerChannel, 8);

  TIFF* tiff = TIFFOpen(path.c_str(), "r");
  ASSERT_NE(tiff, nullptr);
  std::uint16_t compression = 0, photometric = 0, bits = 0, samples = 0;
  TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
  TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
  EXPECT_EQ(compression, COMPRESSION_NONE);
  EXPECT_EQ(photometric, PHOTOMETRIC_RGB);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(samples, 3);
  EXPECT_GT(TIFFNumberOfStrips(tiff), 1u);
  TIFFClose(tiff);

  SaveTiff(path, MakeGradient(1, 1));
  EXPECT_EQ(LoadPicture(path).Bitmap, MakeGradient(1, 1));
}

TEST(TiffCodec, ReadsLzwWithPredictorPackBitsAndDeflate) {
  test::TempDir dir;
  TBitmap24 original = MakeGradient(37, 23);
  TTiffLayout layout = RgbSpec(original);
  layout.RowsPerStrip = 8;
  layout.Compression = COMPRESSION_LZW;
  layout.Predictor = PREDICTOR_HORIZONTAL;
  EXPECT_EQ(LoadPicture(WriteTiff(dir, "lzw.tif", layout)).Bitmap, original);
  layout.Predictor = 1;
  EXPECT_EQ(LoadPicture(WriteTiff(dir, "lzw-plain.tif", layout)).Bitmap, original);
  layout.Compression = COMPRESSION_PACKBITS;
  EXPECT_EQ(LoadPicture(WriteTiff(dir, "packbits.tif", layout)).Bitmap, original);
  layout.Compression = COMPRESSION_ADOBE_DEFLATE;
  EXPECT_EQ(LoadPicture(WriteTiff(dir, "deflate.tiff", layout)).Bitmap, original);
}

TEST(TiffCodec, SixteenBitSamplesAreRoundedToEightBits) {
  test::TempDir dir;
  TTiffLayout layout;
  layout.Width = 2;
  layout.BitsPerSample = 16;
  // 128 / 257 rounds down to 0, 129 / 257 up to 1; 257 k is exactly k.
  layout.Samples16 = {128, 129, 65535, 257 * 200, 0, 257 * 17 + 128};
  layout.Compression = COMPRESSION_LZW;
  layout.Predictor = PREDICTOR_HORIZONTAL;
  TDecodedPicture decoded = LoadPicture(WriteTiff(dir, "16.tif", layout));
  EXPECT_EQ(decoded.BitsPerChannel, 16);
  EXPECT_EQ(decoded.BitsPerPixel, 48);
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "255,1,0");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "17,0,200");
}

TEST(TiffCodec, ReadsGreyInBothPolaritiesAndBilevel) {
  test::TempDir dir;
  TTiffLayout grey;
  grey.Width = 3;
  grey.SamplesPerPixel = 1;
  grey.Photometric = PHOTOMETRIC_MINISBLACK;
  grey.Samples8 = {0, 100, 255};
  TDecodedPicture decoded = LoadPicture(WriteTiff(dir, "grey.tif", grey));
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "100,100,100");
  EXPECT_EQ(decoded.BitsPerPixel, 8);
  grey.Photometric = PHOTOMETRIC_MINISWHITE;
  decoded = LoadPicture(WriteTiff(dir, "white.tif", grey));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "255,255,255");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "155,155,155");

  TTiffLayout bilevel = grey;
  bilevel.Width = 10;
  bilevel.BitsPerSample = 1;
  bilevel.Samples8 = {0x80, 0x40};  // pixels 0 and 9 set
  decoded = LoadPicture(WriteTiff(dir, "bilevel-white.tif", bilevel));
  EXPECT_EQ(decoded.BitsPerChannel, 1);
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "0,0,0");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "255,255,255");
  EXPECT_EQ(PixelText(decoded.Bitmap, 9, 0), "0,0,0");
  bilevel.Photometric = PHOTOMETRIC_MINISBLACK;
  bilevel.Compression = COMPRESSION_PACKBITS;
  decoded = LoadPicture(WriteTiff(dir, "bilevel-black.tif", bilevel));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "255,255,255");
  EXPECT_EQ(PixelText(decoded.Bitmap, 8, 0), "0,0,0");
}

TEST(TiffCodec, ReadsRgbaPalettisedCmykAndSeparatePlanes) {
  test::TempDir dir;
  TTiffLayout rgba;
  rgba.SamplesPerPixel = 4;
  rgba.ExtraAlpha = true;
  rgba.Samples8 = {10, 20, 30, 0};  // fully transparent: the colour is kept as stored
  TDecodedPicture decoded = LoadPicture(WriteTiff(dir, "rgba.tif", rgba));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "30,20,10");
  EXPECT_EQ(decoded.BitsPerPixel, 32);

  TTiffLayout palette;
  palette.Width = 2;
  palette.SamplesPerPixel = 1;
  palette.Photometric = PHOTOMETRIC_PALETTE;
  palette.ColourMap.assign(3 * 256, 0);
  palette.ColourMap[1] = 65535;            // red of index 1
  palette.ColourMap[256 + 1] = 257 * 100;  // green of index 1
  palette.Samples8 = {0, 1};
  decoded = LoadPicture(WriteTiff(dir, "palette.tif", palette));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "0,0,0");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "0,100,255");

  TTiffLayout cmyk;
  cmyk.SamplesPerPixel = 4;
  cmyk.Photometric = PHOTOMETRIC_SEPARATED;
  cmyk.Samples8 = {255, 0, 0, 0};  // full cyan
  decoded = LoadPicture(WriteTiff(dir, "cmyk.tif", cmyk));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "255,255,0");

  TTiffLayout planes;
  planes.Width = 2;
  planes.Planar = PLANARCONFIG_SEPARATE;
  planes.Compression = COMPRESSION_LZW;
  planes.Samples8 = {1, 2, 3, 4, 5, 6};  // red plane, green plane, blue plane
  decoded = LoadPicture(WriteTiff(dir, "planes.tif", planes));
  EXPECT_EQ(PixelText(decoded.Bitmap, 0, 0), "5,3,1");
  EXPECT_EQ(PixelText(decoded.Bitmap, 1, 0), "6,4,2");
}

TEST(TiffCodec, RefusesUnsupportedContentWithTheExactMessages) {
  test::TempDir dir;
  TBitmap24 original = MakeGradient(16, 16);
  TTiffLayout jpeg = RgbSpec(original);
  jpeg.Compression = COMPRESSION_JPEG;
  jpeg.RowsPerStrip = 16;
  std::string path = WriteTiff(dir, "jpeg.tif", jpeg);
  EXPECT_EQ(PictureErrorOf([&] { LoadPicture(path); }),
            ExpectedMessage(path, "TIFF: Unsupported compression scheme"));

  TTiffLayout lab = RgbSpec(original);
  lab.Photometric = PHOTOMETRIC_CIELAB;
  path = WriteTiff(dir, "lab.tif", lab);
  EXPECT_EQ(PictureErrorOf([&] { LoadPicture(path); }),
            ExpectedMessage(path, "TIFF: Unsupported photometric interpretation"));

  TTiffLayout fourBitGrey;
  fourBitGrey.Width = 2;
  fourBitGrey.SamplesPerPixel = 1;
  fourBitGrey.BitsPerSample = 4;
  fourBitGrey.Photometric = PHOTOMETRIC_MINISBLACK;
  fourBitGrey.Samples8 = {0x12};
  path = WriteTiff(dir, "grey4.tif", fourBitGrey);
  EXPECT_EQ(PictureErrorOf([&] { LoadPicture(path); }),
            ExpectedMessage(path, "TIFF: Unsupported Bits Per Sample"));
}

std::string PutU16(std::uint16_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string PutU32(std::uint32_t v) {
  return PutU16(v & 0xFFFF) + PutU16(static_cast<std::uint16_t>(v >> 16));
}

// A minimal little-endian grey TIFF built byte by byte, for headers libtiff will not write.
std::string HandMadeTiff(std::uint32_t width, std::uint32_t height, std::uint16_t version = 42) {
  struct TEntry {
    std::uint16_t Tag, Type;
    std::uint32_t Value;
  };
  std::vector<TEntry> entries{{256, 4, width}, {257, 4, height}, {258, 3, 8},
                              {259, 3, 1},     {262, 3, 1},      {273, 4, 8},
                              {277, 3, 1},     {278, 4, height}, {279, 4, 16}};
  std::string data = "II" + PutU16(version) + PutU32(8 + 16);
  data += std::string(16, '\x7F');  // pixel data at offset 8
  data += PutU16(static_cast<std::uint16_t>(entries.size()));
  for (const TEntry& e : entries)
    data += PutU16(e.Tag) + PutU16(e.Type) + PutU32(1) + PutU32(e.Value);
  return data + PutU32(0);
}

TEST(TiffCodec, RefusesBadVersionsAndIllegalDimensions) {
  EXPECT_EQ(DecodePicture("ok.tif", HandMadeTiff(4, 4)).Bitmap.Width(), 4);
  std::string message = PictureErrorOf([] { DecodePicture("v.tif", HandMadeTiff(4, 4, 41)); });
  EXPECT_EQ(message, ExpectedMessage("v.tif", "TIFF: Unsupported version"));
  message = PictureErrorOf([] { DecodePicture("v.tif", std::string("XX*\0abcdefgh", 12)); });
  EXPECT_EQ(message, ExpectedMessage("v.tif", "TIFF: Unsupported version"));
  message = PictureErrorOf([] { DecodePicture("d.tif", HandMadeTiff(100000, 100000)); });
  EXPECT_EQ(message, ExpectedMessage("d.tif", "TIFF: Illegal image dimensions"));
  message = PictureErrorOf([] { DecodePicture("d.tif", HandMadeTiff(0, 4)); });
  EXPECT_EQ(message, ExpectedMessage("d.tif", "TIFF: Illegal image dimensions"));
  // Believable dimensions whose pixels the file does not hold.
  EXPECT_THROW(DecodePicture("s.tif", HandMadeTiff(4000, 4000)), EPictureError);
}

TEST(TiffCodec, CorruptLzwDataIsAnInvalidOpcode) {
  test::TempDir dir;
  TTiffLayout layout = RgbSpec(MakeGradient(64, 64));
  layout.Compression = COMPRESSION_LZW;
  layout.RowsPerStrip = 64;
  std::string path = WriteTiff(dir, "lzw.tif", layout);
  std::string data = test::ReadFile(path);
  // libtiff puts the only strip right after the 8-byte header.
  for (std::size_t i = 8; i < 400; ++i) data[i] = static_cast<char>(0xFF - i % 7);
  EXPECT_EQ(PictureErrorOf([&] { DecodePicture(path, data); }),
            ExpectedMessage(path, "TIF LZW: invalid opcode."));
}

TEST(TiffCodec, TruncatedAndGarbageFilesRaisePictureErrors) {
  test::TempDir dir;
  TTiffLayout layout = RgbSpec(MakeGradient(40, 40));
  layout.Compression = COMPRESSION_LZW;
  layout.RowsPerStrip = 4;
  std::string data = test::ReadFile(WriteTiff(dir, "t.tif", layout));
  std::string plainPath = dir.File("plain.tif");
  SaveTiff(plainPath, MakeGradient(40, 40));
  std::string plain = test::ReadFile(plainPath);
  for (const std::string* file : {&data, &plain})
    for (std::size_t size : {0ul, 4ul, 7ul, 8ul, 100ul, file->size() / 2, file->size() - 5})
      EXPECT_THROW(DecodePicture("t.tif", file->substr(0, size)), EPictureError) << size;
  EXPECT_THROW(DecodePicture("g.tif", std::string("II*\0", 4) + std::string(500, '\xEE')),
               EPictureError);
  EXPECT_THROW(DecodePicture("g.tif", std::string("MM\0*", 4) + std::string(500, '\x01')),
               EPictureError);
}

// ---- 16 bits per channel ----

// Red, green, blue of pixel (x, y) of a 16-bit picture as text.
std::string Pixel48Text(const TPicture48& picture, int x, int y) {
  const std::uint16_t* p = picture.Rgb.data() + 3 * (std::size_t(picture.Width) * y + x);
  return std::to_string(p[0]) + "," + std::to_string(p[1]) + "," + std::to_string(p[2]);
}

TEST(TiffCodec, SixteenBitLayoutsDecodeAtFullDepth) {
  struct Case {
    const char* Name;
    TTiffLayout Layout;
    std::vector<std::string> Pixels;  // red, green, blue of each pixel at 16 bits
    int BitsPerChannel;
  };
  auto layout = [](std::uint16_t samples, std::uint16_t photometric, std::uint16_t planar,
                   std::vector<std::uint16_t> values) {
    TTiffLayout l;
    l.Width = 2;
    l.BitsPerSample = 16;
    l.SamplesPerPixel = samples;
    l.Photometric = photometric;
    l.Planar = planar;
    l.Compression = COMPRESSION_LZW;
    l.Predictor = PREDICTOR_HORIZONTAL;
    l.Samples16 = std::move(values);
    return l;
  };
  TTiffLayout eightBit = RgbSpec(MakeGradient(2, 1));
  const std::vector<Case> cases = {
      {"rgb",
       layout(3, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG, {1, 2, 65535, 40000, 0, 513}),
       {"1,2,65535", "40000,0,513"},
       16},
      {"planes",
       layout(3, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE, {1, 2, 3, 4, 5, 6}),
       {"1,3,5", "2,4,6"},
       16},
      {"grey",
       layout(1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG, {7, 65000}),
       {"7,7,7", "65000,65000,65000"},
       16},
      {"white",
       layout(1, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG, {7, 65000}),
       {"65528,65528,65528", "535,535,535"},
       16},
      // An 8-bit picture is scaled up exactly: blue 0 and 255 across, red 0 then 255.
      {"eight bits", eightBit, {"0,0,0", "65535,0,65535"}, 8},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = WriteTiff(dir, std::string(c.Name) + ".tif", c.Layout);
    const std::string data = test::ReadFile(path);
    EXPECT_EQ(ReadPictureHeader(path, data).BitsPerChannel, c.BitsPerChannel);
    const TPicture48 picture = DecodePicture48(path, data);
    ASSERT_EQ(picture.Width, 2);
    ASSERT_EQ(picture.Height, 1);
    for (int x = 0; x < 2; ++x) EXPECT_EQ(Pixel48Text(picture, x, 0), c.Pixels[x]) << x;
  }
}

TEST(TiffCodec, SixteenBitRoundTripIsExactAndComesUprightAsEightBitsDo) {
  test::TempDir dir;
  TPicture48 original{5, 3, {}};
  for (int i = 0; i < 45; ++i) original.Rgb.push_back(static_cast<std::uint16_t>(i * 1489 + 3));
  const std::string path = dir.File("deep.tiff");
  SaveTiff48(path, original);
  const std::string data = test::ReadFile(path);
  EXPECT_EQ(ReadPictureHeader(path, data).BitsPerPixel, 48);
  const TPicture48 decoded = DecodePicture48(path, data);
  EXPECT_EQ(decoded.Rgb, original.Rgb);
  EXPECT_EQ(DecodePicture(path, data).BitsPerChannel, 16);

  TTiffLayout turned;
  turned.Width = 5;
  turned.Height = 3;
  turned.BitsPerSample = 16;
  turned.Samples16 = original.Rgb;
  turned.RowsPerStrip = 3;
  for (std::uint16_t orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(orientation);
    turned.Orientation = orientation;
    const std::string turnedPath = WriteTiff(dir, "turned.tif", turned);
    const TPicture48 deep = DecodePicture48(turnedPath, test::ReadFile(turnedPath));
    const TBitmap24 shallow = LoadPicture(turnedPath).Bitmap;
    ASSERT_EQ(deep.Width, shallow.Width());
    ASSERT_EQ(deep.Height, shallow.Height());
    for (int y = 0; y < deep.Height; ++y)
      for (int x = 0; x < deep.Width; ++x) {
        const std::uint16_t* p = deep.Rgb.data() + 3 * (std::size_t(deep.Width) * y + x);
        const std::string reduced = std::to_string((p[2] * 255 + 32767) / 65535) + "," +
                                    std::to_string((p[1] * 255 + 32767) / 65535) + "," +
                                    std::to_string((p[0] * 255 + 32767) / 65535);
        EXPECT_EQ(reduced, PixelText(shallow, x, y)) << x << " " << y;
      }
  }
}

TEST(TiffCodec, DamagedSixteenBitFilesRaiseAsTheEightBitDecoderDoes) {
  test::TempDir dir;
  TTiffLayout layout;
  layout.Width = 40;
  layout.Height = 40;
  layout.BitsPerSample = 16;
  layout.RowsPerStrip = 4;
  layout.Compression = COMPRESSION_LZW;
  layout.Samples16.assign(3 * 40 * 40, 0);
  for (std::size_t i = 0; i < layout.Samples16.size(); ++i)
    layout.Samples16[i] = static_cast<std::uint16_t>(i * 977);
  const std::string data = test::ReadFile(WriteTiff(dir, "t.tif", layout));
  for (std::size_t size : {0ul, 7ul, 100ul, data.size() / 2, data.size() - 5}) {
    SCOPED_TRACE(size);
    const std::string part = data.substr(0, size);
    const std::string eightBit = PictureErrorOf([&] { DecodePicture("t.tif", part); });
    EXPECT_EQ(PictureErrorOf([&] { DecodePicture48("t.tif", part); }), eightBit);
  }
  EXPECT_THROW(DecodePicture48("t.bmp", data), EPictureError);
}

}  // namespace
}  // namespace vorn
