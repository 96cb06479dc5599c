#include "app/frame_saving.h"

#include <GL/gl.h>
#include <stb/stb_image_write.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "render/frame_display.h"

namespace {

void WriteToFile(void* file, void* data, int size) {
  std::fwrite(data, 1, static_cast<std::size_t>(size), static_cast<std::FILE*>(file));
}

// Opens the first free NAME-N.png. Mode "x" fails on an existing file, so a
// file that appears meanwhile (another viewer's, say) is never overwritten.
std::FILE* CreateFreeFile(const std::string& stem, std::string& name) {
  for (unsigned n = 1;; ++n) {
    name = stem + "-" + std::to_string(n) + ".png";
    if (std::FILE* file = std::fopen(name.c_str(), "wbx")) return file;
    if (errno != EEXIST) return nullptr;
  }
}

// The volume's file name without its extension, ".nii.gz" counted as one.
std::string VolumeStem() {
  std::filesystem::path name(inputFileName);
  if (name.extension() == ".gz") name = name.stem();
  return name.stem().string();
}

bool WritePng(std::FILE* file, int width, int height, const std::vector<unsigned char>& rgb) {
  const bool encoded =
      stbi_write_png_to_func(WriteToFile, file, width, height, 3, rgb.data(), width * 3) != 0;
  const bool written = encoded && !std::ferror(file);
  return std::fclose(file) == 0 && written;
}

void ReportFailure(HWND window, const std::string& name, const std::string& reason) {
  const std::string text = "cannot save the frame as " + name + ": " + reason;
  MessageBoxA(window, text.c_str(), "Screenshot", MB_OK | MB_ICONERROR);
}

}  // namespace

std::string FinishPngFile(std::FILE* file, const std::string& name, int width, int height,
                          const std::vector<unsigned char>& rgb) {
  struct stat status {};
  const bool regular = fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
  errno = 0;
  if (WritePng(file, width, height, rgb)) return "";
  const int error = errno;
  if (regular) std::remove(name.c_str());  // no half-written picture left behind
  return error ? std::strerror(error) : "the picture was not written";
}

std::string WritePngFile(const std::string& name, int width, int height,
                         const std::vector<unsigned char>& rgb) {
  std::FILE* file = std::fopen(name.c_str(), "wbe");
  if (!file) return std::strerror(errno);
  return FinishPngFile(file, name, width, height, rgb);
}

void SaveFrame(HWND window) {
  // The viewport is the drawn area; a minimised window has none.
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  if (viewport[2] <= 0 || viewport[3] <= 0) return;
  DrawFrame();
  const std::vector<unsigned char> rgb = ReadBackBuffer(viewport[2], viewport[3]);

  std::string name;
  std::FILE* file = CreateFreeFile(VolumeStem(), name);
  if (!file) {
    ReportFailure(window, name, std::strerror(errno));
    return;
  }
  const std::string failure = FinishPngFile(file, name, viewport[2], viewport[3], rgb);
  if (!failure.empty()) {
    ReportFailure(window, name, failure);
    return;
  }
  std::error_code ignored;
  const std::filesystem::path path = std::filesystem::absolute(name, ignored);
  std::printf("%s\n", path.empty() ? name.c_str() : path.c_str());
  std::fflush(stdout);  // for whoever reads the output while the viewer runs
}
