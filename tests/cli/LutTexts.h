#pragma once
// Small LUT files of the cube family, written out as text for the command-line tests.

#include <string>

namespace vorn::test {

// A 2-node grid whose value lines (red index fastest) are given as one string.
inline std::string Cube2(const std::string& comments, const std::string& values) {
  return comments + "LUT_3D_SIZE 2\n" + values;
}

// The affine map (r, g, b) -> (0.1 + 0.8r, 0.2 + 0.5g + 0.1r, 0.9 - 0.7b), which
// trilinear resampling reproduces exactly at every grid size.
inline double AffineR(double r, double, double) {
  return 0.1 + 0.8 * r;
}
inline double AffineG(double r, double g, double) {
  return 0.2 + 0.5 * g + 0.1 * r;
}
inline double AffineB(double, double, double b) {
  return 0.9 - 0.7 * b;
}

// The affine map as a 2-node Cube 3D file with two comment lines.
inline std::string AffineCube() {
  std::string text = "# affine test grid\n# second comment\nLUT_3D_SIZE 2\n";
  for (int b = 0; b < 2; ++b) {
    for (int g = 0; g < 2; ++g) {
      for (int r = 0; r < 2; ++r) {
        text += std::to_string(AffineR(r, g, b)) + " " + std::to_string(AffineG(r, g, b)) + " " +
                std::to_string(AffineB(r, g, b)) + "\n";
      }
    }
  }
  return text;
}

// The identity on 2 nodes in the layouts of the four cube-family formats.
inline const char* kIdentityLines = "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";

inline std::string IdentityCube() {
  return Cube2("# identity\n", kIdentityLines);
}

inline std::string IdentityTruelight() {
  return std::string(
             "# Truelight Cube v2.0\n# iDims     3\n# oDims     3\n# width     2 2 2\n\n"
             "# Cube\n") +
         kIdentityLines + "# end\n";
}

inline std::string IdentityCfe() {
  return std::string("LUT_3D_AUTHOR test\nLUT_3D_MODEL CM240\nLUT_3D_VERSION 2.0.0\n") +
         "LUT_3D_SIZE 2\n\n" + kIdentityLines;
}

inline std::string IdentityVlt() {
  return "# twelve-bit identity\nLUT_3D_SIZE 2\n\n"
         "0 0 0\n4095 0 0\n0 4095 0\n4095 4095 0\n0 0 4095\n4095 0 4095\n0 4095 4095\n"
         "4095 4095 4095\n";
}

// The identity on 2 nodes as a 3dl file of 12-bit codes, blue index fastest. Its depth is
// not stated: the reader's estimate from 10 bits jumps to 14 at the first 4095.
inline std::string Identity3dl12() {
  return "0 1023\n0 0 0\n0 0 4095\n0 4095 0\n0 4095 4095\n4095 0 0\n4095 0 4095\n"
         "4095 4095 0\n4095 4095 4095\n";
}

// Stops after three of its eight value lines.
inline std::string TruncatedCube() {
  return "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n";
}

}  // namespace vorn::test
