// qarmel-shot: renders a CUB file to a PNG image with no display, through
// the viewer's own code on the headless backend (an offscreen Mesa
// context): the same load, mirror, surface, fast lighting, scene set-up and
// frame as the viewer's start-up, then optional camera changes and key
// commands, then one more frame, read back and written as PNG.
#include <GL/gl.h>
#include <stb/stb_image_write.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/input_file.h"
#include "app/key_commands.h"
#include "app/main_loop.h"
#include "platform/common/command_line.h"
#include "platform/common/window_record.h"
#include "platform/headless/headless_control.h"
#include "render/frame_display.h"
#include "shot_options.h"
#include "voxel/cub_reader.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "qarmel-shot: %s\n", message.c_str());
  return 1;
}

bool LoadVolume(const std::string& path) {
  theVolume = LoadCub(path.c_str());  // the reader's boxes go to stderr
  const char* slash = std::strrchr(path.c_str(), '/');
  std::snprintf(inputFileName, sizeof inputFileName, "%s", slash ? slash + 1 : path.c_str());
  return theVolume != nullptr;
}

int PrintInfo() {
  MirrorVoxSpaceZ(theVolume);  // the viewer counts the mirrored volume
  theSurface.voxSpace = theVolume;
  theSurface.CountFaces();
  platform::headless::SetMessageBoxEcho(false);
  ShowGeometryInfo();
  std::fputs(geometryInfoText, stdout);
  return 0;
}

void ApplyCamera(const ShotOptions& o) {
  if (o.heading) polarCam.heading = *o.heading;
  if (o.elevation) polarCam.elevation = *o.elevation;
  if (o.distance) polarCam.distance = *o.distance;
}

std::vector<unsigned char> ReadFrame(int width, int height) {
  std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  // OpenGL's first row is the bottom one; an image's is the top one.
  std::vector<unsigned char> flipped(rgb.size());
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  for (int y = 0; y < height; ++y) std::memcpy(&flipped[y * row], &rgb[(height - 1 - y) * row], row);
  return flipped;
}

}  // namespace

int main(int argc, char** argv) {
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
  if (!LoadVolume(options->input)) return Fail("cannot load " + options->input);
  if (options->info) return PrintInfo();

  appSettings.windowWidth = options->width;
  appSettings.windowHeight = options->height;
  OpenMainWindow(nullptr, SW_SHOWDEFAULT);
  if (!glContext) return Fail("no offscreen OpenGL context (Mesa's EGL surfaceless platform)");
  ShowFirstFrame();
  // The first frame is the picture unless the camera or keys change it.
  if (options->heading || options->elevation || options->distance || !options->keys.empty()) {
    ApplyCamera(*options);
    for (char key : options->keys) {
      OnChar(mainWindow, static_cast<unsigned char>(key), 0);
      if (!platform::IsWindowRecord(mainWindow)) return Fail("the keys closed the window before the picture");
    }
    Display();
  }
  const std::vector<unsigned char> image = ReadFrame(options->width, options->height);
  if (!stbi_write_png(options->output.c_str(), options->width, options->height, 3, image.data(),
                      options->width * 3)) {
    return Fail("cannot write " + options->output);
  }
  DestroyWindow(mainWindow);
  return 0;
}
