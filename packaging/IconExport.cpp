// Writes the program icon's files for the hicolor icon theme from the design the window
// draws (ui/Icons.cpp):
//   vorn-icon-export OUTPUT_DIR ICON_NAME
// gives OUTPUT_DIR/NxN/apps/ICON_NAME.png for the theme's sizes from 16 to 256 pixels and
// OUTPUT_DIR/scalable/apps/ICON_NAME.svg.

#include <QImage>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "ui/Icons.h"

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

std::filesystem::path AppsFolder(const std::filesystem::path& root, const std::string& size) {
  std::filesystem::path folder = root / size / "apps";
  std::filesystem::create_directories(folder);
  return folder;
}

void WriteIcons(const std::filesystem::path& root, const std::string& name) {
  for (int pixels : kSizes) {
    const std::string size = std::to_string(pixels) + "x" + std::to_string(pixels);
    const std::filesystem::path file = AppsFolder(root, size) / (name + ".png");
    if (!vorn::ui::ProgramIconImage(pixels).save(QString::fromStdString(file.string()), "PNG")) {
      throw std::runtime_error("cannot write " + file.string());
    }
  }
  const std::filesystem::path svg = AppsFolder(root, "scalable") / (name + ".svg");
  std::ofstream out(svg, std::ios::binary);
  out << vorn::ui::ProgramIconSvg();
  if (!out.flush()) throw std::runtime_error("cannot write " + svg.string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vorn-icon-export OUTPUT_DIR ICON_NAME\n");
    return 2;
  }
  try {
    WriteIcons(argv[1], argv[2]);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vorn-icon-export: %s\n", error.what());
    return 1;
  }
}
