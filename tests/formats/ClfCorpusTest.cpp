// The process lists of the shared corpus against OpenColorIO: every file OpenColorIO reads
// loads here with the values it evaluates, or is refused for a node this converter does not
// evaluate; every illegal file is refused with a message; what we write, OpenColorIO reads
// with our values; and what OpenColorIO writes, we read.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

constexpr const char* kClfName = "Academy/ASC Common LUT Format";
constexpr int kBakeSize = 33;

// What a valid file may be refused for: nodes and attributes that change colours in ways
// this converter does not evaluate, and index maps other than two whole indices.
const std::vector<std::string> kRefusalReasons = {"does not evaluate", "IndexMap"};

bool PeerBake(const std::vector<std::string>& lutArguments, const std::string& format, int size,
              const std::string& out) {
  // Without its optimiser, which folds a node and its inverse into nothing even where the
  // first clamps: each node is evaluated as the file writes it, as here.
  std::vector<std::string> argv = {"env", "OCIO_OPTIMIZATION_FLAGS=0", "ociobakelut"};
  argv.insert(argv.end(), lutArguments.begin(), lutArguments.end());
  argv.insert(argv.end(), {"--format", format, "--cubesize", std::to_string(size), out});
  return test::RunProgram(argv).Status == 0;
}

double Difference(double a, double b) {
  if (std::isnan(a) && std::isnan(b)) return 0.0;
  if (std::isinf(a) && a == b) return 0.0;
  return std::fabs(a - b);
}

// The largest difference between the two records at the nodes of a kBakeSize grid over
// [0, 1]; with onNodesOf above 1, only at inputs that are nodes of a grid of that size too
// (where a grid's interpolation plays no part).
double LargestDifference(const TLUT& ours, const TLUT& peer, int onNodesOf = 0) {
  const int top = kBakeSize - 1;
  auto isNode = [&](int i) { return onNodesOf < 2 || (i * (onNodesOf - 1)) % top == 0; };
  double largest = 0.0;
  for (int r = 0; r <= top; ++r) {
    for (int g = 0; g <= top; ++g) {
      for (int b = 0; b <= top; ++b) {
        if (!isNode(r) || !isNode(g) || !isNode(b)) continue;
        const TRGB in{r / double(top), g / double(top), b / double(top)};
        const TRGB x = ours.Evaluate(in);
        const TRGB y = peer.Evaluate(in);
        largest =
            std::max({largest, Difference(x.R, y.R), Difference(x.G, y.G), Difference(x.B, y.B)});
      }
    }
  }
  return largest;
}

bool IsSampled(const TLUT& lut) {
  return std::any_of(lut.Comments.begin(), lut.Comments.end(),
                     [](const std::string& c) { return c.starts_with("Sampled onto"); });
}

bool CommentHas(const TLUT& lut, const std::string& text) {
  return std::any_of(lut.Comments.begin(), lut.Comments.end(),
                     [&](const std::string& c) { return c.find(text) != std::string::npos; });
}

// OpenColorIO interpolates a LUT3D that names no interpolation tetrahedrally, where the
// format's default (and this reader) is trilinear: a grid read as it is is compared at its
// own nodes, where interpolation plays no part; a sampled list that holds such a node is
// not compared.
int ComparedOnNodesOf(const TLUT& lut) {
  return lut.HasGrid() && !IsSampled(lut) ? lut.Size3D : 0;
}
bool InterpolatesUnlikeThePeer(const TLUT& lut) {
  return IsSampled(lut) && CommentHas(lut, "LUT3D (") && !CommentHas(lut, "trilinear)") &&
         !CommentHas(lut, "tetrahedral)");
}

bool HasFiniteValues(const TLUT& lut) {
  return WholeValueRange(lut).Finite;
}

struct TWalk {
  std::ostringstream Faults;
  std::ostringstream Refused;
  int Loaded = 0;
  int IllegalRefused = 0;
};

// Our record, written as CLF, read by OpenColorIO: its bake must hold our values.
void CheckOurWrite(const TLUT& lut, const std::string& name, test::TempDir& dir, TWalk& walk) {
  if (!HasFiniteValues(lut)) return;  // no profile writes NaN or infinities
  const std::string written = dir.File("ours.clf");
  SaveLut(written, lut, test::ProfileNamed(kClfName), -1);
  const std::string bake = dir.File("ours.cube");
  auto baked = std::make_unique<TLUT>();
  if (!PeerBake({"--lut", written}, "resolve_cube", kBakeSize, bake)) {
    walk.Faults << name << ": OpenColorIO does not read our CLF\n";
    return;
  }
  LoadLut(bake, *baked);
  const double difference = LargestDifference(lut, *baked);
  if (!(difference <= 1e-5)) {
    walk.Faults << name << ": our CLF read by OpenColorIO differs by " << difference << "\n";
  }
}

void WalkLegalFile(const std::string& path, const std::string& name, test::TempDir& dir,
                   TWalk& walk) {
  const std::string bake = dir.File("peer.cube");
  const bool peerReads = PeerBake({"--lut", path}, "resolve_cube", kBakeSize, bake);
  auto lut = std::make_unique<TLUT>();
  try {
    LoadLut(path, *lut, IndexOfFormat(kClfName));
  } catch (const Exception& error) {
    const std::string message = error.what();
    const bool reasoned = std::any_of(kRefusalReasons.begin(), kRefusalReasons.end(), [&](auto& r) {
      return message.find(r) != std::string::npos;
    });
    (peerReads && !reasoned ? walk.Faults : walk.Refused) << name << ": " << message << "\n";
    return;
  }
  ++walk.Loaded;
  // OpenColorIO bakes NaN and infinities as words that no cube reader takes.
  if (!peerReads || !HasFiniteValues(*lut)) return;
  auto peer = std::make_unique<TLUT>();
  try {
    LoadLut(bake, *peer);
  } catch (const Exception& error) {
    walk.Faults << name << ": OpenColorIO's bake does not read: " << error.what() << "\n";
    return;
  }
  if (InterpolatesUnlikeThePeer(*lut) || !lut->GridDomain.IsDefault()) {
    walk.Refused << name << ": loaded; not compared, as OpenColorIO interpolates its LUT3D "
                 << "tetrahedrally\n";
    return;
  }
  // OpenColorIO evaluates in single precision: a power below 1 after a matrix (a gamma
  // round trip) lifts its rounding near 0 to some 1e-4.
  const double tolerance = IsSampled(*lut) ? 1e-3 : 1e-4;
  const double difference = LargestDifference(*lut, *peer, ComparedOnNodesOf(*lut));
  if (!(difference <= tolerance)) {
    walk.Faults << name << ": differs from OpenColorIO's bake by " << difference << "\n";
  }
  CheckOurWrite(*lut, name, dir, walk);
}

TEST(ClfCorpus, EveryProcessListLoadsAsOpenColorIOEvaluatesItOrIsRefusedWithAReason) {
  const std::string corpus = test::CorpusDir() + "/ocio-pipeline";
  if (test::CorpusDir().empty() || !DirectoryExists(corpus)) GTEST_SKIP() << "no corpus";
  if (!test::HasProgram("ociobakelut")) GTEST_SKIP() << "ociobakelut is not installed";
  test::TempDir dir;
  TWalk walk;
  int files = 0;
  for (const std::string& path : FilesInFolderTree(corpus)) {
    if (!HasExtension(path, ".clf") && !HasExtension(path, ".ctf")) continue;
    ++files;
    const std::string name = path.substr(corpus.size() + 1);
    if (name.find("illegal/") == std::string::npos) {
      WalkLegalFile(path, name, dir, walk);
      continue;
    }
    auto lut = std::make_unique<TLUT>();
    try {
      LoadLut(path, *lut, IndexOfFormat(kClfName));
      walk.Faults << name << ": an illegal file loads\n";
    } catch (const Exception& error) {
      if (std::string(error.what()).empty()) walk.Faults << name << ": refused without a message\n";
      ++walk.IllegalRefused;
    }
  }
  std::cout << "Loaded " << walk.Loaded << " of " << files << " process lists; "
            << walk.IllegalRefused << " illegal ones refused; refused for a reason:\n"
            << walk.Refused.str();
  EXPECT_GE(files, 180);
  EXPECT_GE(walk.IllegalRefused, 44);
  EXPECT_EQ(walk.Faults.str(), "");
}

// OpenColorIO's own CLF and CTF of a grid and of a table read here as its cube of the same
// transform does.
TEST(ClfCorpus, OpenColorIOsProcessListsReadAsItsCubes) {
  const std::string corpus = test::CorpusDir() + "/ocio-pipeline/clf";
  if (test::CorpusDir().empty() || !DirectoryExists(corpus)) GTEST_SKIP() << "no corpus";
  if (!test::HasProgram("ociobakelut")) GTEST_SKIP() << "ociobakelut is not installed";
  test::TempDir dir;
  for (const char* source : {"multiple_ops.clf", "lut1d_example.clf", "xyz_to_rgb.clf"}) {
    for (const char* format : {kClfName, "Color Transform Format"}) {
      SCOPED_TRACE(std::string(source) + " as " + format);
      const std::vector<std::string> lut = {"--lut", corpus + "/" + source};
      const std::string theirs = dir.File("theirs.clf");
      const std::string cube = dir.File("theirs.cube");
      ASSERT_TRUE(PeerBake(lut, format, kBakeSize, theirs));
      ASSERT_TRUE(PeerBake(lut, "resolve_cube", kBakeSize, cube));
      auto read = std::make_unique<TLUT>();
      auto reference = std::make_unique<TLUT>();
      LoadLut(theirs, *read);
      LoadLut(cube, *reference);
      EXPECT_EQ(read->FormatIndex, IndexOfFormat(kClfName));
      EXPECT_LE(LargestDifference(*read, *reference), 1e-5);
    }
  }
}

}  // namespace
}  // namespace vorn
