// Writes NIfTI-1 single files (.nii) for converter and reader tests: a
// 348-byte header, four bytes of (empty) extension flag, then the voxel
// values; and their gzipped form (.nii.gz).
#pragma once

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

struct NiftiFields {
  std::int16_t dims[3] = {4, 4, 4};
  std::int16_t datatype = 2;  // DT_UINT8
  std::int16_t bitpix = 8;
  float slope = 0, intercept = 0;
  std::int32_t headerSize = 348;
  float pixdim[4] = {1, 1, 1, 1};  // qfac, then the voxel edges
  // By default an sform under which the viewer draws the voxels as they are
  // stored: i runs to the patient's left, j superior, k posterior.
  std::int16_t qformCode = 0, sformCode = 1;
  float quatern[3] = {0, 0, 0};
  float qoffset[3] = {0, 0, 0};
  float srow[3][4] = {{-1, 0, 0, 0}, {0, 0, -1, 0}, {0, 1, 0, 0}};
};

// Index to patient axes given as column a = the step, in millimetres, of one
// voxel along storage axis a in RAS space (x right, y anterior, z superior).
using NiftiColumns = double[3][3];

// An sform (code 1) along `columns`.
inline void SetNiftiSform(NiftiFields& f, const NiftiColumns& columns) {
  f.sformCode = 1;
  for (int a = 0; a < 3; ++a)
    for (int r = 0; r < 3; ++r) f.srow[r][a] = static_cast<float>(columns[a][r]);
}

// A qform (code 1) along `columns` (at right angles): the edges go to
// pixdim, a mirrored set of axes to qfac -1 with the third one reversed,
// and the rotation left to the quaternion.
inline void SetNiftiQform(NiftiFields& f, const NiftiColumns& columns) {
  double r[3][3];  // rows by patient axis, columns by storage axis
  for (int a = 0; a < 3; ++a) {
    const double* c = columns[a];
    const double edge = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
    f.pixdim[a + 1] = static_cast<float>(edge);
    for (int row = 0; row < 3; ++row) r[row][a] = c[row] / edge;
  }
  const double det = r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1]) -
                     r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0]) +
                     r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0]);
  f.pixdim[0] = det < 0 ? -1.0f : 1.0f;
  if (det < 0)
    for (auto& row : r) row[2] = -row[2];
  // Each branch divides by a component it found large, never by zero.
  double q[4];  // a, b, c, d
  const double trace = r[0][0] + r[1][1] + r[2][2];
  if (trace > 0) {
    q[0] = 0.5 * std::sqrt(1 + trace);
    q[1] = (r[2][1] - r[1][2]) / (4 * q[0]), q[2] = (r[0][2] - r[2][0]) / (4 * q[0]);
    q[3] = (r[1][0] - r[0][1]) / (4 * q[0]);
  } else if (r[0][0] >= r[1][1] && r[0][0] >= r[2][2]) {
    q[1] = 0.5 * std::sqrt(1 + r[0][0] - r[1][1] - r[2][2]);
    q[0] = (r[2][1] - r[1][2]) / (4 * q[1]), q[2] = (r[0][1] + r[1][0]) / (4 * q[1]);
    q[3] = (r[0][2] + r[2][0]) / (4 * q[1]);
  } else if (r[1][1] >= r[2][2]) {
    q[2] = 0.5 * std::sqrt(1 + r[1][1] - r[0][0] - r[2][2]);
    q[0] = (r[0][2] - r[2][0]) / (4 * q[2]), q[1] = (r[0][1] + r[1][0]) / (4 * q[2]);
    q[3] = (r[1][2] + r[2][1]) / (4 * q[2]);
  } else {
    q[3] = 0.5 * std::sqrt(1 + r[2][2] - r[0][0] - r[1][1]);
    q[0] = (r[1][0] - r[0][1]) / (4 * q[3]), q[1] = (r[0][2] + r[2][0]) / (4 * q[3]);
    q[2] = (r[1][2] + r[2][1]) / (4 * q[3]);
  }
  const double sense = q[0] < 0 ? -1 : 1;  // the file implies a >= 0
  for (int i = 0; i < 3; ++i) f.quatern[i] = static_cast<float>(sense * q[i + 1]);
  f.qformCode = 1;
}

template <typename T>
std::vector<std::uint8_t> MakeNifti(const NiftiFields& f, const std::vector<T>& values) {
  std::vector<std::uint8_t> out(352, 0);
  auto put = [&](std::size_t at, const void* p, std::size_t n) { std::memcpy(&out[at], p, n); };
  put(0, &f.headerSize, 4);
  const std::int16_t dim[8] = {3, f.dims[0], f.dims[1], f.dims[2], 1, 1, 1, 1};
  put(40, dim, sizeof dim);
  put(70, &f.datatype, 2);
  put(72, &f.bitpix, 2);
  const float pixdim[8] = {f.pixdim[0], f.pixdim[1], f.pixdim[2], f.pixdim[3], 1, 1, 1, 1};
  put(76, pixdim, sizeof pixdim);
  put(252, &f.qformCode, 2);
  put(254, &f.sformCode, 2);
  put(256, f.quatern, sizeof f.quatern);
  put(268, f.qoffset, sizeof f.qoffset);
  put(280, f.srow, sizeof f.srow);
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
