// Runs the viewer's own open-file dialog call against the desktop's real
// chooser, proposing the path given as the argument, and prints what came
// back: "result=N path=P name=N".
#include <cstdio>
#include <cstring>

#include "app/input_file.h"

int main(int argc, char** argv) {
  if (argc > 1) std::snprintf(inputPath, sizeof inputPath, "%s", argv[1]);
  const int result = ChooseInputFile(inputFileName, inputPath);
  std::printf("result=%d path=%s name=%s\n", result ? 1 : 0, result ? inputPath : "",
              result ? inputFileName : "");
  return 0;
}
