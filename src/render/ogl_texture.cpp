#include "render/ogl_texture.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>

#include "render/bmp_reader.h"

OGLtexture::~OGLtexture() { std::free(image); }

std::uint32_t OGLtexture::ReadBMP(const char* path) {
  BmpPixels pixels;
  if (!ReadBmpPixels(path, pixels)) return 0;
  width = pixels.width;
  height = pixels.height;
  std::free(image);
  image = pixels.bytes;

  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLuint name = 0;
  glGenTextures(1, &name);
  textureName = name;
  glBindTexture(GL_TEXTURE_2D, textureName);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, image);
  std::printf("OGLtexture::ReadBMP()  texture %d read \n", static_cast<int>(textureName));
  return textureName;
}
