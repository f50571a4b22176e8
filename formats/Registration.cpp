// Fills the registry: every format in detection order, then every output profile in the
// order of the conversion dialog's list. A profile names its format by the format's
// number, which is its position in the format list.

#include "formats/Registration.h"

#include <memory>
#include <mutex>

#include "core/LUTFormat.h"
#include "formats/ASCCDLFormat.h"
#include "formats/BinaryImageFormats.h"
#include "formats/CineSpaceFormat.h"
#include "formats/ClfFormat.h"
#include "formats/CodexLutherClipsterFormats.h"
#include "formats/CubeFormats.h"
#include "formats/ImageworksFormats.h"
#include "formats/ImageworksMatrixFormat.h"
#include "formats/LookFormats.h"
#include "formats/LustrePandoraQuantelFormats.h"
#include "formats/NucodaColorfrontDavinciFormats.h"
#include "formats/NukeVectorFieldFormat.h"
#include "formats/Text1DFormats.h"
#include "formats/ThreeDLFormat.h"

namespace vorn {

namespace {

// An FSI DIT file codes 1.0 as 1008 in 10 bits: its top code 1023 stands for 1023 / 1008.
constexpr double kFsiDitTopValue = 1023.0 / TFSI_DIT_3DLutFormat::FullScale;

void RegisterFormatsAndProfiles() {
  const int cubeTruelight = RegisterFormat(std::make_unique<TCube3DTruelightLutFormat>());
  const int cube3D = RegisterFormat(std::make_unique<TCube3DLutFormat>());
  const int lustre3D = RegisterFormat(std::make_unique<TLustre3DLutFormat>());
  const int pandora = RegisterFormat(std::make_unique<TPandora3DLutFormat>());
  const int threeDL = RegisterFormat(std::make_unique<T3dlLutFormat>());
  const int nucoda3D = RegisterFormat(std::make_unique<TNucoda3DLutFormat>());
  const int codex3D = RegisterFormat(std::make_unique<TCodex3DLutFormat>());
  const int cube1D = RegisterFormat(std::make_unique<TCube1DLutFormat>());
  const int clipster3D = RegisterFormat(std::make_unique<TClipster3DLutFormat>());
  const int luther3D = RegisterFormat(std::make_unique<TLuther3DLutFormat>());
  const int colorfront3D = RegisterFormat(std::make_unique<TColorFrontOSD3DLutFormat>());
  const int davinciDat3D = RegisterFormat(std::make_unique<TDavinciDat3DLutFormat>());
  const int quantel3D = RegisterFormat(std::make_unique<TQuantel3DLutFormat>());
  const int codex1D = RegisterFormat(std::make_unique<TCodex1DLutFormat>());
  const int lustre1D = RegisterFormat(std::make_unique<TLustre1DLutFormat>());
  const int filmlight1D = RegisterFormat(std::make_unique<TFilmlight1DLutFormat>());
  const int quantel1D = RegisterFormat(std::make_unique<TQuantel1DLutFormat>());
  const int stwo1D = RegisterFormat(std::make_unique<TStwo1DLutFormat>());
  const int nucoda1D = RegisterFormat(std::make_unique<TNucoda1DLutWriterFormat>());
  const int colorfront1D = RegisterFormat(std::make_unique<TColorFrontOSD1DLutFormat>());
  const int fusion1D = RegisterFormat(std::make_unique<TFusion1DLutFormat>());
  const int blackmagic1D = RegisterFormat(std::make_unique<TBlackmagic1DLutFormat>());
  const int cinetal1D = RegisterFormat(std::make_unique<TCinetal1DLutFormat>());
  const int shake1D = RegisterFormat(std::make_unique<TShake1DLutFormat>());
  RegisterFormat(std::make_unique<TDavinciILut1DLutFormat>());  // read only: no output profile
  RegisterFormat(std::make_unique<TDavinciOLut1DLutFormat>());  // read only: no output profile
  const int speedgradeLook = RegisterFormat(std::make_unique<TSpeedgradeLook3DLutFormat>());
  RegisterFormat(std::make_unique<TASC_CDL_Format>());  // read only: no output profile
  const int pfClean = RegisterFormat(std::make_unique<TPFClean3D_Format>());
  const int fsiCfe = RegisterFormat(std::make_unique<TFSI_CFE_3DLutFormat>());
  const int fsiDit = RegisterFormat(std::make_unique<TFSI_DIT_3DLutFormat>());
  RegisterFormat(std::make_unique<TMatchLight3DLutFormat>());  // read only: no output profile
  const int premiereLook = RegisterFormat(std::make_unique<TSpeedgradeLook3DLutV2Format>());
  const int panasonic = RegisterFormat(std::make_unique<TPanasonic3DLutFormat>());
  RegisterFormat(std::make_unique<THaldImage3DLutFormat>());  // read only: no output profile
  const int obs = RegisterFormat(std::make_unique<TOBS3DLutFormat>());
  const int haldClut = RegisterFormat(std::make_unique<THaldClut3DLutFormat>());
  RegisterFormat(std::make_unique<TImageworksMatrixFormat>());  // read only: no output profile
  const int spi1d = RegisterFormat(std::make_unique<TImageworks1DFormat>());
  const int spi3d = RegisterFormat(std::make_unique<TImageworks3DFormat>());
  const int cineSpace1D = RegisterFormat(std::make_unique<TCineSpaceFormat>(false));
  const int cineSpace3D = RegisterFormat(std::make_unique<TCineSpaceFormat>(true));
  RegisterFormat(std::make_unique<TNukeVectorFieldFormat>());  // read only: no output profile
  const int iridasItx = RegisterFormat(std::make_unique<TIridasItx3DLutFormat>());
  const int clf = RegisterFormat(std::make_unique<TClfLutFormat>());

  RegisterOutputProfile({.Name = "3DL Scratch, Autodesk, Blackmagic, Cine-tal",
                         .Extension = "3dl",
                         .FormatIndex = threeDL,
                         .DefaultSize = 17,
                         .DefaultBits = 12,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "3DL Fusion",
                         .Extension = "3dl",
                         .FormatIndex = threeDL,
                         .DefaultSize = 33,
                         .DefaultBits = 12,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Adobe Premiere Look",
                         .Extension = "look",
                         .FormatIndex = premiereLook,
                         .DefaultSize = 32,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Adobe SpeedGrade Look",
                         .Extension = "look",
                         .FormatIndex = speedgradeLook,
                         .DefaultSize = 8,
                         .DefaultBits = 0,
                         .SizeSelectable = true});
  RegisterOutputProfile({.Name = "Autodesk Lustre 3D",
                         .Extension = "lut",
                         .FormatIndex = lustre3D,
                         .DefaultSize = 33,
                         .DefaultBits = 12,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Clipster 3D",
                         .Extension = "txt",
                         .FormatIndex = clipster3D,
                         .DefaultSize = 17,
                         .DefaultBits = 16,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Codex 3D",
                         .Extension = "txt",
                         .FormatIndex = codex3D,
                         .DefaultSize = 17,
                         .DefaultBits = 12,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Colorfront OSD 3D",
                         .Extension = "3dmesh",
                         .FormatIndex = colorfront3D,
                         .DefaultSize = 17,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke",
                         .Extension = "cube",
                         .FormatIndex = cube3D,
                         .DefaultSize = 32,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Cube 3D Davinci",
                         .Extension = "cube",
                         .FormatIndex = cube3D,
                         .DefaultSize = 33,
                         .DefaultBits = 0,
                         .SizeSelectable = true});
  RegisterOutputProfile({.Name = "Cube 3D Truelight",
                         .Extension = "cube",
                         .FormatIndex = cubeTruelight,
                         .DefaultSize = 32,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Davinci DAT 3D",
                         .Extension = "dat",
                         .FormatIndex = davinciDat3D,
                         .DefaultSize = 33,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Dolby DD3",
                         .Extension = "dd3",
                         .FormatIndex = threeDL,
                         .DefaultSize = 17,
                         .DefaultBits = 12,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "FSI CFE (Flanders Scientific) 3D",
                         .Extension = "cfe",
                         .FormatIndex = fsiCfe,
                         .DefaultSize = 17,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "FSI DIT (Flanders Scientific) 3D",
                         .Extension = "dat",
                         .FormatIndex = fsiDit,
                         .DefaultSize = 64,
                         .DefaultBits = 10,
                         .ClampedTo = TClampRange{0.0, kFsiDitTopValue}});
  RegisterOutputProfile({.Name = "Nucoda 3D",
                         .Extension = "cms",
                         .FormatIndex = nucoda3D,
                         .DefaultSize = 33,
                         .DefaultBits = 0,
                         .SizeSelectable = true});
  RegisterOutputProfile({.Name = "Luther 3D",
                         .Extension = "txt",
                         .FormatIndex = luther3D,
                         .DefaultSize = 33,
                         .DefaultBits = 10,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Open Broadcaster Software 3D PNG",
                         .Extension = "png",
                         .FormatIndex = obs,
                         .DefaultSize = 64,
                         .DefaultBits = 8,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Pandora 3D, Apple 3D m3d",
                         .Extension = "m3d",
                         .FormatIndex = pandora,
                         .DefaultSize = 17,
                         .DefaultBits = 16,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Panasonic 3D vlt, Varicam",
                         .Extension = "vlt",
                         .FormatIndex = panasonic,
                         .DefaultSize = 17,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "PixelFarm PFClean 3D",
                         .Extension = "pfl",
                         .FormatIndex = pfClean,
                         .DefaultSize = 16,
                         .DefaultBits = 8,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Quantel 3D",
                         .Extension = "txt",
                         .FormatIndex = quantel3D,
                         .DefaultSize = 17,
                         .DefaultBits = 12,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Technicolor 3D mga",
                         .Extension = "mga",
                         .FormatIndex = pandora,
                         .DefaultSize = 33,
                         .DefaultBits = 16,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Autodesk Lustre 1D",
                         .Extension = "lut",
                         .FormatIndex = lustre1D,
                         .DefaultSize = 65536,
                         .DefaultBits = 16,
                         .SizeSelectable = true,
                         .BitsSelectable = true,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Blackmagic HDLink 1D",
                         .Extension = "txt",
                         .FormatIndex = blackmagic1D,
                         .DefaultSize = 1024,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Cine-tal 1D",
                         .Extension = "txt",
                         .FormatIndex = cinetal1D,
                         .DefaultSize = 1024,
                         .DefaultBits = 10,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Codex 1D, Sony SRW-1, Scratch 1D",
                         .Extension = "dat",
                         .FormatIndex = codex1D,
                         .DefaultSize = 1024,
                         .DefaultBits = 10});
  RegisterOutputProfile({.Name = "Colorfront OSD 1D",
                         .Extension = "1dlut",
                         .FormatIndex = colorfront1D,
                         .DefaultSize = 1024,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Cube 1D",
                         .Extension = "cube",
                         .FormatIndex = cube1D,
                         .DefaultSize = 4096,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Filmlight Truelight 1D",
                         .Extension = "cube",
                         .FormatIndex = filmlight1D,
                         .DefaultSize = 4096,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Fusion 1D",
                         .Extension = "alut",
                         .FormatIndex = fusion1D,
                         .DefaultSize = 65536,
                         .DefaultBits = 16,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Nucoda 1D",
                         .Extension = "cms",
                         .FormatIndex = nucoda1D,
                         .DefaultSize = 4096,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Quantel 1D",
                         .Extension = "txt",
                         .FormatIndex = quantel1D,
                         .DefaultSize = 1024,
                         .DefaultBits = 10,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "S.two 1D",
                         .Extension = "swto.xml",
                         .FormatIndex = stwo1D,
                         .DefaultSize = 1024,
                         .DefaultBits = 10,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "Shake 1D",
                         .Extension = "txt",
                         .FormatIndex = shake1D,
                         .DefaultSize = 65536,
                         .DefaultBits = 16,
                         .ClampedTo = TClampRange{}});
  // Profiles added since keep every number above: scripts name profiles by number.
  RegisterOutputProfile({.Name = "Hald CLUT",
                         .Extension = "png",
                         .FormatIndex = haldClut,
                         .DefaultSize = 64,
                         .DefaultBits = 8,
                         .SizeSelectable = true,
                         .BitsSelectable = true,
                         .ClampedTo = TClampRange{}});
  RegisterOutputProfile({.Name = "cineSpace 3D",
                         .Extension = "csp",
                         .FormatIndex = cineSpace3D,
                         .DefaultSize = 33,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Imageworks spi3d",
                         .Extension = "spi3d",
                         .FormatIndex = spi3d,
                         .DefaultSize = 33,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Iridas itx",
                         .Extension = "itx",
                         .FormatIndex = iridasItx,
                         .DefaultSize = 33,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "cineSpace 1D",
                         .Extension = "csp",
                         .FormatIndex = cineSpace1D,
                         .DefaultSize = 4096,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Imageworks spi1d",
                         .Extension = "spi1d",
                         .FormatIndex = spi1d,
                         .DefaultSize = 4096,
                         .DefaultBits = 0});
  RegisterOutputProfile({.Name = "Academy/ASC Common LUT Format",
                         .Extension = "clf",
                         .FormatIndex = clf,
                         .DefaultSize = 33,
                         .DefaultBits = 0,
                         .SizeSelectable = true});
}

}  // namespace

void RegisterBuiltInFormats() {
  static std::once_flag once;
  std::call_once(once, RegisterFormatsAndProfiles);
}

}  // namespace vorn
