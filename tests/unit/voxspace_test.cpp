#include "voxel/voxspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/headless/headless_control.h"
#include "platform/winapi.h"
#include "surface/face_census.h"

using platform::headless::ClearMessageBoxJournal;
using platform::headless::MessageBoxJournal;

namespace {

class VoxSpaceTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearMessageBoxJournal(); }
};

TEST_F(VoxSpaceTest, NewVolumeIsZeroed) {
  VOXSPACE* v = InitVoxSpace(4, 5, 6, 8);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->dimX, 4u);
  EXPECT_EQ(v->dimY, 5u);
  EXPECT_EQ(v->dimZ, 6u);
  EXPECT_EQ(v->bitsPerVoxel, 8u);
  EXPECT_EQ(v->compressed, 0);
  for (std::uint32_t i = 0; i < 120; ++i) ASSERT_EQ(v->data[i], 0) << i;
  FreeVoxSpace(v);
  EXPECT_TRUE(MessageBoxJournal().empty());
}

struct SizeCase {
  std::uint32_t dimX, dimY, dimZ, bits;
  std::uint64_t dataSize;
};

TEST_F(VoxSpaceTest, DataSizeIsTheTrueByteCountAndTheBufferHoldsIt) {
  const SizeCase cases[] = {
      {4, 5, 6, 8, 120},
      {3, 3, 3, 1, 3},  // 27 bits round down to 3 bytes
      {0, 7, 7, 8, 0},
      {1024, 1024, 1024, 8, 1u << 30},               // 2^33 bits: the 32-bit product is 0
      {3, 1, 1, 0x80000001u, 805306368},             // 3*(2^31+1) bits, rounded down
      {65536, 65536, 1, 8, std::uint64_t{1} << 32},  // no DAT1 can hold it, yet it exists
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.dimX << "x" << c.dimY << "x" << c.dimZ << " at " << c.bits);
    VOXSPACE* v = InitVoxSpace(c.dimX, c.dimY, c.dimZ, c.bits);
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->dataSize, c.dataSize);  // before reading its last byte
    // One byte per voxel for the surface code, all of dataSize for a DAT1
    // body, and a real buffer even without voxels (the sanitizer build
    // checks the last byte is inside it).
    const std::uint64_t voxels = std::uint64_t{c.dimX} * c.dimY * c.dimZ;
    const std::uint64_t last = std::max({voxels, c.dataSize, std::uint64_t{1}}) - 1;
    EXPECT_EQ(v->data[last], 0);
    v->data[last] = 7;
    FreeVoxSpace(v);
  }
  EXPECT_TRUE(MessageBoxJournal().empty());
}

TEST_F(VoxSpaceTest, SizesThatCannotBeHeldTakeTheAllocationFailurePath) {
  // The voxel count overflows 64 bits; then one that fits 64 bits but no memory.
  EXPECT_EQ(InitVoxSpace(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 8), nullptr);
  EXPECT_EQ(InitVoxSpace(1u << 20, 1u << 20, 1u << 20, 8), nullptr);
  ASSERT_EQ(MessageBoxJournal().size(), 2u);
  for (const auto& box : MessageBoxJournal()) {
    EXPECT_EQ(box.text, "InitVoxSpace() \n could not allocate memory for voxel data ");
    EXPECT_EQ(box.caption, "Dromb - error");
    EXPECT_EQ(box.flags, MB_TOPMOST | MB_ICONERROR);
    EXPECT_EQ(box.owner, nullptr);
  }
}

TEST_F(VoxSpaceTest, FreeAcceptsNone) { EXPECT_EQ(FreeVoxSpace(nullptr), 1); }

TEST_F(VoxSpaceTest, MirrorReversesSlicesAndIsItsOwnInverse) {
  VOXSPACE* v = InitVoxSpace(2, 3, 5, 8);
  ASSERT_NE(v, nullptr);
  for (std::uint32_t i = 0; i < 30; ++i) v->data[i] = static_cast<unsigned char>(i + 1);
  const std::vector<unsigned char> original(v->data, v->data + 30);

  ASSERT_EQ(MirrorVoxSpaceZ(v), 1);
  for (std::uint32_t z = 0; z < 5; ++z) {
    EXPECT_EQ(std::memcmp(v->data + z * 6, original.data() + (4 - z) * 6, 6), 0) << "slice " << z;
  }
  ASSERT_EQ(MirrorVoxSpaceZ(v), 1);
  EXPECT_EQ(std::vector<unsigned char>(v->data, v->data + 30), original);
  FreeVoxSpace(v);

  VOXSPACE* single = InitVoxSpace(3, 3, 1, 8);
  single->data[4] = 9;
  EXPECT_EQ(MirrorVoxSpaceZ(single), 1);
  EXPECT_EQ(single->data[4], 9);
  FreeVoxSpace(single);

  VOXSPACE* flat = InitVoxSpace(0, 0, 4, 8);
  EXPECT_EQ(MirrorVoxSpaceZ(flat), 1);
  FreeVoxSpace(flat);

  EXPECT_EQ(MirrorVoxSpaceZ(nullptr), 0);
}

TEST_F(VoxSpaceTest, AnUnfilledRecordSkipsMirrorAndCensusUntilClearedOrFreed) {
  // One interior voxel that the mirror moves from slice 1 to slice 2. The
  // record is set against the truth here, so that skipping shows.
  VOXSPACE* v = InitVoxSpace(3, 3, 4, 8);
  ASSERT_NE(v, nullptr);
  const std::size_t atZ1 = 1 + 3 + 9, atZ2 = atZ1 + 9;
  v->data[atZ1] = 5;
  const std::array<std::uint64_t, kFaceDirections> none{}, one{1, 1, 1, 1, 1, 1};
  SetVoxSpaceUnfilled(v, true);
  ASSERT_TRUE(IsVoxSpaceUnfilled(v));
  EXPECT_EQ(MirrorVoxSpaceZ(v), 1);
  EXPECT_EQ(v->data[atZ1], 5) << "the mirror copied slices of a recorded volume";
  EXPECT_EQ(surface::CountExposedFaces(*v), none) << "the census walked a recorded volume";
  SetVoxSpaceUnfilled(v, false);
  EXPECT_EQ(MirrorVoxSpaceZ(v), 1);
  EXPECT_EQ(v->data[atZ2], 5);
  EXPECT_EQ(surface::CountExposedFaces(*v), one);

  // Freeing forgets the record: a later volume, likely at the same address, is read.
  SetVoxSpaceUnfilled(v, true);
  FreeVoxSpace(v);
  VOXSPACE* next = InitVoxSpace(3, 3, 4, 8);
  ASSERT_NE(next, nullptr);
  EXPECT_FALSE(IsVoxSpaceUnfilled(next));
  FreeVoxSpace(next);
}

}  // namespace
