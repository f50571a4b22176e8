// Fills the registry: every format in detection order, then every output profile in the
// order of the conversion dialog's list. A profile names its format by the format's
// number, which is its position in the format list.

#include "formats/Registration.h"

#include <memory>

#include "core/LUTFormat.h"
#include "formats/ASCCDLFormat.h"
#include "formats/BinaryImageFormats.h"
#include "formats/CubeFormats.h"
#include "formats/LustrePandoraQuantelFormats.h"
#include "formats/ThreeDLFormat.h"

namespace vorn {

void RegisterBuiltInFormats() {
  if (!LutFormats().empty()) return;
  const int cubeTruelight = RegisterFormat(std::make_unique<TCube3DTruelightLutFormat>());
  const int cube3D = RegisterFormat(std::make_unique<TCube3DLutFormat>());
  const int lustre3D = RegisterFormat(std::make_unique<TLustre3DLutFormat>());
  const int pandora = RegisterFormat(std::make_unique<TPandora3DLutFormat>());
  const int threeDL = RegisterFormat(std::make_unique<T3dlLutFormat>());
  const int quantel3D = RegisterFormat(std::make_unique<TQuantel3DLutFormat>());
  RegisterFormat(std::make_unique<TASC_CDL_Format>());  // read only: no output profile
  const int pfClean = RegisterFormat(std::make_unique<TPFClean3D_Format>());
  const int fsiCfe = RegisterFormat(std::make_unique<TFSI_CFE_3DLutFormat>());
  const int fsiDit = RegisterFormat(std::make_unique<TFSI_DIT_3DLutFormat>());
  RegisterFormat(std::make_unique<TMatchLight3DLutFormat>());  // read only: no output profile
  const int panasonic = RegisterFormat(std::make_unique<TPanasonic3DLutFormat>());
  RegisterFormat(std::make_unique<THaldImage3DLutFormat>());  // read only: no output profile
  const int obs = RegisterFormat(std::make_unique<TOBS3DLutFormat>());

  RegisterOutputProfile("3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl", threeDL, 17, 12,
                        false, false);
  RegisterOutputProfile("3DL Fusion", "3dl", threeDL, 33, 12, false, false);
  RegisterOutputProfile("Autodesk Lustre 3D", "lut", lustre3D, 33, 12, false, false);
  RegisterOutputProfile("Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "cube", cube3D, 32,
                        0, false, false);
  RegisterOutputProfile("Cube 3D Davinci", "cube", cube3D, 33, 0, true, false);
  RegisterOutputProfile("Cube 3D Truelight", "cube", cubeTruelight, 32, 0, false, false);
  RegisterOutputProfile("Dolby DD3", "dd3", threeDL, 17, 12, false, false);
  RegisterOutputProfile("FSI CFE (Flanders Scientific) 3D", "cfe", fsiCfe, 17, 0, false, false);
  RegisterOutputProfile("FSI DIT (Flanders Scientific) 3D", "dat", fsiDit, 64, 10, false, false);
  RegisterOutputProfile("Open Broadcaster Software 3D PNG", "png", obs, 64, 8, false, false);
  RegisterOutputProfile("Pandora 3D, Apple 3D m3d", "m3d", pandora, 17, 16, false, false);
  RegisterOutputProfile("Panasonic 3D vlt, Varicam", "vlt", panasonic, 17, 0, false, false);
  RegisterOutputProfile("PixelFarm PFClean 3D", "pfl", pfClean, 16, 8, false, false);
  RegisterOutputProfile("Quantel 3D", "txt", quantel3D, 17, 12, false, false);
  RegisterOutputProfile("Technicolor 3D mga", "mga", pandora, 33, 16, false, false);
}

}  // namespace vorn
