#include "voxel/byte_source.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/common/regular_file.h"

namespace {

// A gzipped stream starts with these two bytes.
constexpr unsigned char kGzipMagic[2] = {0x1F, 0x8B};
// Deflate spends at least two bits on a run of 258 bytes, so no stream
// inflates to more than 1032 times its length, however many gzip members
// it has and whatever their length words say.
constexpr std::uint64_t kDeflateMostRatio = 1032;
// Compressed data are read from the file this much at a time.
constexpr std::size_t kInputBytes = std::size_t{1} << 16;

// Why a zlib call failed, in the reader's words; `said` is zlib's message.
std::string Damage(int code, std::string said, const std::string& path,
                   const std::string& cutShort) {
  // zlib names a gzip stream "<fd:N>": the path is named instead.
  if (said.rfind("<fd:", 0) == 0 && said.find(">: ") != std::string::npos)
    said.erase(0, said.find(">: ") + 3);
  switch (code) {
    case Z_DATA_ERROR:
      if (said == "incorrect data check")
        return path + " is damaged: CRC does not match the data (" + said + ")";
      if (said == "incorrect length check")
        return path + " is damaged: gzip length word does not match the data (" + said + ")";
      return path + " is damaged: " + said;
    case Z_ERRNO:
      return "cannot read " + path + ": " + said;
    case Z_MEM_ERROR:
      return "not enough memory to read " + path;
    default:  // Z_OK at the end of the data, Z_BUF_ERROR when a stream stops early
      return cutShort;
  }
}

// Plain or gzipped data through zlib's gz functions, which read a file
// without the gzip magic as it is. Owns the descriptor.
class GzSource : public ByteSource {
 public:
  GzSource(gzFile stream, std::string path) : stream_(stream), path_(std::move(path)) {}
  ~GzSource() override { gzclose(stream_); }
  GzSource(const GzSource&) = delete;
  GzSource& operator=(const GzSource&) = delete;

  bool Read(void* out, std::size_t count) override {
    auto* bytes = static_cast<unsigned char*>(out);
    // gzread counts in int: large reads go in pieces.
    while (count > 0) {
      const unsigned piece = static_cast<unsigned>(std::min<std::size_t>(count, 1u << 30));
      if (gzread(stream_, bytes, piece) != static_cast<int>(piece)) return false;
      bytes += piece, count -= piece;
    }
    return true;
  }

  std::string Failure(const std::string& cutShort) override {
    return GzReadFailure(stream_, path_, cutShort);
  }

  bool Finish() override {
    // Data that follow (a further volume) are left unread. A gzip stream
    // that stops before its trailer reads as an early end (Z_BUF_ERROR):
    // its data cannot be checked, so it counts as cut short.
    unsigned char next = 0;
    if (gzread(stream_, &next, 1) < 0) return false;
    int code = Z_OK;
    gzerror(stream_, &code);
    return code != Z_BUF_ERROR;
  }

 private:
  gzFile stream_;
  std::string path_;
};

// Plain data straight from the file. Owns the descriptor.
class PlainSource : public ByteSource {
 public:
  PlainSource(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PlainSource() override { close(fd_); }
  PlainSource(const PlainSource&) = delete;
  PlainSource& operator=(const PlainSource&) = delete;

  bool Read(void* out, std::size_t count) override {
    auto* bytes = static_cast<unsigned char*>(out);
    while (count > 0) {
      const ssize_t got = read(fd_, bytes, std::min<std::size_t>(count, std::size_t{1} << 30));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) error_ = std::strerror(errno);
      if (got <= 0) return false;
      bytes += got, count -= static_cast<std::size_t>(got);
    }
    return true;
  }

  std::string Failure(const std::string& cutShort) override {
    return error_.empty() ? cutShort : "cannot read " + path_ + ": " + error_;
  }

  bool Finish() override { return true; }

 private:
  int fd_;
  std::string path_;
  std::string error_;
};

// A zlib (or gzip) stream inflated with zlib's own inflate. Owns the
// descriptor.
class ZlibSource : public ByteSource {
 public:
  ZlibSource(int fd, std::string path) : fd_(fd), path_(std::move(path)), input_(kInputBytes) {}
  ~ZlibSource() override {
    if (started_) inflateEnd(&stream_);
    close(fd_);
  }
  ZlibSource(const ZlibSource&) = delete;
  ZlibSource& operator=(const ZlibSource&) = delete;

  bool Start() {
    // 15 + 32: a zlib or a gzip wrapper, whichever the stream has.
    started_ = inflateInit2(&stream_, 15 + 32) == Z_OK;
    if (!started_) code_ = Z_MEM_ERROR;
    return started_;
  }

  bool Read(void* out, std::size_t count) override {
    auto* bytes = static_cast<unsigned char*>(out);
    while (count > 0) {
      if (ended_ || code_ != Z_OK) return false;
      if (stream_.avail_in == 0 && !Refill()) return false;
      const uInt piece = static_cast<uInt>(std::min<std::size_t>(count, 1u << 30));
      stream_.next_out = bytes;
      stream_.avail_out = piece;
      const int code = inflate(&stream_, Z_NO_FLUSH);
      const std::size_t got = piece - stream_.avail_out;
      bytes += got, count -= got;
      if (code == Z_STREAM_END) {
        ended_ = true;
      } else if (code != Z_OK && !(code == Z_BUF_ERROR && got > 0)) {
        code_ = code == Z_NEED_DICT ? Z_DATA_ERROR : code;
        message_ = stream_.msg ? stream_.msg : "invalid stream";
      }
    }
    return true;
  }

  std::string Failure(const std::string& cutShort) override {
    if (code_ == Z_ERRNO) return "cannot read " + path_ + ": " + message_;
    return Damage(code_, message_, path_, cutShort);
  }

  // The stream's check value is read as soon as its last block is: a
  // damaged trailer has already failed the last Read.
  bool Finish() override { return code_ == Z_OK; }

 private:
  bool Refill() {
    const ssize_t got = read(fd_, input_.data(), input_.size());
    if (got < 0) {
      code_ = Z_ERRNO, message_ = std::strerror(errno);
      return false;
    }
    if (got == 0) return false;  // the data ended
    stream_.next_in = input_.data();
    stream_.avail_in = static_cast<uInt>(got);
    return true;
  }

  int fd_;
  std::string path_;
  std::vector<unsigned char> input_;
  z_stream stream_{};
  bool started_ = false, ended_ = false;
  int code_ = Z_OK;
  std::string message_;
};

// Skips `count` bytes of the stream.
bool Skip(ByteSource& source, std::uint64_t count) {
  std::vector<unsigned char> scratch(
      static_cast<std::size_t>(std::min<std::uint64_t>(count, kInputBytes)));
  while (count > 0) {
    const std::size_t piece =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, scratch.size()));
    if (!source.Read(scratch.data(), piece)) return false;
    count -= piece;
  }
  return true;
}

}  // namespace

std::string GzReadFailure(gzFile_s* stream, const std::string& path, const std::string& cutShort) {
  int code = Z_OK;
  const char* said = gzerror(stream, &code);
  return Damage(code, said ? said : "", path, cutShort);
}

std::unique_ptr<ByteSource> OpenByteSource(const std::string& path, const DataPlace& place,
                                           DataFacts& facts, std::string& reason) {
  const int fd = platform::OpenRegularFile(path.c_str(), reason);
  if (fd < 0) {
    reason = "cannot open " + path + ": " + reason;
    return nullptr;
  }
  struct stat status {};
  if (fstat(fd, &status) != 0) {
    reason = "cannot read " + path + ": " + std::strerror(errno);
    close(fd);
    return nullptr;
  }
  facts.size = static_cast<std::uint64_t>(status.st_size);
  unsigned char magic[sizeof kGzipMagic] = {};
  const bool gzipped = place.encoding != DataEncoding::kPlain && place.fileOffset < facts.size &&
                       pread(fd, magic, sizeof magic, static_cast<off_t>(place.fileOffset)) ==
                           static_cast<ssize_t>(sizeof magic) &&
                       std::memcmp(magic, kGzipMagic, sizeof magic) == 0;
  facts.gzipped = gzipped;
  facts.compressed = place.encoding == DataEncoding::kZlib || gzipped;
  if (place.fileOffset > facts.size ||
      lseek(fd, static_cast<off_t>(place.fileOffset), SEEK_SET) < 0) {
    reason = "the voxel data of " + path + " is cut short";
    close(fd);
    return nullptr;
  }
  std::unique_ptr<ByteSource> source;
  if (place.encoding == DataEncoding::kPlain) {
    source = std::make_unique<PlainSource>(fd, path);
  } else if (place.encoding == DataEncoding::kZlib) {
    auto zlib = std::make_unique<ZlibSource>(fd, path);
    if (zlib->Start()) source = std::move(zlib);
  } else if (gzFile stream = gzdopen(fd, "rb")) {
    source = std::make_unique<GzSource>(stream, path);
  } else {
    close(fd);
  }
  if (!source) {
    reason = "not enough memory to read " + path;
    return nullptr;
  }
  if (!Skip(*source, place.streamSkip)) {
    reason = source->Failure("the voxel data of " + path + " is cut short");
    return nullptr;
  }
  return source;
}

std::string CheckDataFits(std::uint64_t needed, bool neededOverflows, std::uint64_t available,
                          const DataFacts& facts, const std::string& path) {
  if (!facts.compressed) {
    if (neededOverflows || available < needed) return "the voxel data of " + path + " is cut short";
    return {};
  }
  std::uint64_t most = 0;
  if (__builtin_mul_overflow(available, kDeflateMostRatio, &most))
    most = std::numeric_limits<std::uint64_t>::max();
  if (neededOverflows || needed > most) {
    return "the header of " + path + " claims " +
           (neededOverflows ? std::string("more than 2^64") : std::to_string(needed)) +
           " bytes, more than its " + std::to_string(available) +
           (facts.gzipped ? " gzipped" : " compressed") + " bytes can hold";
  }
  return {};
}
