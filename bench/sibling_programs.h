// The programs the first-frame bench runs, found from its own location
// (build/release/bench/bench_first_frame: build/release/qarmel-shot and
// build/release/tools/cubgen), so that it measures the tools of its own
// build tree whatever the working directory.
#pragma once

#include <optional>
#include <string>

struct SiblingPrograms {
  std::string shot;    // qarmel-shot
  std::string cubgen;  // the volume generator
};

// nullopt, with `error` saying why, if either is not there to run.
std::optional<SiblingPrograms> FindSiblingPrograms(std::string& error);
