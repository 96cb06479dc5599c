// The BMP texture: every log line in order, the pixels kept, the upload.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "bmp_bytes.h"
#include "gl_harness.h"
#include "render/ogl_texture.h"
#include "stdout_capture.h"
#include "temp_dir.h"

namespace {

struct Loaded {
  std::uint32_t result;
  std::string log;
};

Loaded Load(OGLtexture& texture, const std::string& path) {
  std::uint32_t result = 0;
  const std::string log = CaptureStdoutOf([&] { result = texture.ReadBMP(path.c_str()); });
  return {result, log};
}

std::string Line(const std::string& text) { return "OGLtexture::ReadBMP()  " + text + " \n"; }

class TextureGl : public ::testing::Test {
 protected:
  void SetUp() override { UseGlContext(); }
  TempDir dir;
};

TEST_F(TextureGl, A64x64ImageIsKeptAndUploaded) {
  const std::string path =
      dir.Write("t.bmp", MakeBmp({.width = 64, .height = 64}, PaddedPixels(64, 64)));
  OGLtexture texture;
  const Loaded r = Load(texture, path);
  ASSERT_NE(r.result, 0u);
  EXPECT_EQ(r.log,
            Line("input file: " + path) + Line("texture " + std::to_string(r.result) + " read"));
  EXPECT_EQ(texture.textureName, r.result);
  EXPECT_EQ(texture.width, 64);
  EXPECT_EQ(texture.height, 64);
  ASSERT_NE(texture.image, nullptr);
  EXPECT_EQ(texture.image[(5 * 64 + 9) * 3 + 0], 9);  // blue = x
  EXPECT_EQ(texture.image[(5 * 64 + 9) * 3 + 1], 5);  // green = y

  GLint bound = 0, alignment = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(static_cast<std::uint32_t>(bound), r.result);
  EXPECT_EQ(alignment, 1);
  // Uploaded as blue-green-red: texel (9, 5) reads back red 7, green 5, blue 9.
  std::vector<unsigned char> rgba(64 * 64 * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  EXPECT_EQ(rgba[(5 * 64 + 9) * 4 + 0], 7);
  EXPECT_EQ(rgba[(5 * 64 + 9) * 4 + 1], 5);
  EXPECT_EQ(rgba[(5 * 64 + 9) * 4 + 2], 9);
}

TEST_F(TextureGl, PixelDataIsReadFromItsOffset) {
  const std::string path = dir.Write(
      "t.bmp", MakeBmp({.bfOffBits = 1078, .width = 8, .height = 8}, PaddedPixels(8, 8), 1024));
  OGLtexture texture;
  ASSERT_NE(Load(texture, path).result, 0u);
  EXPECT_EQ(texture.image[(7 * 8 + 6) * 3], 6);
  EXPECT_EQ(texture.image[(7 * 8 + 6) * 3 + 1], 7);
}

TEST_F(TextureGl, RowsPaddedInTheFileAreNotSheared) {
  // Width 6: rows of 18 bytes padded to 20 in the file.
  const std::string path =
      dir.Write("t.bmp", MakeBmp({.width = 6, .height = 3}, PaddedPixels(6, 3)));
  OGLtexture texture;
  const Loaded r = Load(texture, path);
  ASSERT_NE(r.result, 0u) << r.log;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(texture.image[(y * 6 + x) * 3 + 0], x) << x << "," << y;
      EXPECT_EQ(texture.image[(y * 6 + x) * 3 + 1], y) << x << "," << y;
      EXPECT_EQ(texture.image[(y * 6 + x) * 3 + 2], 7) << x << "," << y;
    }
  }
  // The last row's padding must be in the file too.
  auto cut = MakeBmp({.width = 6, .height = 3}, PaddedPixels(6, 3));
  cut.pop_back();
  const std::string shortPath = dir.Write("short.bmp", cut);
  OGLtexture other;
  EXPECT_EQ(Load(other, shortPath).log, Line("input file: " + shortPath) +
                                            Line("error reading bitmap data") +
                                            Line("error reading " + shortPath));
}

TEST_F(TextureGl, FailuresLogTheirLinesInOrder) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> reasons;  // lines between the input line and the error line
  };
  auto pixels = PaddedPixels(4, 4);
  auto shortHeader = MakeBmp({}, pixels);
  shortHeader.resize(30);
  auto shortPixels = MakeBmp({}, pixels);
  shortPixels.resize(shortPixels.size() - 1);
  const std::vector<Case> cases = {
      {"8-bit", MakeBmp({.bitCount = 8}, pixels), {"unsupported bit depth"}},
      {"compressed", MakeBmp({.compression = 1}, pixels), {"unsupported compression"}},
      {"bit fields", MakeBmp({.compression = 3}, pixels), {"unsupported compression"}},
      {"short header", shortHeader, {}},
      {"planes 2", MakeBmp({.planes = 2}, pixels), {}},
      {"top-down", MakeBmp({.height = -4}, pixels), {"cannot allocate bitmap memory"}},
      {"zero width", MakeBmp({.width = 0}, pixels), {"cannot allocate bitmap memory"}},
      {"size beyond 32 bits",
       MakeBmp({.width = 0x40000000, .height = 0x40000000}, pixels),
       {"cannot allocate bitmap memory"}},
      {"size beyond a signed count",
       MakeBmp({.width = 30000, .height = 30000}, pixels),
       {"cannot allocate bitmap memory"}},
      {"short pixel data", shortPixels, {"error reading bitmap data"}},
      {"not a BMP", MakeBmp({.bfType = 0x4D43}, pixels), {"not a BMP file"}},
      {"empty file", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Write("bad.bmp", c.bytes);
    OGLtexture texture;
    const Loaded r = Load(texture, path);
    std::string expected = Line("input file: " + path);
    for (const std::string& reason : c.reasons) expected += Line(reason);
    expected += Line("error reading " + path);
    EXPECT_EQ(r.result, 0u);
    EXPECT_EQ(r.log, expected);
    EXPECT_EQ(texture.textureName, 0u);
    EXPECT_EQ(texture.image, nullptr);
  }
}

TEST_F(TextureGl, AMissingFileLogsOnlyTheOpenFailure) {
  OGLtexture texture;
  const std::string path = dir.File("none.bmp");
  const Loaded r = Load(texture, path);
  EXPECT_EQ(r.result, 0u);
  EXPECT_EQ(r.log, Line("input file: " + path) + Line("could not open " + path));
  EXPECT_EQ(texture.textureName, 0u);
}

}  // namespace
