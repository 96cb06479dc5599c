// The BMP header is read field by field (little-endian); rows are read from
// their 4-byte-aligned positions in the file and packed together, so an
// image whose width is not a multiple of 4 is not sheared. All sizes are
// computed in 64 bits.
#include "render/bmp_reader.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/common/regular_file.h"

namespace {

constexpr const char* kLog = "OGLtexture::ReadBMP()  ";
constexpr std::int64_t kLargestCount = 0x7FFFFFFF;  // sizes must fit a signed 32-bit count
constexpr std::uint16_t kBmpType = 0x4D42;          // "BM", little-endian
constexpr std::uint16_t kBitsPerPixel = 24;         // blue, green, red
constexpr std::int64_t kBytesPerPixel = kBitsPerPixel / 8;
constexpr std::int64_t kRowAlignment = 4;   // every row starts on a 4-byte boundary
constexpr std::uint32_t kUncompressed = 0;  // BI_RGB

struct BmpHeader {
  std::uint16_t bfType;
  std::uint32_t bfSize;
  std::uint16_t bfReserved1, bfReserved2;
  std::uint32_t bfOffBits;
  std::uint32_t biSize;
  std::int32_t biWidth, biHeight;
  std::uint16_t biPlanes, biBitCount;
  std::uint32_t biCompression, biSizeImage;
  std::int32_t biXPelsPerMeter, biYPelsPerMeter;
  std::uint32_t biClrUsed, biClrImportant;
};

template <typename T>
bool ReadField(std::FILE* file, T& field) {
  unsigned char bytes[sizeof(T)];
  if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return false;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value |= std::uint32_t{bytes[i]} << (8 * i);
  field = static_cast<T>(value);
  return true;
}

// The fifteen fields after bfType, in file order.
bool ReadRestOfHeader(std::FILE* file, BmpHeader& h) {
  return ReadField(file, h.bfSize) && ReadField(file, h.bfReserved1) &&
         ReadField(file, h.bfReserved2) && ReadField(file, h.bfOffBits) &&
         ReadField(file, h.biSize) && ReadField(file, h.biWidth) && ReadField(file, h.biHeight) &&
         ReadField(file, h.biPlanes) && ReadField(file, h.biBitCount) &&
         ReadField(file, h.biCompression) && ReadField(file, h.biSizeImage) &&
         ReadField(file, h.biXPelsPerMeter) && ReadField(file, h.biYPelsPerMeter) &&
         ReadField(file, h.biClrUsed) && ReadField(file, h.biClrImportant);
}

// Reads the rows (each padded to a multiple of 4 bytes in the file) into
// one buffer and packs them to width*3 bytes each, in place.
enum class PixelResult { kRead, kNoMemory, kShort, kSeekFailed };

PixelResult ReadRows(std::FILE* file, const BmpHeader& h, unsigned char*& pixels) {
  if (h.biWidth <= 0 || h.biHeight <= 0) return PixelResult::kNoMemory;
  const std::int64_t rowBytes = std::int64_t{h.biWidth} * kBytesPerPixel;
  const std::int64_t paddedRow = (rowBytes + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
  if (h.biHeight > kLargestCount / paddedRow) return PixelResult::kNoMemory;
  const std::int64_t fileBytes = paddedRow * h.biHeight;
  // Rows the file cannot hold are not allocated: a header alone may claim
  // 2 GiB. Both terms are below 2^32, so the sum cannot overflow.
  struct stat status {};
  if (fstat(fileno(file), &status) == 0 &&
      std::int64_t{h.bfOffBits} + fileBytes > static_cast<std::int64_t>(status.st_size)) {
    return PixelResult::kShort;
  }
  pixels = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(fileBytes)));
  if (!pixels) return PixelResult::kNoMemory;
  if (std::fseek(file, static_cast<long>(h.bfOffBits), SEEK_SET) != 0)
    return PixelResult::kSeekFailed;
  if (std::fread(pixels, 1, static_cast<std::size_t>(fileBytes), file) !=
      static_cast<std::size_t>(fileBytes)) {
    return PixelResult::kShort;
  }
  for (std::int64_t row = 1; paddedRow != rowBytes && row < h.biHeight; ++row) {
    std::memmove(pixels + row * rowBytes, pixels + row * paddedRow,
                 static_cast<std::size_t>(rowBytes));
  }
  return PixelResult::kRead;
}

// Logs why reading stopped (when the reason has a line of its own) and the
// error line, releases the pixels, closes the file. Standard error gets one
// line with the file and the reason, `detail` when the log has none.
bool Fail(std::FILE* file, const char* path, const char* reason, unsigned char* pixels,
          const char* detail = nullptr) {
  if (reason) std::printf("%s%s \n", kLog, reason);
  std::printf("%serror reading %s \n", kLog, path);
  std::fprintf(stderr, "OGLtexture::ReadBMP(): %s: %s\n", path, reason ? reason : detail);
  std::free(pixels);
  std::fclose(file);
  return false;
}

}  // namespace

bool ReadBmpPixels(const char* path, BmpPixels& out) {
  std::printf("%sinput file: %s \n", kLog, path);
  // Only a regular file, opened without blocking: a FIFO would wait for a
  // writer, a directory would open and then fail to read.
  std::string why;
  std::FILE* file = platform::OpenRegularFileStream(path, why);
  if (!file) {
    std::printf("%scould not open %s \n", kLog, path);
    std::fprintf(stderr, "OGLtexture::ReadBMP(): cannot open %s: %s\n", path, why.c_str());
    return false;
  }
  BmpHeader h{};
  constexpr const char* kShortHeader = "the file ends inside the header";
  if (!ReadField(file, h.bfType)) return Fail(file, path, nullptr, nullptr, kShortHeader);
  if (h.bfType != kBmpType) return Fail(file, path, "not a BMP file", nullptr);
  if (!ReadRestOfHeader(file, h)) return Fail(file, path, nullptr, nullptr, kShortHeader);
  if (h.biPlanes != 1) return Fail(file, path, nullptr, nullptr, "planes not 1");
  if (h.biBitCount != kBitsPerPixel) return Fail(file, path, "unsupported bit depth", nullptr);
  if (h.biCompression != kUncompressed) return Fail(file, path, "unsupported compression", nullptr);

  unsigned char* pixels = nullptr;
  switch (ReadRows(file, h, pixels)) {
    case PixelResult::kNoMemory:
      return Fail(file, path, "cannot allocate bitmap memory", pixels);
    case PixelResult::kSeekFailed:
      return Fail(file, path, nullptr, pixels, "cannot seek to the pixel data");
    case PixelResult::kShort:
      return Fail(file, path, "error reading bitmap data", pixels);
    case PixelResult::kRead:
      break;
  }
  std::fclose(file);
  out.width = h.biWidth;
  out.height = h.biHeight;
  out.bytes = pixels;
  return true;
}
