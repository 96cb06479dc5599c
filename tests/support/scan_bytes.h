// Writes NRRD and MetaImage files for reader and picture tests: a header
// whose axes are given in the patient's RAS space (and written in the space
// the file states), then the voxel bytes attached, or in a data file of
// their own (NrrdData, or the values themselves for MetaImage).
#pragma once

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "nifti_bytes.h"

struct ScanAxes {
  std::uint64_t dims[3] = {4, 4, 4};  // storage extents, i fastest
  // Column a: the step, in millimetres, of one voxel along storage axis a
  // in RAS space (x to the patient's right, y anterior, z superior).
  double column[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
};

inline double ScanEdge(const double (&column)[3]) {
  return std::sqrt(column[0] * column[0] + column[1] * column[1] + column[2] * column[2]);
}

// One number as the headers write it; never "-0".
inline std::string ScanNumber(double value) {
  std::ostringstream out;
  out.precision(17);
  out << (value == 0 ? 0.0 : value);
  return out.str();
}

inline std::vector<std::uint8_t> ScanTextBytes(const std::string& text) {
  return {text.begin(), text.end()};
}

struct NrrdFields {
  ScanAxes axes;
  std::string type = "uint8";
  bool lps = false;      // space left-posterior-superior, the directions written in it
  bool gzip = false;     // the data gzipped, attached or not
  std::string dataFile;  // empty: the data follow the header
};

// The data as the file (or its data file) holds them.
inline std::vector<std::uint8_t> NrrdData(const NrrdFields& f,
                                          const std::vector<std::uint8_t>& values) {
  return f.gzip ? Gzipped(values) : values;
}

// The header, with the data after it when they are attached.
inline std::vector<std::uint8_t> MakeNrrd(const NrrdFields& f,
                                          const std::vector<std::uint8_t>& values) {
  std::string h = "NRRD0004\n# a test's volume\ntype: ";
  h.append(f.type).append("\ndimension: 3\nspace: ");
  h.append(f.lps ? "left-posterior-superior" : "right-anterior-superior").append("\nsizes:");
  for (std::uint64_t d : f.axes.dims) h.append(" ").append(std::to_string(d));
  h.append("\nspace directions:");
  const double sense = f.lps ? -1 : 1;  // LPS reverses x and y
  for (const auto& c : f.axes.column) {
    h.append(" (").append(ScanNumber(sense * c[0])).append(",");
    h.append(ScanNumber(sense * c[1])).append(",").append(ScanNumber(c[2])).append(")");
  }
  h.append("\nkinds: domain domain domain\nendian: little\nencoding: ");
  h.append(f.gzip ? "gzip" : "raw").append("\nspace origin: (0,0,0)\n");
  if (!f.dataFile.empty()) h.append("data file: ").append(f.dataFile).append("\n");
  h.append("\n");
  std::vector<std::uint8_t> out = ScanTextBytes(h);
  if (f.dataFile.empty()) {
    const std::vector<std::uint8_t> data = NrrdData(f, values);
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}

struct MetaImageFields {
  ScanAxes axes;
  std::string elementType = "MET_UCHAR";
  std::string dataFile;  // empty: LOCAL, the data follow the header
};

// The header (TransformMatrix: the unit LPS direction of each index axis
// in turn; ElementSpacing: the edges), with the data after it when LOCAL.
inline std::vector<std::uint8_t> MakeMetaImage(const MetaImageFields& f,
                                               const std::vector<std::uint8_t>& values) {
  std::string h =
      "ObjectType = Image\nNDims = 3\nBinaryData = True\nBinaryDataByteOrderMSB = False\n"
      "CompressedData = False\nTransformMatrix =";
  for (const auto& c : f.axes.column)
    for (int r = 0; r < 3; ++r)
      h.append(" ").append(ScanNumber((r < 2 ? -c[r] : c[r]) / ScanEdge(c)));
  h.append("\nOffset = 0 0 0\nCenterOfRotation = 0 0 0\nElementSpacing =");
  for (const auto& c : f.axes.column) h.append(" ").append(ScanNumber(ScanEdge(c)));
  h.append("\nDimSize =");
  for (std::uint64_t d : f.axes.dims) h.append(" ").append(std::to_string(d));
  h.append("\nElementType = ").append(f.elementType).append("\nElementDataFile = ");
  h.append(f.dataFile.empty() ? "LOCAL" : f.dataFile).append("\n");
  std::vector<std::uint8_t> out = ScanTextBytes(h);
  if (f.dataFile.empty()) out.insert(out.end(), values.begin(), values.end());
  return out;
}
