// Writes a well-formed CUB file: "CUB1", a HEA1 header (8 bits per voxel),
// one DAT1 chunk with the voxel bytes (x fastest, then y, then z) and ENDF.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CubVolume {
  std::uint32_t dimX = 0, dimY = 0, dimZ = 0;
  std::vector<std::uint8_t> voxels;  // dimX*dimY*dimZ bytes

  std::uint8_t& At(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return voxels[x + std::size_t{dimX} * (y + std::size_t{dimY} * z)];
  }
};

// The file as bytes.
std::vector<std::uint8_t> EncodeCub(const CubVolume& volume);

// Writes the file through a temporary name and renames it into place, so
// an interrupted run never leaves a half-written file. Returns an empty
// text on success, else what went wrong.
std::string WriteCubFile(const std::string& path, const CubVolume& volume);
