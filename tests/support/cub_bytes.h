// Builds CUB files byte by byte, well-formed or not, for reader tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

class CubBytes {
 public:
  CubBytes& Raw(const std::string& text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  CubBytes& Word(std::uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes_.push_back(static_cast<std::uint8_t>(word >> shift));
    return *this;
  }
  CubBytes& Bytes(const std::vector<std::uint8_t>& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  CubBytes& Magic() { return Raw("CUB1"); }
  // HEA1 with the given body-size field and six words.
  CubBytes& Header(std::uint32_t dimX, std::uint32_t dimY, std::uint32_t dimZ,
                   std::uint32_t bits = 8, std::uint32_t sizeField = 24) {
    Raw("HEA1").Word(sizeField);
    for (std::uint32_t w : {dimX, dimY, dimZ, bits, 0u, 0u}) Word(w);
    return *this;
  }
  CubBytes& Data(const std::vector<std::uint8_t>& voxels) {
    return Raw("DAT1").Word(static_cast<std::uint32_t>(voxels.size())).Bytes(voxels);
  }
  CubBytes& Chunk(const std::string& tag, const std::vector<std::uint8_t>& body) {
    return Raw(tag).Word(static_cast<std::uint32_t>(body.size())).Bytes(body);
  }
  CubBytes& End() { return Raw("ENDF"); }
  // Drops the last n bytes (to cut a file short).
  CubBytes& Cut(std::size_t n) {
    bytes_.resize(bytes_.size() > n ? bytes_.size() - n : 0);
    return *this;
  }

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// n bytes counting up from `first` (wrapping), so misplaced bytes show.
inline std::vector<std::uint8_t> CountingBytes(std::size_t n, std::uint8_t first = 1) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(first + i);
  return v;
}
