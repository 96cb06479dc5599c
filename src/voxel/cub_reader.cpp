#include "voxel/cub_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/common/regular_file.h"
#include "platform/winapi.h"
#include "voxel/load_progress.h"

namespace {

constexpr std::size_t kHeaderWords = 6;

void Report(const char* text) { MessageBoxA(nullptr, text, "LoadCub()", MB_OK); }

bool ReadBytes(std::FILE* file, void* out, std::size_t count) {
  return std::fread(out, 1, count, file) == count;
}

bool ReadWord(std::FILE* file, std::uint32_t* word) {
  unsigned char bytes[4];
  if (!ReadBytes(file, bytes, sizeof bytes)) return false;
  *word = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
          std::uint32_t{bytes[3]} << 24;
  return true;
}

bool TagIs(const char tag[4], const char* name) { return std::memcmp(tag, name, 4) == 0; }

// The six header words; false when the file ended before all were read
// (the missing ones read as 0).
bool ReadHeaderWords(std::FILE* file, std::uint32_t* words) {
  bool complete = true;
  for (std::size_t i = 0; i < kHeaderWords; ++i) {
    if (!ReadWord(file, &words[i])) {
      words[i] = 0;
      complete = false;
    }
  }
  return complete;
}

// HEA1: a complete header replaces the current volume (releasing the
// earlier one first); a header cut short by the end of the file makes no
// volume, and the next tag read reports the end.
void ReadHeaderChunk(std::FILE* file, VOXSPACE*& volume, bool& filled) {
  std::uint32_t bodySize = 0;
  const bool sized = ReadWord(file, &bodySize);  // the header is 24 bytes, whatever this says
  std::uint32_t words[kHeaderWords];
  if (!ReadHeaderWords(file, words) || !sized) return;
  FreeVoxSpace(volume);
  volume = InitVoxSpace(words[0], words[1], words[2], words[3]);
  filled = false;
}

void ReadDataChunk(std::FILE* file, VOXSPACE*& volume, bool& filled, bool& error) {
  std::uint32_t bodySize = 0;
  if (ReadWord(file, &bodySize) && ReadDAT1chunk(file, bodySize, volume)) {
    filled = true;
    return;
  }
  Report("corrupt voxel data");
  FreeVoxSpace(volume);
  volume = nullptr;
  error = true;
}

void SkipUnknownChunk(std::FILE* file, bool& error) {
  std::uint32_t bodySize = 0;
  const bool skipped = ReadWord(file, &bodySize) && SkipChunk(file, bodySize);
  Report("skipped unknown chunk");
  if (!skipped) error = true;
}

}  // namespace

int ReadHEA1chunk(std::FILE* file, std::uint32_t /*bodySize*/, std::uint32_t* words) {
  if (!words) return 0;
  ReadHeaderWords(file, words);
  return 1;
}

int ReadDAT1chunk(std::FILE* file, std::uint32_t bodySize, VOXSPACE* volume) {
  if (!volume) return 0;
  if (volume->compressed) {
    MessageBoxA(nullptr, "cannot read compressed file", "ReadDAT1chunk()", MB_OK);
    return 0;
  }
  // Compared in 64 bits: a dataSize above 2^32 - 1 matches no size word.
  if (bodySize != volume->dataSize) return 0;
  // In pieces, so that a long read can say how far it has come.
  constexpr std::uint32_t kPiece = 64u << 20;
  for (std::uint32_t done = 0; done < bodySize;) {
    const std::uint32_t piece = std::min(kPiece, bodySize - done);
    if (!ReadBytes(file, volume->data + done, piece)) return 0;
    done += piece;
    ReportLoadProgress(done, bodySize);
  }
  return 1;
}

int SkipChunk(std::FILE* file, std::uint32_t bodySize) {
  // Read in blocks rather than byte by byte: the same outcome (the end of
  // the file is found exactly), at the speed of a plain read.
  unsigned char block[64 * 1024];
  std::uint32_t remaining = bodySize;
  while (remaining > 0) {
    const std::size_t step = remaining < sizeof block ? remaining : sizeof block;
    if (!ReadBytes(file, block, step)) return 0;
    remaining -= static_cast<std::uint32_t>(step);
  }
  return 1;
}

VOXSPACE* LoadCub(const char* path) {
  if (!path) return nullptr;
  // Opened without blocking and refused unless a regular file: a FIFO would
  // wait for a writer, a directory or a device holds no file to read.
  std::string reason;
  std::FILE* file = platform::OpenRegularFileStream(path, reason);
  if (!file) {
    // No box (the caller's "cannot load" follows); the reason is on stderr.
    std::fprintf(stderr, "LoadCub(): cannot open %s: %s\n", path, reason.c_str());
    return nullptr;
  }

  char magic[4];
  if (!ReadBytes(file, magic, sizeof magic) || !TagIs(magic, "CUB1")) {
    Report("not a cub file");
    std::fclose(file);
    return nullptr;
  }

  VOXSPACE* volume = nullptr;
  bool filled = false;  // whether a DAT1 was read into the current volume
  bool error = false;
  bool done = false;
  while (!done && !error) {
    char tag[4];
    if (!ReadBytes(file, tag, sizeof tag)) {
      Report("unexpected end of file found");
      error = true;
    } else if (TagIs(tag, "HEA1")) {
      ReadHeaderChunk(file, volume, filled);
    } else if (TagIs(tag, "DAT1")) {
      ReadDataChunk(file, volume, filled, error);
    } else if (TagIs(tag, "ENDF")) {
      done = true;
    } else {
      SkipUnknownChunk(file, error);
    }
  }
  if (error) Report("error in file");
  std::fclose(file);
  // Only the header spoke: the volume is all zeros, however large it says it
  // is, and the mirror and the face census need not touch it.
  if (volume && !filled) SetVoxSpaceUnfilled(volume, true);
  return volume;
}
