// Choosing and loading the one input file of a run: from the argument text
// when there is one, otherwise from the open-file dialog.
#pragma once

#include "app/app_state.h"
#include "voxel/scan_layout.h"

// Fills `directory` with the executable's directory (trailing '/'
// included) taken from the process command line, or the empty text when
// there is no directory or it does not fit.
void GetExeDirectory(char (&directory)[kExeDirectorySize]);

// 1 when theVolume holds the loaded file, 0 when the dialog was cancelled.
// A file that cannot be loaded ends the process with exit code 1 after the
// "cannot load %s" box.
int GetInputFile(const char* argumentText);

// Loads `path` into theVolume, and a scan's voxel size into theSurface
// (before any geometry is built); false when it cannot be loaded. What the
// header says goes to `facts` when given.
bool LoadVolumeFile(const char* path, VolumeFacts* facts = nullptr);

// The colours by value of the volume loaded from `path`: its colour table
// (if any) over the built-in colours, through the labels' bytes.
void UseVolumeColours(const char* path);

// Runs the open-file dialog; non-zero when the user confirmed a file, which
// then fills both buffers.
int ChooseInputFile(char (&fileNameOut)[kInputFileNameSize], char (&pathOut)[kInputPathSize]);
