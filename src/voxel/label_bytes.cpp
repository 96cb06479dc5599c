#include "voxel/label_bytes.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace {

std::int64_t LabelOf(double value) { return static_cast<std::int64_t>(std::llround(value)); }

}  // namespace

std::optional<std::uint8_t> LabelBytes::ByteOf(std::int64_t label) const {
  if (!mapped) {
    if (label < 1 || label > 255) return std::nullopt;
    return static_cast<std::uint8_t>(label);
  }
  if (distinctLabels > 255) return std::nullopt;
  for (int byte = 1; byte < 256; ++byte)
    if (labelOf[byte] == label && label != 0) return static_cast<std::uint8_t>(byte);
  return std::nullopt;
}

LabelBytes MapLabelsToBytes(VOXSPACE& volume, const SourceValues& values) {
  LabelBytes bytes;
  if (!values.Any()) return bytes;
  std::unordered_map<std::int64_t, std::uint8_t> byteOf;
  bool beyondByte = false;
  values.VisitStored([&](std::uint64_t, double value) {
    const std::int64_t label = LabelOf(value);
    if (label == 0) return;
    beyondByte = beyondByte || label < 1 || label > 255;
    byteOf.emplace(label, 0);
  });
  if (!beyondByte) return bytes;
  std::vector<std::int64_t> labels;
  labels.reserve(byteOf.size());
  for (const auto& entry : byteOf) labels.push_back(entry.first);
  std::sort(labels.begin(), labels.end());
  for (std::size_t k = 0; k < labels.size(); ++k) {
    const auto byte = static_cast<std::uint8_t>(k % 255 + 1);
    byteOf[labels[k]] = byte;
    if (k < 255) bytes.labelOf[byte] = labels[k];
  }
  values.VisitStored([&](std::uint64_t index, double value) {
    const std::int64_t label = LabelOf(value);
    if (label != 0 && index < volume.dataSize) volume.data[index] = byteOf[label];
  });
  bytes.mapped = true;
  bytes.distinctLabels = labels.size();
  return bytes;
}
