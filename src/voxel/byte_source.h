// The stored values of a scan, as a stream of bytes: a plain or gzipped
// file (zlib reads both, and concatenated gzip members as one), or a zlib
// stream (MetaImage's compressed data). Only regular files are opened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Exactly `count` bytes into `out`, or false.
  virtual bool Read(void* out, std::size_t count) = 0;
  // Why the last read came up short: a damaged stream or a read error in
  // the stream's words, else `cutShort` (the data simply ended).
  virtual std::string Failure(const std::string& cutShort) = 0;
  // Called after the last value: a compressed stream checks its trailer,
  // which the last value may not quite reach. False when it is damaged or
  // missing; Failure then says why.
  virtual bool Finish() = 0;
};

struct gzFile_s;

// Why a read through zlib's gz functions came up short, in the reader's
// words: a damaged stream (zlib's words, the trailer's two checks named),
// a read error, else `cutShort` (the data simply ended).
std::string GzReadFailure(gzFile_s* stream, const std::string& path, const std::string& cutShort);

// Plain data as they are (raw values may well start with gzip's magic),
// a file that may be gzipped (NIfTI: known by its magic), or zlib data.
enum class DataEncoding { kPlain, kPlainOrGzip, kZlib };

// Where a scan's values lie: the stream starts `fileOffset` bytes into
// the file, and its first `streamSkip` bytes (after inflating) come before
// the values.
struct DataPlace {
  std::uint64_t fileOffset = 0;
  std::uint64_t streamSkip = 0;
  DataEncoding encoding = DataEncoding::kPlainOrGzip;
};

// The file's length and whether the stream is compressed.
struct DataFacts {
  std::uint64_t size = 0;
  bool compressed = false;
  bool gzipped = false;  // compressed with the gzip wrapper
};

// The values of `path` at `place`, the stream positioned at the first one;
// none with the reason (naming the file) in `reason`. `facts` tells the
// file's length and whether the stream is compressed, for CheckDataFits.
std::unique_ptr<ByteSource> OpenByteSource(const std::string& path, const DataPlace& place,
                                           DataFacts& facts, std::string& reason);

// Whether data of `needed` bytes can lie in the `available` bytes of a
// file that `facts` describes: as they are, or compressed (no deflate
// stream inflates to more than 1032 times its length). An empty text when
// they can, else the reason. Checked before any memory is taken.
std::string CheckDataFits(std::uint64_t needed, bool neededOverflows, std::uint64_t available,
                          const DataFacts& facts, const std::string& path);
