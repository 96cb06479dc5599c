// Every process-wide object of the viewer. C++ constructs the objects of
// one file in the order they are defined and destroys them in reverse at
// exit, so this order is the start-up order: the frame clock's frequency,
// the two cameras, the input records, the texture, the labels' colours, the
// surface, and last the frame clock's first sample.
#include "app/app_state.h"
#include "render/frame_display.h"
#include "render/scene_setup.h"

// Plain data first: zero-initialised before any constructor runs.
AppSettings appSettings;
HWND mainWindow = nullptr;
HDC deviceContext = nullptr;
HGLRC glContext = nullptr;
HGLRC listContext = nullptr;
HGLRC buildContext = nullptr;
HPALETTE palette = nullptr;
VOXSPACE* theVolume = nullptr;
SourceValues sourceValues;
char exeDirectory[kExeDirectorySize];
char inputPath[kInputPathSize];
char inputFileName[kInputFileNameSize];
char geometryInfoText[kGeometryInfoSize];
char texturePath[kTexturePathSize];
char fpsText[kFpsTextSize];
FrameClock frameClock;
FramePacer framePacer;
BuildProgress buildProgress;
StandIn standIn;
Rebuild rebuild;
FileAxes fileAxes;
VolumeValues volumeValues;
DrawnView drawnView;
CursorPick cursorPick;
std::mutex buildContextInUse;

namespace {
struct FrameClockFrequency {
  FrameClockFrequency() { StartFrameClockFrequency(frameClock); }
} frameClockFrequency;
}  // namespace

OGLcamera polarCam;
OGLcamera flyCam = [] {
  OGLcamera camera;
  camera.direction[2] = 1;
  return camera;
}();
Keyboard keyboardState;
Mouse mouseState;
OGLtexture theTexture;
LabelPalette labelPalette;
LabelBytes labelBytes;
OGLcuberille theSurface;

namespace {
struct FrameClockFirstSample {
  FrameClockFirstSample() { TakeFirstFrameClockSample(frameClock); }
} frameClockFirstSample;
}  // namespace
