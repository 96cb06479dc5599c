// The first-frame table: how long a user waits for the first picture of a
// volume and how much memory that takes, from 128^3 to 1024^3 and on a
// head-sized scan. It runs the offscreen renderer qarmel-shot (the viewer's
// own start-up and first frame) as a child process, because the wait is the
// whole process's: load, surface, frame, picture, exit.
//
//   bench_first_frame [QARMEL-SHOT OPTION...]
//
// Prints the table with qarmel-shot's default options, then once more with
// the options given; given none, with --merged when qarmel-shot offers it.
// Exit status 1 only when something could not be made or run: a missed
// target is printed as OVER, not failed.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "child_process.h"
#include "first_frame_inputs.h"
#include "first_frame_measure.h"
#include "first_frame_table.h"
#include "scratch_directory.h"
#include "sibling_programs.h"
#include "stop_request.h"

namespace {

constexpr char kStopped[] = "stopped by a signal";

constexpr MemoryBudget kDefaultBudget{100, 80};
// --merged draws fewer, larger polygons: it is held to a tighter budget per face.
constexpr MemoryBudget kMergedBudget{100, 32};

struct TableRun {
  std::vector<std::string> options;  // for qarmel-shot, after FILE -o OUT.png

  bool Merged() const {
    return std::find(options.begin(), options.end(), "--merged") != options.end();
  }

  std::string Title() const {
    std::string title = "first frame: qarmel-shot FILE -o OUT.png";
    for (const std::string& o : options) title += " " + o;
    return title;
  }
};

// Builds of qarmel-shot from before --merged reject it: its table comes with the option only.
bool ShotOffers(const std::string& shot, const char* option) {
  const ChildRun help = RunChild({shot, "--help"}, ChildOutput::kCapture);
  return help.succeeded && help.output.find(option) != std::string::npos;
}

std::vector<TableRun> TablesToRun(const std::string& shot, int argc, char** argv) {
  std::vector<std::string> extra(argv + 1, argv + argc);
  if (extra.empty() && ShotOffers(shot, "--merged")) extra = {"--merged"};
  std::vector<TableRun> tables = {TableRun{}};
  if (!extra.empty()) tables.push_back(TableRun{extra});
  return tables;
}

// Every volume is made before the first table, so that the tables share them;
// progress goes to standard error, as making 1024^3 takes a while.
bool PrepareVolumes(const SiblingPrograms& programs, const std::string& directory,
                    std::vector<PreparedVolume>& prepared) {
  for (const FirstFrameVolume& volume : FirstFrameVolumes()) {
    if (StopRequested()) return false;
    std::fprintf(stderr, "making %s\n", volume.label.c_str());
    std::string error;
    std::optional<PreparedVolume> input = PrepareVolume(programs, volume, directory, error);
    if (!input) {
      std::fprintf(stderr, "bench_first_frame: %s\n", error.c_str());
      return false;
    }
    prepared.push_back(*input);
  }
  return true;
}

// False if a row failed or the run was stopped.
bool RunTable(const TableRun& table, const std::string& shot,
              const std::vector<PreparedVolume>& inputs, const std::string& png) {
  FirstFrameTable printed(table.Title(), table.Merged() ? kMergedBudget : kDefaultBudget,
                          table.Merged());
  bool allRan = true;
  for (const PreparedVolume& input : inputs) {
    if (StopRequested()) return false;
    const FirstFrameRow row = MeasureFirstFrame(shot, input, table.options, png);
    printed.PrintRow(row);
    allRan = allRan && row.succeeded;
  }
  printed.PrintSummary();
  return allRan;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "bench_first_frame: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::puts(
        "usage: bench_first_frame [QARMEL-SHOT OPTION...]\n"
        "The first-frame table of qarmel-shot on volumes from 128^3 to 1024^3, with its default\n"
        "options and then with the options given (with none: --merged, if qarmel-shot has it).");
    return 0;
  }
  CatchStopSignals();
  std::string error;
  const std::optional<SiblingPrograms> programs = FindSiblingPrograms(error);
  if (!programs) return Fail(error);
  const ScratchDirectory scratch;  // removed, with the volumes, on every way out of main
  if (scratch.path().empty()) return Fail("cannot make a temporary directory");

  std::vector<PreparedVolume> inputs;
  if (!PrepareVolumes(*programs, scratch.path(), inputs))
    return StopRequested() ? Fail(kStopped) : 1;
  bool allRan = true;
  for (const TableRun& table : TablesToRun(programs->shot, argc, argv)) {
    allRan = RunTable(table, programs->shot, inputs, scratch.path() + "/first-frame.png") && allRan;
    if (StopRequested()) break;
  }
  if (StopRequested()) return Fail(kStopped);
  return allRan ? 0 : 1;
}
