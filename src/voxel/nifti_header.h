// The NIfTI-1 header as the reader sees it: where each field it reads lies
// and how it is stored, and the codes of the datatype field. A header is in
// one byte order throughout: the one in which sizeof_hdr reads as the
// header's length.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nifti {

// One field: its byte offset from the start of the file and the type it is
// stored as (for an array, the type of each element).
template <typename T>
struct HeaderField {
  using Type = T;
  std::size_t offset;
};

// The fields the reader uses, by name, so that no offset is written twice.
struct HeaderLayout {
  std::size_t bytes;  // the header's length, which sizeof_hdr states
  HeaderField<std::int32_t> sizeofHdr;
  HeaderField<std::int16_t> dim;         // [0] the rank, [1] .. [rank] the extents
  HeaderField<std::int16_t> intentCode;  // what the values mean: kLabelIntents for labels
  HeaderField<std::int16_t> datatype;    // a DataType code
  HeaderField<std::int16_t> bitpix;      // bits per stored value
  HeaderField<float> voxOffset;          // where the voxel data start in the file
  HeaderField<float> sclSlope;           // real value = stored value * slope + intercept
  HeaderField<float> sclInter;
  HeaderField<float> pixdim;  // [0] qfac (the sign of k in the qform), [1] .. [3] voxel edges
  HeaderField<std::int16_t> qformCode, sformCode;  // > 0: that transform holds
  HeaderField<float> quatern;                      // b, c, d of the qform's rotation quaternion
  HeaderField<float> qoffset;                      // the qform's x, y, z of voxel (0, 0, 0)
  HeaderField<float> srow;  // the sform's three rows of four, x then y then z
  std::size_t magic;        // four bytes, the terminating NUL included
};

inline constexpr HeaderLayout kNifti1{.bytes = 348,
                                      .sizeofHdr = {0},
                                      .dim = {40},
                                      .intentCode = {68},
                                      .datatype = {70},
                                      .bitpix = {72},
                                      .voxOffset = {108},
                                      .sclSlope = {112},
                                      .sclInter = {116},
                                      .pixdim = {76},
                                      .qformCode = {252},
                                      .sformCode = {254},
                                      .quatern = {256},
                                      .qoffset = {268},
                                      .srow = {280},
                                      .magic = 344};

// The intent codes of values that are labels: NIFTI_INTENT_LABEL and
// NIFTI_INTENT_NEURONAME.
inline constexpr std::int16_t kLabelIntents[] = {1002, 1007};

// NIfTI-2, known only so that it is refused by name: a 540-byte header
// whose magic follows sizeof_hdr.
struct Nifti2Layout {
  std::size_t bytes;
  HeaderField<std::int32_t> sizeofHdr;
  std::size_t magic;  // four bytes, the terminating NUL included
};

inline constexpr Nifti2Layout kNifti2{.bytes = 540, .sizeofHdr = {0}, .magic = 4};
inline constexpr char kNifti2SingleFileMagic[4] = "n+2";
inline constexpr char kNifti2SeparateHeaderMagic[4] = "ni2";

// dim holds the rank and at most seven extents.
inline constexpr int kMaxRank = 7;

// The magic of a single file (.nii), header and voxel data together, and
// of a header stored apart from its data (.hdr beside .img).
inline constexpr char kSingleFileMagic[4] = "n+1";
inline constexpr char kSeparateHeaderMagic[4] = "ni1";

// The datatype codes: how each voxel's value is stored.
enum DataType : int {
  kUint8 = 2,
  kInt16 = 4,
  kInt32 = 8,
  kFloat32 = 16,
  kComplex64 = 32,
  kFloat64 = 64,
  kRgb24 = 128,
  kInt8 = 256,
  kUint16 = 512,
  kUint32 = 768,
  kInt64 = 1024,
  kUint64 = 1280,
  kFloat128 = 1536,
  kComplex128 = 1792,
  kComplex256 = 2048,
  kRgba32 = 2304
};

// True for every code above: a file may state any of them, whether or not
// the reader turns its values into voxels.
constexpr bool IsDefinedType(int datatype) {
  switch (datatype) {
    case kUint8:
    case kInt16:
    case kInt32:
    case kFloat32:
    case kComplex64:
    case kFloat64:
    case kRgb24:
    case kInt8:
    case kUint16:
    case kUint32:
    case kInt64:
    case kUint64:
    case kFloat128:
    case kComplex128:
    case kComplex256:
    case kRgba32:
      return true;
    default:
      return false;
  }
}

}  // namespace nifti
