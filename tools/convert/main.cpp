// cubconvert: makes a CUB file from a scan (NIfTI-1, NRRD, MetaImage) or a
// raw volume, choosing the solid voxels by threshold, range, labels or
// non-zero values. A scan is turned as the viewer turns it and, when its
// voxels are not cubes, resampled to cubes, so the CUB file shows what the
// scan shows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "platform/common/terminal_progress.h"
#include "resample.h"
#include "surface/ogl_cuberille.h"
#include "volume_source.h"
#include "voxel/load_progress.h"
#include "voxel/scan_samples.h"
#include "voxel/value_histogram.h"

namespace {

const char kUsage[] =
    "Usage: cubconvert SCAN -o OUT.cub [selection] [--keep-values] [--keep-grid]\n"
    "       cubconvert INPUT.raw --raw WxHxD --type u8|u16|i16|f32 [--endian little|big] -o "
    "OUT.cub ...\n"
    "Makes a CUB file for the Qarmel viewer from a scan or a raw volume.\n"
    "A scan is NIfTI-1 (.nii, .nii.gz), NRRD (.nrrd, .nhdr with its data file) or\n"
    "MetaImage (.mha, .mhd with its data file), known by its content, not its name.\n"
    "It is turned as the viewer turns it, so the CUB file shows the same picture.\n"
    "A CUB file has no voxel size: a scan whose voxels are not cubes is resampled\n"
    "to cubes of its smallest voxel edge (nearest neighbour, so labels stay labels;\n"
    "the outer layer of voxels stays one voxel thick).\n"
    "The input must be a regular file; a compressed scan whose header claims more\n"
    "data than its length can inflate to is refused before it is read.\n"
    "NIfTI-2 is not supported.\n"
    "\n"
    "Selection of the solid voxels (default --nonzero):\n"
    "  --threshold T     values of at least T; auto: the threshold Otsu's method\n"
    "                    picks from the values other than 0\n"
    "  --range LO:HI     values from LO to HI (LO no more than HI)\n"
    "  --label N[,N...]  values equal to one of the labels\n"
    "  --nonzero         values other than 0\n"
    "Output:\n"
    "  -o, --output OUT.cub  the file to write: a new or regular file through a\n"
    "                    temporary file renamed into place; a FIFO (that a program\n"
    "                    reads) or a character device such as /dev/null directly;\n"
    "                    - for standard output (the summary then goes to standard\n"
    "                    error); anything else is refused\n"
    "  --keep-values     write each solid voxel's value clamped to 1..255, not 1\n"
    "  --allow-empty     write a volume with no solid voxel (else an error)\n"
    "  --keep-grid       keep a scan's voxel grid, not resampled (the viewer will\n"
    "                    draw its voxels as cubes)\n"
    "  --                the next argument is the input, even if it starts with -\n"
    "  --help, --version\n"
    "\n"
    "Before converting it prints the range of the values, Otsu's threshold and a\n"
    "histogram of the values other than 0.\n"
    "Errors go to standard error with exit code 1; no file is left half-written.\n";

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
  bool keepGrid = false;
  bool autoThreshold = false;  // --threshold auto: Otsu's threshold of the values
  bool allowEmpty = false;
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
  bool inputNext = false;  // after "--"
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    auto need = [&]() { return next ? (++i, true) : false; };
    if (inputNext) {
      inputNext = false;
      if (!o.input.empty()) return "more than one input: " + a;
      o.input = a;
    } else if (a == "--") {
      inputNext = true;
    } else if (a == "--help" || a == "-h") {
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
      if (!need()) return "--threshold needs a number or auto";
      o.autoThreshold = std::strcmp(next, "auto") == 0;
      if (!o.autoThreshold && !Number(next, o.selection.low))
        return "--threshold needs a number or auto";
      o.selection.kind = Selection::kThreshold;
    } else if (a == "--range") {
      if (!need()) return "--range needs LO:HI";
      const std::string r = next;
      const std::size_t colon = r.find(':');
      if (colon == std::string::npos || !Number(r.substr(0, colon).c_str(), o.selection.low) ||
          !Number(r.substr(colon + 1).c_str(), o.selection.high)) {
        return "--range needs LO:HI";
      }
      // An empty range would write an empty volume without a word.
      if (o.selection.low > o.selection.high) return "--range " + r + ": LO is above HI";
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
    } else if (a == "--keep-grid") {
      o.keepGrid = true;
    } else if (a == "--allow-empty") {
      o.allowEmpty = true;
    } else if (!a.empty() && a[0] == '-') {
      return "unknown option " + a + " (see --help)";
    } else if (o.input.empty()) {
      o.input = a;
    } else {
      return "more than one input: " + a;
    }
  }
  if (inputNext) return "-- needs the input file after it";
  if (o.input.empty()) return "no input file (see --help)";
  if (o.output.empty()) return "no output file: give -o OUT.cub";
  return {};
}

// The temporary file a signal must not leave behind: a fixed buffer, since
// the handler may only call async-signal-safe functions.
char pendingTemporary[PATH_MAX + 32] = {};

void RemovePendingAndDie(int signal) {
  if (pendingTemporary[0] != '\0') unlink(pendingTemporary);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

bool WriteAll(int fd, const void* data, std::uint64_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n =
        write(fd, bytes, static_cast<std::size_t>(std::min<std::uint64_t>(size, 1u << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::uint64_t>(n);
  }
  return true;
}

// "CUB1", the HEA1 chunk (8 bits per voxel) and the DAT1 tag and size, as
// the README lays the format out; the voxels and "ENDF" follow.
std::vector<unsigned char> CubHead(const VoxelVolume& volume) {
  std::vector<unsigned char> head;
  auto tag = [&head](const char* t) { head.insert(head.end(), t, t + 4); };
  auto word = [&head](std::uint64_t w) {
    for (int shift = 0; shift < 32; shift += 8)
      head.push_back(static_cast<unsigned char>(w >> shift));
  };
  tag("CUB1");
  tag("HEA1");
  word(24);
  for (std::uint32_t w : {volume.dimX, volume.dimY, volume.dimZ, 8u, 0u, 0u}) word(w);
  tag("DAT1");
  word(volume.Count());
  return head;
}

// Where the CUB file goes. A new path or a regular file is written through
// a temporary file renamed into place, so a failed or interrupted run
// leaves nothing half-written; renaming over a FIFO or a device would
// replace the node with a regular file, so those are written directly,
// and anything else is refused.
class Output {
 public:
  Output() = default;
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  ~Output() {
    if (fd_ >= 0 && kind_ != Kind::kStandardOutput) close(fd_);
    if (!temporary_.empty()) Discard();
  }

  // Looks at the target before the input is read, so a wrong -o costs no
  // reading. Empty on success, else why not.
  std::string Prepare(const std::string& target) {
    target_ = target;
    if (target == "-") {
      kind_ = Kind::kStandardOutput;
      if (isatty(STDOUT_FILENO))
        return "will not write a CUB file to a terminal (redirect standard output)";
      fd_ = STDOUT_FILENO;
      return {};
    }
    struct stat status {};
    if (stat(target.c_str(), &status) != 0) {
      if (errno != ENOENT) return "cannot write " + target + ": " + std::strerror(errno);
      return MakeTemporary(target, 0666 & ~CurrentUmask());
    }
    if (S_ISREG(status.st_mode)) {
      // Through a symbolic link: the file it names is replaced, not the link.
      char* real = realpath(target.c_str(), nullptr);
      const std::string final = real ? real : target;
      std::free(real);
      return MakeTemporary(final, status.st_mode & 07777);
    }
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode)) {
      kind_ = Kind::kDirect;
      return {};
    }
    if (S_ISDIR(status.st_mode)) return "cannot write " + target + ": " + std::strerror(EISDIR);
    return "cannot write " + target + ": not a regular file, FIFO or character device";
  }

  // Writes the whole file and puts it in place; empty on success.
  std::string Write(const VoxelVolume& volume) {
    if (kind_ == Kind::kDirect && !OpenDirect()) return Failure();
    const std::vector<unsigned char> head = CubHead(volume);
    if (!WriteAll(fd_, head.data(), head.size()) ||
        !WriteAll(fd_, volume.voxels.get(), volume.Count()) || !WriteAll(fd_, "ENDF", 4))
      return Failure();
    if (kind_ == Kind::kStandardOutput) return {};
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) return Failure();
    if (kind_ == Kind::kRenamed) {
      if (std::rename(temporary_.c_str(), final_.c_str()) != 0) return Failure();
      pendingTemporary[0] = '\0';
      temporary_.clear();
    }
    return {};
  }

  bool IsStandardOutput() const { return kind_ == Kind::kStandardOutput; }

 private:
  enum class Kind { kStandardOutput, kDirect, kRenamed };

  static mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
  }

  // A fresh name beside the target (never an existing file, which might be
  // a FIFO or a link), with the mode the target has or would get.
  std::string MakeTemporary(const std::string& final, mode_t mode) {
    kind_ = Kind::kRenamed;
    final_ = final;
    std::string name = final + ".tmp.XXXXXX";
    fd_ = mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) return "cannot write " + target_ + ": " + std::strerror(errno);
    temporary_ = name;
    if (temporary_.size() < sizeof pendingTemporary) {
      std::memcpy(pendingTemporary, temporary_.c_str(), temporary_.size() + 1);
      // A signal the caller ignores (a background job's SIGINT) stays ignored.
      for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (std::signal(signal, RemovePendingAndDie) == SIG_IGN) std::signal(signal, SIG_IGN);
      }
    }
    if (fchmod(fd_, mode) != 0) return "cannot write " + target_ + ": " + std::strerror(errno);
    return {};
  }

  // A FIFO nobody reads would block the open: it is refused instead.
  bool OpenDirect() {
    fd_ = open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return false;
    const int flags = fcntl(fd_, F_GETFL);
    return flags >= 0 && fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) == 0;
  }

  std::string Failure() {
    const int error = errno;
    std::string reason = std::strerror(error);
    if (error == ENXIO && kind_ == Kind::kDirect) reason += " (no program reads the FIFO)";
    if (!temporary_.empty()) Discard();
    const std::string name = kind_ == Kind::kStandardOutput ? "standard output" : target_;
    return "cannot write " + name + ": " + reason;
  }

  void Discard() {
    unlink(temporary_.c_str());
    pendingTemporary[0] = '\0';
    temporary_.clear();
  }

  Kind kind_ = Kind::kRenamed;
  std::string target_;     // as given
  std::string final_;      // where the temporary file goes
  std::string temporary_;  // while it exists
  int fd_ = -1;
};

// "1 x 1 x 3"
std::string Extents(std::uint64_t x, std::uint64_t y, std::uint64_t z) {
  std::string text = std::to_string(x);
  text.append(" x ").append(std::to_string(y)).append(" x ").append(std::to_string(z));
  return text;
}

std::string Millimetres(double edge) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", edge);
  return text;
}

// A scan whose voxels are not cubes becomes cubes of its smallest edge, as
// the viewer draws it (or keeps its grid with --keep-grid). Empty on
// success, with what was done in `note`; else why not.
std::string FitToCubes(const Options& o, const VolumeFacts& facts, VoxelVolume& volume,
                       std::string& note) {
  const CubeGrid grid = PlanCubes(volume, facts.spacing);
  if (!grid.resample) return {};
  std::string edges = Millimetres(facts.spacing[0]);
  edges.append(" x ").append(Millimetres(facts.spacing[1]));
  edges.append(" x ").append(Millimetres(facts.spacing[2]));
  if (o.keepGrid) {
    note = "kept the grid of ";
    note.append(edges).append(
        " mm voxels (a CUB file has no voxel size: the viewer will draw them as cubes)");
    return {};
  }
  VoxelVolume cubes;
  if (std::string e = ResampleToCubes(volume, grid, cubes, o.input); !e.empty()) return e;
  note = "resampled ";
  note.append(Extents(volume.dimX, volume.dimY, volume.dimZ))
      .append(" voxels of ")
      .append(edges)
      .append(" mm to ")
      .append(Extents(cubes.dimX, cubes.dimY, cubes.dimZ))
      .append(" voxels of ")
      .append(Millimetres(grid.edge))
      .append(" mm");
  volume = std::move(cubes);
  return {};
}

// The values' range, Otsu's threshold and the text histogram.
void PrintValues(std::FILE* out, const ValueRange& range, const ValueHistogram& fine,
                 const ValueHistogram& shown) {
  if (!range.Any()) return;
  std::fprintf(out, "values: %g to %g", range.lowest, range.highest);
  if (range.nonZero == 0) {
    std::fprintf(out, ", none other than 0\n");
    return;
  }
  std::fprintf(out, "; %llu other than 0, from %g to %g\nOtsu threshold: %g\n",
               static_cast<unsigned long long>(range.nonZero), range.lowestNonZero,
               range.highestNonZero, fine.OtsuThreshold());
  std::fputs(shown.Text(40).c_str(), out);
}

int Convert(const Options& o) {
  Output output;
  if (std::string e = output.Prepare(o.output); !e.empty()) return Fail(e);

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
  VoxelVolume volume;
  VolumeFacts facts;
  // A scan's reading shows a bar on a terminal when it takes over a second.
  platform::TerminalProgress bar("cubconvert: reading");
  SetLoadProgressListener([&bar](double share) { bar.Update(share); });
  auto read = [&](const VoxelRule& rule) {
    return o.raw ? ReadRaw(o.input, o.layout, rule, volume, progress)
                 : ReadScan(o.input, rule, volume, facts);
  };
  // The values first: their range, then their histogram, read again (the
  // selection waits for it with --threshold auto). The readers tell each
  // value; a rule sees only the distinct ones.
  const auto nothing = [](double) { return std::uint8_t{0}; };
  ValueRange range;
  SetScanValueListener([&range](double v) { range.Note(v); });
  std::string error = read(nothing);
  volume = {};
  ValueHistogram fine(range.lowestNonZero, range.highestNonZero, 256);
  ValueHistogram tenBins(range.lowestNonZero, range.highestNonZero, 10);
  SetScanValueListener([&](double v) {
    if (v != 0 && !std::isnan(v)) fine.Add(v), tenBins.Add(v);
  });
  Selection selection = o.selection;
  if (error.empty() && o.autoThreshold) {
    error = read(nothing);
    volume = {};
    selection.low = fine.OtsuThreshold();
    SetScanValueListener(nullptr);  // counted once
  }
  if (error.empty()) error = read(selection);
  SetScanValueListener(nullptr);
  SetLoadProgressListener(nullptr);
  if (!error.empty()) return Fail(error);
  // Standard output may be the CUB file itself.
  std::FILE* summary = output.IsStandardOutput() ? stderr : stdout;
  PrintValues(summary, range, fine, tenBins);
  if (o.autoThreshold) std::fprintf(summary, "threshold auto: %g\n", selection.low);
  std::string note;  // what became of a scan's voxel size
  if (!o.raw) {
    if (std::string e = FitToCubes(o, facts, volume, note); !e.empty()) return Fail(e);
  }
  const std::uint64_t voxelCount = volume.Count();
  const std::uint8_t* voxels = volume.voxels.get();
  const std::uint64_t solid = voxelCount - static_cast<std::uint64_t>(std::count(
                                               voxels, voxels + voxelCount, std::uint8_t{0}));
  // A threshold beyond the values must not pass for a conversion.
  if (solid == 0 && !o.allowEmpty) {
    char message[128];
    std::snprintf(message, sizeof message, "no voxel selected: values range from %g to %g",
                  range.Any() ? range.lowest : 0.0, range.Any() ? range.highest : 0.0);
    return Fail(message);
  }
  if (std::string e = output.Write(volume); !e.empty()) return Fail(e);

  // The viewer's own census of exposed faces (of the volume as stored).
  VOXSPACE view{volume.dimX, volume.dimY, volume.dimZ, 8, 0, voxelCount, volume.voxels.get()};
  OGLcuberille surface;
  surface.voxSpace = &view;
  const std::uint32_t faces = surface.CountFaces();
  const QuadList* q = surface.quadLists;
  if (!note.empty()) std::fprintf(summary, "%s\n", note.c_str());
  std::fprintf(summary,
               "%s: %u x %u x %u, %llu solid voxels, %u exposed faces (left %u, right %u, down "
               "%u, up %u, back %u, front %u)\n",
               output.IsStandardOutput() ? "standard output" : o.output.c_str(), volume.dimX,
               volume.dimY, volume.dimZ, static_cast<unsigned long long>(solid), faces,
               q[LEFT].quadCount, q[RIGHT].quadCount, q[DOWN].quadCount, q[UP].quadCount,
               q[BACK].quadCount, q[FRONT].quadCount);
  surface.voxSpace = nullptr;
  return 0;
}

}  // namespace

// No exception ends the program unexplained: memory running out anywhere
// (a label list, a reader's block) is reported as any other failure, and
// the output's destructor removes its temporary file on the way.
int main(int argc, char** argv) {
  try {
    Options o;
    bool done = false;
    if (std::string e = Parse(argc, argv, o, done); !e.empty()) return Fail(e);
    if (done) return 0;
    return Convert(o);
  } catch (const std::bad_alloc&) {
    return Fail("not enough memory");
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
