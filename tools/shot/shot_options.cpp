#include "shot_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char kShotUsage[] =
    "Usage: qarmel-shot FILE -o OUT.png [options]\n"
    "Renders a CUB, NIfTI-1, NRRD or MetaImage file to a PNG image without a\n"
    "display, exactly as the Qarmel viewer shows it at start. A scan is turned\n"
    "to its patient's axes: at heading 0, elevation 0 the patient faces you,\n"
    "head up, the patient's left on the image's right.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT.png   the image to write\n"
    "  --size WxH, --size N   image size in pixels, N for NxN (default 512x512)\n"
    "  --heading DEG          polar camera heading\n"
    "  --elevation DEG        polar camera elevation\n"
    "  --distance D           polar camera distance\n"
    "  --fit                  aim at the solid voxels' box and come as close as lets it\n"
    "                         fill nine tenths of the image (not with --distance)\n"
    "  --thumbnail            a file manager's tile: --fit, smooth shading, colours by\n"
    "                         value for a label volume, a light from the viewer's side;\n"
    "                         an empty volume gives a dim outline of its box\n"
    "  --keys CHARS           viewer key commands applied in order before the frame\n"
    "                         (0 fly camera, 1 quads, t texture, l lighting, ...)\n"
    "  --cut AXIS:LO:HI       keep the voxels LO..HI along AXIS (x, y or z, the file's\n"
    "                         own voxel indices); repeatable, as the keys ; [ ] do\n"
    "  --labels V,V,...       show only the voxels of these values (labels), as key u\n"
    "  --hide-labels V,V,...  hide the voxels of these values, as key h\n"
    "  --threshold T          solid: the voxels of a value of at least T (the stored\n"
    "                         values of a scan); auto: Otsu's threshold, as the keys\n"
    "                         , and . start it (an intensity scan starts there)\n"
    "  --merged               start with merged faces (as key m), fewer polygons\n"
    "  --info                 print the face counts instead of rendering\n"
    "  --help                 this text\n"
    "  --version              the version\n"
    "  --                     what follows is the input file, even if it starts with -\n"
    "\n"
    "The input must be a regular file (not a pipe or a device). On any failure\n"
    "the reason goes to standard error, the exit code is 1, and no partly\n"
    "written image is left behind.\n";

namespace {

bool ParseFloat(const char* text, float& out) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || errno != 0 || !std::isfinite(value)) return false;
  out = static_cast<float>(value);
  return true;
}

bool ParseSize(const char* text, int& width, int& height) {
  char* end = nullptr;
  const long w = std::strtol(text, &end, 10);
  if (end == text || (*end != 'x' && *end != 'X' && *end != '\0')) return false;
  long h = w;  // one number: a square, as thumbnailers ask for
  if (*end != '\0') {
    const char* rest = end + 1;
    h = std::strtol(rest, &end, 10);
    if (end == rest || *end != '\0') return false;
  }
  if (w < 1 || h < 1 || w > 8192 || h > 8192) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

// AXIS:LO:HI, AXIS one of x y z, LO <= HI whole numbers below 2^32.
bool ParseCut(const char* text, ShotCut& cut) {
  const char* axes = "xyz";
  const char* axis = std::strchr(axes, text[0]);
  if (text[0] == '\0' || !axis || text[1] != ':') return false;
  cut.axis = static_cast<int>(axis - axes);
  char* end = nullptr;
  const char* lo = text + 2;
  errno = 0;
  const unsigned long long first = std::strtoull(lo, &end, 10);
  if (end == lo || *end != ':' || *lo == '-' || errno != 0) return false;
  const char* hi = end + 1;
  const unsigned long long last = std::strtoull(hi, &end, 10);
  if (end == hi || *end != '\0' || *hi == '-' || errno != 0) return false;
  if (first > last || last > UINT32_MAX) return false;
  cut.lo = static_cast<std::uint32_t>(first);
  cut.hi = static_cast<std::uint32_t>(last);
  return true;
}

// Labels 1..2^31 - 1 separated by commas.
bool ParseLabels(const char* text, std::vector<std::int64_t>& labels) {
  const char* at = text;
  for (;;) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(at, &end, 10);
    if (end == at || errno != 0 || value < 1 || value > INT32_MAX) return false;
    labels.push_back(value);
    if (*end == '\0') return true;
    if (*end != ',') return false;
    at = end + 1;
  }
}

}  // namespace

std::optional<ShotOptions> ParseShotOptions(int argc, const char* const* argv, std::string& error) {
  ShotOptions o;
  bool onlyFiles = false;  // after "--" every argument is a file name, even one starting with -
  auto TakeInput = [&](const std::string& arg) {
    if (!o.input.empty()) {
      error = "more than one input file: " + arg;
      return false;
    }
    o.input = arg;
    return true;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (onlyFiles || arg == "--") {
      if (onlyFiles && !TakeInput(arg)) return std::nullopt;
      onlyFiles = true;
      continue;
    }
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        error = std::string(name) + " needs a value";
        return nullptr;
      }
      return argv[++i];
    };
    auto number = [&](const char* name, std::optional<float>& out) {
      const char* v = value(name);
      float f = 0;
      if (!v) return false;
      if (!ParseFloat(v, f)) {
        error = std::string("not a number for ") + name + ": " + v;
        return false;
      }
      out = f;
      return true;
    };
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "--merged") {
      o.merged = true;
    } else if (arg == "--fit") {
      o.fit = true;
    } else if (arg == "--thumbnail") {
      o.thumbnail = true;
    } else if (arg == "--info") {
      o.info = true;
    } else if (arg == "-o" || arg == "--output") {
      const char* v = value("--output");
      if (!v) return std::nullopt;
      o.output = v;
    } else if (arg == "--size") {
      const char* v = value("--size");
      if (!v) return std::nullopt;
      if (!ParseSize(v, o.width, o.height)) {
        error = std::string("--size wants WxH or N, 1 to 8192 each: ") + v;
        return std::nullopt;
      }
    } else if (arg == "--heading") {
      if (!number("--heading", o.heading)) return std::nullopt;
    } else if (arg == "--elevation") {
      if (!number("--elevation", o.elevation)) return std::nullopt;
    } else if (arg == "--distance") {
      if (!number("--distance", o.distance)) return std::nullopt;
    } else if (arg == "--keys") {
      const char* v = value("--keys");
      if (!v) return std::nullopt;
      o.keys = v;
    } else if (arg == "--cut") {
      const char* v = value("--cut");
      if (!v) return std::nullopt;
      ShotCut cut;
      if (!ParseCut(v, cut)) {
        error = std::string("--cut wants AXIS:LO:HI (x, y or z; LO <= HI): ") + v;
        return std::nullopt;
      }
      o.cuts.push_back(cut);
    } else if (arg == "--labels" || arg == "--hide-labels") {
      const char* v = value(arg.c_str());
      if (!v) return std::nullopt;
      if (!ParseLabels(v, arg == "--labels" ? o.labels : o.hideLabels)) {
        error = arg + " wants labels (whole numbers from 1) separated by commas: " + v;
        return std::nullopt;
      }
    } else if (arg == "--threshold") {
      const char* v = value("--threshold");
      if (!v) return std::nullopt;
      char* end = nullptr;
      const double threshold = std::strtod(v, &end);
      if (std::string(v) == "auto") {
        o.autoThreshold = true;
      } else if (end != v && *end == '\0' && std::isfinite(threshold)) {
        o.threshold = threshold;
      } else {
        error = std::string("--threshold wants a number or auto: ") + v;
        return std::nullopt;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option " + arg + " (see --help)";
      return std::nullopt;
    } else if (!TakeInput(arg)) {
      return std::nullopt;
    }
  }
  if (o.help || o.version) return o;
  if (o.input.empty()) {
    error = "no input file (see --help)";
    return std::nullopt;
  }
  if ((o.fit || o.thumbnail) && o.distance) {
    error = std::string(o.fit ? "--fit" : "--thumbnail") +
            " chooses the distance itself: give it or --distance";
    return std::nullopt;
  }
  if (!o.info && o.output.empty()) {
    error = "no output image: give -o OUT.png";
    return std::nullopt;
  }
  return o;
}
