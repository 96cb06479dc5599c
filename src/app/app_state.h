// The process-wide state of the viewer: one window, one volume, one of
// each object. Everything is defined in globals.cpp, in construction order.
#pragma once

#include <cstddef>

#include "app/app_settings.h"
#include "camera/ogl_camera.h"
#include "input/frame_clock.h"
#include "input/input_state.h"
#include "platform/winapi.h"
#include "render/frame_display.h"
#include "render/ogl_texture.h"
#include "render/scene_setup.h"
#include "surface/ogl_cuberille.h"
#include "voxel/voxspace.h"

constexpr std::size_t kExeDirectorySize = 256;
constexpr std::size_t kInputPathSize = 260;  // the open dialog's limit
constexpr std::size_t kInputFileNameSize = 512;
constexpr std::size_t kGeometryInfoSize = 256;

extern AppSettings appSettings;

extern HWND mainWindow;
extern HDC deviceContext;
extern HGLRC glContext;    // none exactly while no context is current: nothing is drawn then
extern HGLRC listContext;  // shares glContext's lists; a second thread compiles half of them in it
extern HPALETTE palette;
extern VOXSPACE* theVolume;  // owned by the shell from load to WM_DESTROY

extern char exeDirectory[kExeDirectorySize];    // with its trailing '/', or empty
extern char inputPath[kInputPathSize];          // the CUB file being viewed
extern char inputFileName[kInputFileNameSize];  // its name without the directory
extern char geometryInfoText[kGeometryInfoSize];
extern char texturePath[kTexturePathSize];  // exeDirectory + "texture.bmp" after scene set-up
extern char fpsText[kFpsTextSize];          // the last frame-rate readout
extern FrameClock frameClock;               // time between frames, for the readout

extern OGLcamera polarCam;
extern OGLcamera flyCam;
extern Keyboard keyboardState;
extern Mouse mouseState;
extern OGLtexture theTexture;
extern OGLcuberille theSurface;  // no GL call until a context exists
