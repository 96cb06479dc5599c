// One OpenGL texture made from an uncompressed 24-bit BMP file; the record
// keeps a copy of the pixels. One process-wide instance, theTexture.
#pragma once

#include <GL/gl.h>

#include <cstdint>

class OGLtexture {
 public:
  OGLtexture() = default;
  ~OGLtexture();
  OGLtexture(const OGLtexture&) = delete;
  OGLtexture& operator=(const OGLtexture&) = delete;

  // Reads the file and uploads it to a new texture object, left bound;
  // the texture name, or 0 on failure. Every step is logged on standard
  // output. Needs a current rendering context.
  std::uint32_t ReadBMP(const char* path);

  std::uint32_t textureName = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t unused = 0;
  // What the record says of the texture; the upload uses fixed formats.
  std::int32_t internalFormat = GL_RGB8;
  std::int32_t pixelFormat = GL_RGB;
  unsigned char* image = nullptr;  // width*height*3 bytes, blue-green-red, bottom row first
};
