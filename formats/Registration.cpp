// Fills the registry: every format in detection order, then every output profile in the
// order of the conversion dialog's list. A profile names its format by the format's
// number, which is its position in the format list.

#include "formats/Registration.h"

#include <memory>

#include "core/LUTFormat.h"
#include "formats/ASCCDLFormat.h"
#include "formats/BinaryImageFormats.h"
#include "formats/CodexLutherClipsterFormats.h"
#include "formats/CubeFormats.h"
#include "formats/LookFormats.h"
#include "formats/LustrePandoraQuantelFormats.h"
#include "formats/NucodaColorfrontDavinciFormats.h"
#include "formats/Text1DFormats.h"
#include "formats/ThreeDLFormat.h"

namespace vorn {

void RegisterBuiltInFormats() {
  if (!LutFormats().empty()) return;
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

  RegisterOutputProfile("3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl", threeDL, 17, 12,
                        false, false);
  RegisterOutputProfile("3DL Fusion", "3dl", threeDL, 33, 12, false, false);
  RegisterOutputProfile("Adobe Premiere Look", "look", premiereLook, 32, 0, false, false);
  RegisterOutputProfile("Adobe SpeedGrade Look", "look", speedgradeLook, 8, 0, true, false);
  RegisterOutputProfile("Autodesk Lustre 3D", "lut", lustre3D, 33, 12, false, false);
  RegisterOutputProfile("Clipster 3D", "txt", clipster3D, 17, 16, false, false);
  RegisterOutputProfile("Codex 3D", "txt", codex3D, 17, 12, false, false);
  RegisterOutputProfile("Colorfront OSD 3D", "3dmesh", colorfront3D, 17, 0, false, false);
  RegisterOutputProfile("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "cube", cube3D, 32,
                        0, false, false);
  RegisterOutputProfile("Cube 3D Davinci", "cube", cube3D, 33, 0, true, false);
  RegisterOutputProfile("Cube 3D Truelight", "cube", cubeTruelight, 32, 0, false, false);
  RegisterOutputProfile("Davinci DAT 3D", "dat", davinciDat3D, 33, 0, false, false);
  RegisterOutputProfile("Dolby DD3", "dd3", threeDL, 17, 12, false, false);
  RegisterOutputProfile("FSI CFE (Flanders Scientific) 3D", "cfe", fsiCfe, 17, 0, false, false);
  RegisterOutputProfile("FSI DIT (Flanders Scientific) 3D", "dat", fsiDit, 64, 10, false, false);
  RegisterOutputProfile("Nucoda 3D", "cms", nucoda3D, 33, 0, true, false);
  RegisterOutputProfile("Luther 3D", "txt", luther3D, 33, 10, false, false);
  RegisterOutputProfile("Open Broadcaster Software 3D PNG", "png", obs, 64, 8, false, false);
  RegisterOutputProfile("Pandora 3D, Apple 3D m3d", "m3d", pandora, 17, 16, false, false);
  RegisterOutputProfile("Panasonic 3D vlt, Varicam", "vlt", panasonic, 17, 0, false, false);
  RegisterOutputProfile("PixelFarm PFClean 3D", "pfl", pfClean, 16, 8, false, false);
  RegisterOutputProfile("Quantel 3D", "txt", quantel3D, 17, 12, false, false);
  RegisterOutputProfile("Technicolor 3D mga", "mga", pandora, 33, 16, false, false);
  RegisterOutputProfile("Autodesk Lustre 1D", "lut", lustre1D, 65536, 16, true, true);
  RegisterOutputProfile("Blackmagic HDLink 1D", "txt", blackmagic1D, 1024, 0, false, false);
  RegisterOutputProfile("Cine-tal 1D", "txt", cinetal1D, 1024, 10, false, false);
  RegisterOutputProfile("Codex 1D, Sony SRW-1, Scratch 1D", "dat", codex1D, 1024, 10, false, false);
  RegisterOutputProfile("Colorfront OSD 1D", "1dlut", colorfront1D, 1024, 0, false, false);
  RegisterOutputProfile("Cube 1D", "cube", cube1D, 4096, 0, false, false);
  RegisterOutputProfile("Filmlight Truelight 1D", "cube", filmlight1D, 4096, 0, false, false);
  RegisterOutputProfile("Fusion 1D", "alut", fusion1D, 65536, 16, false, false);
  RegisterOutputProfile("Nucoda 1D", "cms", nucoda1D, 4096, 0, false, false);
  RegisterOutputProfile("Quantel 1D", "txt", quantel1D, 1024, 10, false, false);
  RegisterOutputProfile("S.two 1D", "swto.xml", stwo1D, 1024, 10, false, false);
  RegisterOutputProfile("Shake 1D", "txt", shake1D, 65536, 16, false, false);
}

}  // namespace vorn
