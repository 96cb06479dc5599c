// iconpng: writes the program's own window icon ("cub") as a PNG, for the
// desktop's icon theme.   iconpng OUT.png
#include <stb/stb_image_write.h>

#include <cstdio>
#include <vector>

#include "platform/common/window_record.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: iconpng OUT.png\n");
    return 2;
  }
  const HICON icon = LoadIconA(nullptr, "cub");
  if (!icon) return 1;
  std::vector<unsigned char> rgba;
  for (int i = 0; i < icon->width * icon->height; ++i) {
    const std::uint8_t index = icon->indices[i];
    rgba.insert(rgba.end(), {icon->colours[index][0], icon->colours[index][1],
                             icon->colours[index][2], static_cast<unsigned char>(index ? 255 : 0)});
  }
  return stbi_write_png(argv[1], icon->width, icon->height, 4, rgba.data(), icon->width * 4) ? 0
                                                                                             : 1;
}
