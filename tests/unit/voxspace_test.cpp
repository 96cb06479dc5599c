#include "voxel/voxspace.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/headless/headless_control.h"
#include "platform/winapi.h"

using platform::headless::ClearMessageBoxJournal;
using platform::headless::MessageBoxJournal;

namespace {

class VoxSpaceTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearMessageBoxJournal(); }
};

TEST_F(VoxSpaceTest, NewVolumeIsZeroedWithThe32BitDataSize) {
  VOXSPACE* v = InitVoxSpace(4, 5, 6, 8);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->dimX, 4u);
  EXPECT_EQ(v->dimY, 5u);
  EXPECT_EQ(v->dimZ, 6u);
  EXPECT_EQ(v->bitsPerVoxel, 8u);
  EXPECT_EQ(v->compressed, 0);
  EXPECT_EQ(v->dataSize, 120u);
  for (std::uint32_t i = 0; i < 120; ++i) ASSERT_EQ(v->data[i], 0) << i;
  FreeVoxSpace(v);

  // 27 bits round down to 3 bytes, but every voxel still has its byte:
  // the surface code reads one byte per voxel (the sanitizer build checks
  // the last one is inside the buffer).
  v = InitVoxSpace(3, 3, 3, 1);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->dataSize, 3u);
  EXPECT_EQ(v->data[26], 0);
  v->data[26] = 7;
  FreeVoxSpace(v);
  EXPECT_TRUE(MessageBoxJournal().empty());
}

TEST_F(VoxSpaceTest, ZeroDimensionsAndWrappedSizesStillGiveAUsableBuffer) {
  VOXSPACE* empty = InitVoxSpace(0, 7, 7, 8);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->dataSize, 0u);
  ASSERT_NE(empty->data, nullptr);
  empty->data[0] = 1;  // a zero-byte request still yields a real buffer
  FreeVoxSpace(empty);

  // 1024^3 voxels at 8 bits is 2^33 bits: the 32-bit dataSize wraps to 0,
  // the buffer still holds one byte per voxel.
  VOXSPACE* wrapped = InitVoxSpace(1024, 1024, 1024, 8);
  ASSERT_NE(wrapped, nullptr);
  EXPECT_EQ(wrapped->dataSize, 0u);
  EXPECT_EQ(wrapped->data[1024u * 1024u * 1024u - 1], 0);
  FreeVoxSpace(wrapped);
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

}  // namespace
