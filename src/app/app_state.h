// The process-wide state of the viewer: one window, one volume, one of
// each object. Everything is defined in globals.cpp, in construction order.
#pragma once

#include <cstddef>
#include <mutex>

#include "app/app_settings.h"
#include "app/cursor_pick.h"
#include "app/first_build.h"
#include "app/frame_pacer.h"
#include "app/rebuild.h"
#include "app/stand_in.h"
#include "app/threshold_keys.h"
#include "camera/ogl_camera.h"
#include "input/frame_clock.h"
#include "input/input_state.h"
#include "platform/winapi.h"
#include "render/frame_display.h"
#include "render/ogl_texture.h"
#include "render/scene_setup.h"
#include "surface/label_palette.h"
#include "surface/ogl_cuberille.h"
#include "voxel/file_axes.h"
#include "voxel/source_values.h"
#include "voxel/voxspace.h"

constexpr std::size_t kExeDirectorySize = 256;
constexpr std::size_t kInputPathSize = 260;  // the open dialog's limit
constexpr std::size_t kInputFileNameSize = 512;
constexpr std::size_t kGeometryInfoSize = 256;

// Who owns each: the window procedure makes and frees the window's
// objects (WM_CREATE to WM_DESTROY); the input file code fills the names;
// the rest live as long as the process.
extern AppSettings appSettings;  // changed by the key commands and the window procedure

extern HWND mainWindow;     // made by OpenMainWindow, gone at WM_DESTROY
extern HDC deviceContext;   // the window's, from WM_CREATE
extern HGLRC glContext;     // none exactly while no context is current: nothing is drawn then
extern HGLRC listContext;   // shares glContext's lists; a second thread compiles half of them in it
extern HGLRC buildContext;  // shares them too: geometry is built in it on other threads
extern HPALETTE palette;    // made at WM_CREATE when the format needs one, deleted at WM_DESTROY
extern VOXSPACE* theVolume;        // owned by the shell from load to WM_DESTROY
extern SourceValues sourceValues;  // a scan's stored values beside it, when kept at load

extern char exeDirectory[kExeDirectorySize];      // with its trailing '/', or empty
extern char inputPath[kInputPathSize];            // the volume file being viewed, CUB or a scan
extern char inputFileName[kInputFileNameSize];    // its name without the directory
extern char geometryInfoText[kGeometryInfoSize];  // the last geometry box's text (key g)
extern char texturePath[kTexturePathSize];        // exeDirectory + "texture.bmp" after scene set-up
extern char fpsText[kFpsTextSize];                // the last frame-rate readout
extern FrameClock frameClock;                     // time between frames, for the readout
extern FramePacer framePacer;                     // started at WM_CREATE
extern BuildProgress buildProgress;               // the first geometry's build
extern StandIn standIn;                           // the coarse copy drawn while the camera moves
extern DrawnView drawnView;                       // the last frame's transforms, for picking
extern CursorPick cursorPick;                     // the voxel under the cursor, in the title
extern FileAxes fileAxes;                         // the file's voxel indices, set at load
extern VolumeValues volumeValues;                 // their range and Otsu's threshold, when asked
extern Rebuild rebuild;                           // the geometry asked for since the first frame
extern std::mutex buildContextInUse;  // held by the thread that has buildContext current

extern OGLcamera polarCam;         // moved by its control, set up at WM_CREATE
extern OGLcamera flyCam;           // likewise, while the fly camera is in use
extern Keyboard keyboardState;     // written by the window procedure, read by the controls
extern Mouse mouseState;           // likewise
extern OGLtexture theTexture;      // read at scene set-up
extern LabelPalette labelPalette;  // the volume's colour table over the built-in colours
extern LabelBytes labelBytes;      // the labels the voxel bytes stand for, set at load
extern OGLcuberille theSurface;    // no GL call until a context exists
