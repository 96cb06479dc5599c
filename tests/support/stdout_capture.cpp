#include "stdout_capture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

StdoutCapture::StdoutCapture() {
  std::fflush(stdout);
  char name[] = "/tmp/qarmel-stdout-XXXXXX";
  file_ = mkstemp(name);
  if (file_ < 0) return;
  unlink(name);  // gone with its last descriptor
  saved_ = dup(STDOUT_FILENO);
  if (saved_ < 0 || dup2(file_, STDOUT_FILENO) < 0) {
    close(file_);
    file_ = -1;
  }
}

StdoutCapture::~StdoutCapture() { Finish(); }

std::string StdoutCapture::Finish() {
  if (file_ < 0) return "";
  std::fflush(stdout);
  dup2(saved_, STDOUT_FILENO);
  close(saved_);
  std::string text;
  char buffer[4096];
  ssize_t n = 0;
  for (off_t at = 0; (n = pread(file_, buffer, sizeof buffer, at)) > 0; at += n)
    text.append(buffer, static_cast<std::size_t>(n));
  close(file_);
  file_ = saved_ = -1;
  return text;
}
