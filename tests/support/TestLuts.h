#pragma once
// LUTs for the tests: a smooth grade far from the identity that lifts the blacks and mixes
// the channels, as a grid, a 1D table or a shaper before a grid, and Cube text that holds
// them; a 2-node grid for the writers' line-by-line checks.

#include <functional>
#include <memory>
#include <string>

#include "core/LUT.h"

namespace vorn::test {

// Lift, per-channel gamma and saturation: black goes to a dark grey, channels mix.
TRGB LiftedGrade(const TRGB& in);
// The curves of the 1D test LUT (and of the shaper): lift and gamma per channel.
TRGB CurveGrade(const TRGB& in);

// kind lk3D: a grid of LiftedGrade; lk1D: a table of CurveGrade; lk1DAnd3D: a shaper that
// brightens (x^0.7) before a grid of LiftedGrade.
std::unique_ptr<TLUT> MakeGradeLut(TLutKind kind, int gridSize = 17, int tableSize = 1024);

// A grid of n nodes per axis holding f of each node's position in [0, 1].
std::unique_ptr<TLUT> SampledGrid(int n, const std::function<TRGB(double, double, double)>& f);

// A smooth grade of n nodes per axis whose nodes all differ, so that a wrong node order or
// channel order shows.
std::unique_ptr<TLUT> NodeGradeGrid(int n);

// A 2-node grid whose nodes all differ, one of them with values outside [0, 1]; no comments.
std::unique_ptr<TLUT> SmallGrid();

// Cube text of a 3D or a 1D-and-3D LUT (LUT_1D_SIZE before LUT_3D_SIZE), nine decimals.
std::string CubeTextOf(const TLUT& lut);

}  // namespace vorn::test
