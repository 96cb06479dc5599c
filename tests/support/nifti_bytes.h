// Writes NIfTI-1 single files (.nii) for converter tests: a 348-byte
// header, four bytes of (empty) extension flag, then the voxel values.
#pragma once

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
