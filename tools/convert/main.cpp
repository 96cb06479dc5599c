// cubconvert: makes a CUB file from a NIfTI-1 volume (.nii, .nii.gz) or a
// raw one, choosing the solid voxels by threshold, range, labels or
// non-zero values.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "cub_writer.h"
#include "surface/ogl_cuberille.h"
#include "volume_source.h"
#include "voxel/nifti_reader.h"

namespace {

const char kUsage[] =
    "Usage: cubconvert INPUT.nii[.gz] -o OUT.cub [selection] [--keep-values]\n"
    "       cubconvert INPUT.raw --raw WxHxD --type u8|u16|i16|f32 [--endian little|big] -o "
    "OUT.cub ...\n"
    "Makes a CUB file for the Qarmel viewer from a NIfTI-1 or raw volume.\n"
    "\n"
    "Selection of the solid voxels (default --nonzero):\n"
    "  --threshold T     values of at least T\n"
    "  --range LO:HI     values from LO to HI\n"
    "  --label N[,N...]  values equal to one of the labels\n"
    "  --nonzero         values other than 0\n"
    "Output:\n"
    "  -o, --output OUT.cub  the file to write (through a temporary file)\n"
    "  --keep-values     write each solid voxel's value clamped to 1..255, not 1\n"
    "  --help, --version\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "cubconvert: %s\n", message.c_str());
  return 1;
}

bool Number(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(out);
}

struct Selection {
  enum Kind { kNonZero, kThreshold, kRange, kLabels } kind = kNonZero;
  double low = 0, high = 0;
  std::set<double> labels;
  bool keepValues = false;

  std::uint8_t operator()(double v) const {
    bool solid = false;
    switch (kind) {
      case kNonZero:
        solid = v != 0;
        break;
      case kThreshold:
        solid = v >= low;
        break;
      case kRange:
        solid = v >= low && v <= high;
        break;
      case kLabels:
        solid = labels.count(v) > 0;
        break;
    }
    if (!solid) return 0;
    // The viewer's own clamp, so that it shows a NIfTI file as this writes it.
    return keepValues ? KeptVoxelValue(v) : 1;
  }
};

struct Options {
  std::string input, output;
  bool raw = false;
  RawLayout layout;
  Selection selection;
};

bool ParseLayout(const char* text, RawLayout& layout) {
  unsigned long x = 0, y = 0, z = 0;
  char tail = 0;
  if (std::sscanf(text, "%lux%lux%lu%c", &x, &y, &z, &tail) != 3) return false;
  if (x == 0 || y == 0 || z == 0 || x > 0xFFFFFFFFul || y > 0xFFFFFFFFul || z > 0xFFFFFFFFul)
    return false;
  layout.dimX = static_cast<std::uint32_t>(x), layout.dimY = static_cast<std::uint32_t>(y);
  layout.dimZ = static_cast<std::uint32_t>(z);
  return true;
}

// Empty on success, else the error text.
std::string Parse(int argc, char** argv, Options& o, bool& done) {
  done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    auto need = [&]() { return next ? (++i, true) : false; };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      done = true;
      return {};
    } else if (a == "--version") {
      std::printf("cubconvert %s\n", QARMEL_VERSION);
      done = true;
      return {};
    } else if (a == "-o" || a == "--output") {
      if (!need()) return a + " needs a file";
      o.output = next;
    } else if (a == "--raw") {
      if (!need() || !ParseLayout(next, o.layout)) return "--raw wants WxHxD";
      o.raw = true;
    } else if (a == "--type") {
      if (!need()) return "--type needs u8, u16, i16 or f32";
      const std::string t = next;
      if (t == "u8")
        o.layout.type = RawType::kU8;
      else if (t == "u16")
        o.layout.type = RawType::kU16;
      else if (t == "i16")
        o.layout.type = RawType::kI16;
      else if (t == "f32")
        o.layout.type = RawType::kF32;
      else
        return "unknown --type " + t;
    } else if (a == "--endian") {
      if (!need() || (std::strcmp(next, "little") != 0 && std::strcmp(next, "big") != 0))
        return "--endian wants little or big";
      o.layout.bigEndian = std::strcmp(next, "big") == 0;
    } else if (a == "--threshold") {
      if (!need() || !Number(next, o.selection.low)) return "--threshold needs a number";
      o.selection.kind = Selection::kThreshold;
    } else if (a == "--range") {
      if (!need()) return "--range needs LO:HI";
      const std::string r = next;
      const std::size_t colon = r.find(':');
      if (colon == std::string::npos || !Number(r.substr(0, colon).c_str(), o.selection.low) ||
          !Number(r.substr(colon + 1).c_str(), o.selection.high)) {
        return "--range needs LO:HI";
      }
      o.selection.kind = Selection::kRange;
    } else if (a == "--label") {
      if (!need()) return "--label needs N[,N...]";
      std::string list = next;
      std::size_t start = 0;
      while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        double label = 0;
        if (!Number(list.substr(start, comma - start).c_str(), label))
          return "--label needs N[,N...]";
        o.selection.labels.insert(label);
        start = comma + 1;
      }
      o.selection.kind = Selection::kLabels;
    } else if (a == "--nonzero") {
      o.selection.kind = Selection::kNonZero;
    } else if (a == "--keep-values") {
      o.selection.keepValues = true;
    } else if (!a.empty() && a[0] == '-') {
      return "unknown option " + a + " (see --help)";
    } else if (o.input.empty()) {
      o.input = a;
    } else {
      return "more than one input: " + a;
    }
  }
  if (o.input.empty()) return "no input file (see --help)";
  if (o.output.empty()) return "no output file: give -o OUT.cub";
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  bool done = false;
  if (std::string e = Parse(argc, argv, o, done); !e.empty()) return Fail(e);
  if (done) return 0;

  // A progress line for inputs over 64 MiB.
  const bool large =
      static_cast<std::uint64_t>(o.layout.dimX) * o.layout.dimY * o.layout.dimZ > (64u << 20);
  int shown = -1;
  auto progress = [&](double fraction) {
    const int percent = static_cast<int>(fraction * 100);
    if (!large || percent == shown) return;
    shown = percent;
    std::fprintf(stderr, "\rcubconvert: reading %3d%%%s", percent, percent == 100 ? "\n" : "");
  };
  CubVolume volume;
  const std::string error = o.raw ? ReadRaw(o.input, o.layout, o.selection, volume, progress)
                                  : ReadNifti(o.input, o.selection, volume);
  if (!error.empty()) return Fail(error);
  if (std::string e = WriteCubFile(o.output, volume); !e.empty()) return Fail(e);

  std::uint64_t solid = 0;
  for (std::uint8_t v : volume.voxels) solid += v != 0;
  // The viewer's own census of exposed faces (of the volume as stored).
  VOXSPACE view{volume.dimX,
                volume.dimY,
                volume.dimZ,
                8,
                0,
                static_cast<std::uint32_t>(volume.voxels.size()),
                volume.voxels.data()};
  OGLcuberille surface;
  surface.voxSpace = &view;
  const std::uint32_t faces = surface.CountFaces();
  const QuadList* q = surface.quadLists;
  std::printf(
      "%s: %u x %u x %u, %llu solid voxels, %u exposed faces (left %u, right %u, down %u, up %u, "
      "back %u, front %u)\n",
      o.output.c_str(), volume.dimX, volume.dimY, volume.dimZ,
      static_cast<unsigned long long>(solid), faces, q[LEFT].quadCount, q[RIGHT].quadCount,
      q[DOWN].quadCount, q[UP].quadCount, q[BACK].quadCount, q[FRONT].quadCount);
  surface.voxSpace = nullptr;
  return 0;
}
