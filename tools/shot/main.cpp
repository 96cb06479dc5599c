// qarmel-shot: renders a CUB file or a scan to a PNG image with no display, through
// the viewer's own code on the headless backend (an offscreen Mesa
// context): the same load, mirror, surface, fast lighting, scene set-up and
// frame as the viewer's start-up, then optional camera changes and key
// commands, then one more frame, read back and written as PNG.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/frame_saving.h"
#include "app/input_file.h"
#include "app/key_commands.h"
#include "platform/common/command_line.h"
#include "platform/common/huge_pages.h"
#include "platform/headless/headless_control.h"
#include "shot_fit.h"
#include "shot_options.h"
#include "shot_render.h"
#include "shot_thumbnail.h"
#include "surface/label_palette.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "qarmel-shot: %s\n", message.c_str());
  return 1;
}

bool LoadVolume(const std::string& path, VolumeFacts& facts) {
  const bool loaded = LoadVolumeFile(path.c_str(), &facts);  // the reader's boxes go to stderr
  const char* slash = std::strrchr(path.c_str(), '/');
  std::snprintf(inputFileName, sizeof inputFileName, "%s", slash ? slash + 1 : path.c_str());
  return loaded;
}

int PrintInfo() {
  MirrorVoxSpaceZ(theVolume);  // the viewer counts the mirrored volume, as it starts
  theSurface.voxSpace = VoxelsAtStart(rebuild);
  theSurface.CountFaces();
  platform::headless::SetMessageBoxEcho(false);
  ShowGeometryInfo();
  std::fputs(geometryInfoText, stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  platform::RestartWithHugePages(argv);
  // Past a file-size limit a write fails with EFBIG instead of killing the
  // program, so the half-written image is removed and the reason printed.
  std::signal(SIGXFSZ, SIG_IGN);
  std::string error;
  const auto options = ParseShotOptions(argc, argv, error);
  if (!options) return Fail(error);
  if (options->help) {
    std::fputs(kShotUsage, stdout);
    return 0;
  }
  if (options->version) {
    std::printf("qarmel-shot %s\n", QARMEL_VERSION);
    return 0;
  }
  // The texture is looked for beside this program, as beside the viewer.
  const std::string self = platform::RunningExecutablePath(argv[0]);
  platform::SetProcessCommandLine(self);
  GetExeDirectory(exeDirectory);
  VolumeFacts facts;
  if (!LoadVolume(options->input, facts)) return Fail("cannot load " + options->input);
  UseVolumeColours(options->input.c_str());
  rebuild.startSelection = ShotSelection(*options);
  if (options->info) return PrintInfo();

  // Set before the first frame so that only the merged geometry is built.
  theSurface.merged = options->merged;
  if (options->thumbnail) PrepareThumbnail(options->input, facts);
  if (!OpenShotWindow(options->width, options->height))
    return Fail("no offscreen OpenGL context (Mesa's EGL surfaceless platform)");
  // The first frame is the picture unless the camera or keys change it.
  const ShotCamera camera{options->heading, options->elevation, options->distance};
  const bool moved = camera.Moves() || !options->keys.empty() || options->fit ||
                     !options->cuts.empty() || !options->labels.empty() ||
                     !options->hideLabels.empty() || options->threshold || options->autoThreshold;
  if (moved) {
    MoveShotCamera(camera);
    if (options->fit) FitShotCamera(options->width, options->height);
    if (!TypeShotKeys(options->keys)) return Fail("the keys closed the window before the picture");
  }
  const std::vector<unsigned char> image =
      options->thumbnail ? RenderThumbnail(options->width, options->height)
      : moved            ? RenderShotFrame(options->width, options->height)
                         : ReadShotFrame(options->width, options->height);
  const std::string failure = WritePngFile(options->output, options->width, options->height, image);
  if (!failure.empty()) return Fail("cannot write " + options->output + ": " + failure);
  CloseShotWindow();
  return 0;
}
