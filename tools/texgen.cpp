// texgen: writes the viewer's texture, a 24-bit BMP tile that repeats once
// per voxel face: light grey with a darker rim, so single voxels stand out.
//
//   texgen OUT.bmp [SIZE]     SIZE a power of two, 8 to 1024 (default 64)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::uint32_t kFileHeaderBytes = 14, kInfoHeaderBytes = 40;
constexpr std::uint32_t kPixelsOffset = kFileHeaderBytes + kInfoHeaderBytes;
constexpr std::uint32_t kBytesPerPixel = 3;      // 24 bits: blue, green, red
constexpr std::uint32_t kPixelsPerMetre = 2835;  // 72 dpi
constexpr int kDefaultSize = 64, kSmallestSize = 8, kLargestSize = 1024;

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Tile(int size) {
  // A power of two from 8 up: each row is a multiple of 4 bytes, unpadded.
  const std::uint32_t rowBytes = static_cast<std::uint32_t>(size) * kBytesPerPixel;
  const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(size);
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutLittleEndian(out, kPixelsOffset + pixelBytes, 4);  // bfSize
  PutLittleEndian(out, 0, 4);                           // reserved
  PutLittleEndian(out, kPixelsOffset, 4);               // bfOffBits
  PutLittleEndian(out, kInfoHeaderBytes, 4);            // biSize
  PutLittleEndian(out, static_cast<std::uint32_t>(size), 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(size), 4);
  PutLittleEndian(out, 1, 2);  // planes
  PutLittleEndian(out, kBytesPerPixel * 8, 2);
  PutLittleEndian(out, 0, 4);  // no compression
  PutLittleEndian(out, pixelBytes, 4);
  PutLittleEndian(out, kPixelsPerMetre, 4);
  PutLittleEndian(out, kPixelsPerMetre, 4);
  PutLittleEndian(out, 0, 4);
  PutLittleEndian(out, 0, 4);
  const int rim = size / 16 > 0 ? size / 16 : 1;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const bool edge = x < rim || y < rim || x >= size - rim || y >= size - rim;
      const std::uint8_t grey = edge ? 120 : 225;
      // blue, green, red: a faint warm tint on the inside
      out.push_back(edge ? grey : static_cast<std::uint8_t>(grey - 12));
      out.push_back(grey);
      out.push_back(grey);
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const int size = argc > 2 ? std::atoi(argv[2]) : kDefaultSize;
  if (argc < 2 || size < kSmallestSize || size > kLargestSize || (size & (size - 1)) != 0) {
    std::fprintf(stderr, "usage: texgen OUT.bmp [SIZE]   SIZE a power of two, 8 to 1024\n");
    return 2;
  }
  const std::vector<std::uint8_t> bytes = Tile(size);
  std::FILE* file = std::fopen(argv[1], "wb");
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
      std::fclose(file) != 0) {
    std::fprintf(stderr, "texgen: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
