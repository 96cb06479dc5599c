// The volumes on disk, made once per bench run and shared by its tables,
// with their face counts: the faces are what the viewer builds and draws,
// so time and memory are judged per voxel and per face.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "first_frame_volumes.h"
#include "sibling_programs.h"

struct PreparedVolume {
  const FirstFrameVolume* volume;
  std::string path;     // the CUB file
  std::uint64_t faces;  // exposed faces, as qarmel-shot --info counts them
};

// Writes the volume into `directory` with cubgen and counts its faces;
// nullopt, with `error` saying why, on failure.
std::optional<PreparedVolume> PrepareVolume(const SiblingPrograms& programs,
                                            const FirstFrameVolume& volume,
                                            const std::string& directory, std::string& error);
