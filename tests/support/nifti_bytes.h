// Writes NIfTI-1 single files (.nii) for converter and reader tests: a
// 348-byte header, four bytes of (empty) extension flag, then the voxel
// values; and their gzipped form (.nii.gz).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

struct NiftiFields {
  std::int16_t dims[3] = {4, 4, 4};
  std::int16_t datatype = 2;  // DT_UINT8
  std::int16_t bitpix = 8;
  float slope = 0, intercept = 0;
  std::int32_t headerSize = 348;
};

template <typename T>
std::vector<std::uint8_t> MakeNifti(const NiftiFields& f, const std::vector<T>& values) {
  std::vector<std::uint8_t> out(352, 0);
  auto put = [&](std::size_t at, const void* p, std::size_t n) { std::memcpy(&out[at], p, n); };
  put(0, &f.headerSize, 4);
  const std::int16_t dim[8] = {3, f.dims[0], f.dims[1], f.dims[2], 1, 1, 1, 1};
  put(40, dim, sizeof dim);
  put(70, &f.datatype, 2);
  put(72, &f.bitpix, 2);
  const float pixdim[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  put(76, pixdim, sizeof pixdim);
  const float voxOffset = 352;
  put(108, &voxOffset, 4);
  put(112, &f.slope, 4);
  put(116, &f.intercept, 4);
  put(344, "n+1", 4);
  const std::size_t start = out.size();
  out.resize(start + values.size() * sizeof(T));
  if (!values.empty()) std::memcpy(&out[start], values.data(), values.size() * sizeof(T));
  return out;
}

// The bytes as one gzip member, as gzip(1) writes them.
inline std::vector<std::uint8_t> Gzipped(const std::vector<std::uint8_t>& bytes) {
  z_stream stream{};
  const int gzipWindow = 15 + 16;  // zlib's way of asking for the gzip wrapper
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, gzipWindow, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    return {};
  }
  std::vector<std::uint8_t> out(deflateBound(&stream, static_cast<uLong>(bytes.size())));
  stream.next_in = const_cast<Bytef*>(bytes.data());
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const bool finished = deflate(&stream, Z_FINISH) == Z_STREAM_END;
  out.resize(finished ? stream.total_out : 0);
  deflateEnd(&stream);
  return out;
}
