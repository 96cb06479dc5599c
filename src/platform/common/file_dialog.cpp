#include "platform/common/file_dialog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/common/child_process.h"
#include "platform/common/display_environment.h"

namespace platform {
namespace {

std::vector<std::string> SplitPatterns(std::string_view list) {
  std::vector<std::string> patterns;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) patterns.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return patterns;
}

// Win32 matches patterns without regard to case; the choosers do not, so
// each pattern also goes in upper and lower case.
std::vector<std::string> WithCaseVariants(const std::vector<std::string>& patterns) {
  std::vector<std::string> out;
  auto add = [&out](const std::string& p) {
    for (const std::string& q : out)
      if (q == p) return;
    out.push_back(p);
  };
  for (const std::string& p : patterns) {
    std::string lower = p, upper = p;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    add(p);
    add(lower);
    add(upper);
  }
  return out;
}

std::string JoinPatterns(const FileFilter& filter, char separator) {
  std::string text;
  for (const std::string& p : WithCaseVariants(filter.patterns)) {
    if (!text.empty()) text += separator;
    text += p;
  }
  return text;
}

// The filter in force (nFilterIndex counts from 1; 0 means the first) goes
// first, since both choosers start with their first filter.
std::vector<FileFilter> FiltersInOrder(const OPENFILENAMEA& record) {
  std::vector<FileFilter> filters = ParseFilterList(record.lpstrFilter);
  const size_t chosen = record.nFilterIndex > 0 ? record.nFilterIndex - 1 : 0;
  if (chosen > 0 && chosen < filters.size()) {
    FileFilter first = filters[chosen];
    filters.erase(filters.begin() + static_cast<std::ptrdiff_t>(chosen));
    filters.insert(filters.begin(), first);
  }
  return filters;
}

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return ".";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

std::string WithTrailingSlash(std::string directory) {
  if (directory.empty() || directory.back() != '/') directory += '/';
  return directory;
}

bool IsExistingFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// A typed name without an extension that names no file stands for the name
// with the record's default extension, when that file exists; else empty.
std::string WithDefaultExtension(const OPENFILENAMEA& record, std::string_view path,
                                 std::string_view name) {
  if (!record.lpstrDefExt || !record.lpstrDefExt[0] || name.empty() ||
      name.find('.') != std::string_view::npos) {
    return {};
  }
  const std::string typed(path);
  if (IsExistingFile(typed)) return {};
  std::string extended = typed + '.' + record.lpstrDefExt;
  return IsExistingFile(extended) ? extended : std::string();
}

// The chooser's answer: one path and a line feed.
std::string AnswerPath(std::string output) {
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  return output;
}

}  // namespace

std::vector<FileFilter> ParseFilterList(LPCSTR filterList) {
  std::vector<FileFilter> filters;
  if (!filterList) return filters;
  const char* p = filterList;
  while (*p) {
    FileFilter filter;
    filter.name = p;
    p += filter.name.size() + 1;
    const std::string patterns = p;
    p += patterns.size() + 1;
    filter.patterns = SplitPatterns(patterns);
    filters.push_back(std::move(filter));
    if (patterns.empty()) break;  // a name without patterns ends a malformed list
  }
  return filters;
}

std::string DialogStartPath(const OPENFILENAMEA& record) {
  if (record.lpstrFile && record.lpstrFile[0]) {
    std::string proposed = record.lpstrFile;
    if (proposed.front() != '/') proposed = WithTrailingSlash(CurrentDirectory()) + proposed;
    return proposed;
  }
  if (record.lpstrInitialDir && record.lpstrInitialDir[0]) {
    return WithTrailingSlash(record.lpstrInitialDir);
  }
  return WithTrailingSlash(CurrentDirectory());
}

std::vector<std::string> ZenityArguments(const OPENFILENAMEA& record, std::string_view startPath) {
  std::vector<std::string> args = {"zenity", "--file-selection"};
  if (record.lpstrTitle) args.push_back(std::string("--title=") + record.lpstrTitle);
  args.push_back("--filename=" + std::string(startPath));
  for (const FileFilter& filter : FiltersInOrder(record)) {
    args.push_back("--file-filter=" + filter.name + " | " + JoinPatterns(filter, ' '));
  }
  return args;
}

std::vector<std::string> KdialogArguments(const OPENFILENAMEA& record, std::string_view startPath) {
  std::vector<std::string> args = {"kdialog"};
  if (record.lpstrTitle) {
    args.push_back("--title");
    args.push_back(record.lpstrTitle);
  }
  args.push_back("--getopenfilename");
  args.push_back(std::string(startPath));
  std::string filterText;
  for (const FileFilter& filter : FiltersInOrder(record)) {
    if (!filterText.empty()) filterText += '\n';
    filterText += JoinPatterns(filter, ' ') + "|" + filter.name;
  }
  if (!filterText.empty()) args.push_back(filterText);
  return args;
}

BOOL StoreChosenPath(OPENFILENAMEA& record, std::string_view path) {
  if (path.empty()) return FALSE;
  const size_t nameStart = path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/') + 1;
  const std::string extended = WithDefaultExtension(record, path, path.substr(nameStart));
  if (!extended.empty()) path = extended;
  const std::string_view name = path.substr(nameStart);
  if (!record.lpstrFile || path.size() >= record.nMaxFile) {
    std::fprintf(stderr, "file dialog: the chosen path is too long (%zu characters, at most %lu)\n",
                 path.size(),
                 record.nMaxFile ? static_cast<unsigned long>(record.nMaxFile - 1) : 0ul);
    return FALSE;
  }
  if (record.lpstrFileTitle && name.size() >= record.nMaxFileTitle) {
    std::fprintf(stderr, "file dialog: the chosen file name is too long (%zu characters)\n",
                 name.size());
    return FALSE;
  }
  const std::string pathText(path);
  if ((record.Flags & OFN_FILEMUSTEXIST) && !IsExistingFile(pathText)) {
    std::fprintf(stderr, "file dialog: no such file: %s\n", pathText.c_str());
    return FALSE;
  }
  std::memcpy(record.lpstrFile, path.data(), path.size());
  record.lpstrFile[path.size()] = '\0';
  if (record.lpstrFileTitle) {
    std::memcpy(record.lpstrFileTitle, name.data(), name.size());
    record.lpstrFileTitle[name.size()] = '\0';
  }
  const size_t dot = name.rfind('.');
  const size_t extension = dot == std::string_view::npos ? path.size() : nameStart + dot + 1;
  record.nFileOffset = static_cast<WORD>(nameStart <= 0xFFFF ? nameStart : 0);
  record.nFileExtension = static_cast<WORD>(extension <= 0xFFFF ? extension : 0);
  return TRUE;
}

BOOL RunOpenFileDialog(OPENFILENAMEA& record) {
  if (!EnvironmentNamesDisplay()) {
    std::fprintf(stderr, "file dialog: no display to show it on\n");
    return FALSE;
  }
  const std::string start = DialogStartPath(record);
  ChildResult answer = RunChildProcess(ZenityArguments(record, start));
  if (!answer.started) answer = RunChildProcess(KdialogArguments(record, start));
  if (!answer.started) {
    std::fprintf(stderr, "file dialog: neither zenity nor kdialog could be run\n");
    return FALSE;
  }
  if (answer.exitStatus != 0) return FALSE;  // cancelled (the chooser reports its own errors)
  return StoreChosenPath(record, AnswerPath(std::move(answer.output)));
}

}  // namespace platform
