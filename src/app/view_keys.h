// Looking inside: the cut plane keys (; [ ] '), and the title field that
// shows the chosen plane. Cut planes are the low and high side of each of
// the file's axes; a cut keeps the voxels between the planes, and the
// surface is built again in the background.
#pragma once

#include <string>

// ; chooses the next plane: x low, x high, y low, ... z high.
void ChooseNextCutPlane();
// ] moves the chosen plane one voxel into the volume, [ one voxel back
// out; a cut always keeps at least one slice.
void MoveCutPlane(bool inwards);
// ' removes every cut.
void RemoveCuts();

// h hides the label under the cursor, u shows only it, e shows every
// label again. Hidden voxels count as empty: the gap shows what is behind.
void HideLabelUnderCursor();
void ShowOnlyLabelUnderCursor();
void ShowEveryLabel();

// "cut x>=40": the chosen plane and where it is; empty while none is chosen.
std::string CutField();
// "only 17" or "3 hidden"; empty while every label shows.
std::string LabelField();
