#include "app/key_table.h"

#include <GL/gl.h>

#include <cstdint>

#include "app/app_state.h"
#include "app/key_commands.h"
#include "app/view_keys.h"
#include "render/scene_setup.h"
#include "surface/gl_capability.h"

namespace {

// Flips a setting and applies it to OpenGL.
void ToggleCapability(bool& setting, GLenum capability) {
  setting = !setting;
  SetCapability(capability, setting);
}

OGLcamera& ActiveCamera() { return appSettings.polarMode ? polarCam : flyCam; }

void ChangeFieldOfView(float change) {
  OGLcamera& camera = ActiveCamera();
  float fov = camera.fov + change;
  if (fov < 0) {
    fov = 0;
  } else if (fov > 180) {
    fov = 180;
  }
  camera.fov = fov;
  ApplyProjection(camera);
}

void SwitchCamera(HWND) {
  appSettings.polarMode = !appSettings.polarMode;
  theSurface.fastLighting = appSettings.polarMode ? 1 : 0;
  if (theVolume) {
    PlaceFog();
  } else if (appSettings.polarMode) {
    glFogf(GL_FOG_START, 2);
    glFogf(GL_FOG_END, 6);
  } else {
    glFogf(GL_FOG_START, 3);
    glFogf(GL_FOG_END, 30);
  }
}

// A routine's name as these boxes' caption looks odd, but it is their own
// text (stderr and scripts see it), kept as it is.
void UseQuads(HWND window) {
  MessageBoxA(window, "QUADS render method", "WndProc()", MB_OK);
  SurfaceLook look = WantedLook(rebuild);
  look.renderMethod = QUADS;
  RequestLook(rebuild, look, true);  // the method's geometry built again, as ever
}

void UseStrips(HWND window) {
  MessageBoxA(window, "TRISTRIP_DISPLIST render method", "WndProc()", MB_OK);
  SurfaceLook look = WantedLook(rebuild);
  look.renderMethod = TRISTRIP_DISPLIST;
  RequestLook(rebuild, look, true);
}

// The geometry with one setting of its look flipped, built in the
// background; the title's letters show what was asked for.
template <typename Setting>
void FlipLook(Setting SurfaceLook::*setting) {
  SurfaceLook look = WantedLook(rebuild);
  look.*setting = !(look.*setting);
  RequestLook(rebuild, look);
}

void ToggleFastLighting(HWND window) {
  theSurface.fastLighting = !theSurface.fastLighting;
  MessageBoxA(window, theSurface.fastLighting ? "fast lighting enabled" : "fast lighting disabled",
              "WndProc()", MB_OK);
}

void TogglePerspectiveCorrection(HWND) {
  appSettings.perspectiveCorrection = !appSettings.perspectiveCorrection;
  glHint(GL_PERSPECTIVE_CORRECTION_HINT,
         appSettings.perspectiveCorrection ? GL_NICEST : GL_FASTEST);
}

void ToggleTextureFiltering(HWND) {
  appSettings.textureFiltering = !appSettings.textureFiltering;
  SetTextureFilter(appSettings.textureFiltering ? GL_LINEAR : GL_NEAREST);
}

void ToggleTexture(HWND) {
  appSettings.texturing = !appSettings.texturing;
  SurfaceLook look = WantedLook(rebuild);
  look.textured = appSettings.texturing ? 1 : 0;
  RequestLook(rebuild, look);
}

// Home or r: the active camera back where it started, every setting kept.
void ReturnToStartView(HWND) {
  if (appSettings.polarMode) {
    PlacePolarCameraAtStart(polarCam);
  } else {
    PlaceFlyCameraAtStart(flyCam);
  }
  ApplyProjection(ActiveCamera());
}

void SmallerCameraStep(HWND) {
  appSettings.cameraDelta *= 0.5f;
  if (appSettings.cameraDelta < 0.001f) appSettings.cameraDelta = 0.001f;
}

void LargerCameraStep(HWND) {
  appSettings.cameraDelta *= 2;
  if (appSettings.cameraDelta > 45.0f) appSettings.cameraDelta = 45.0f;
}

constexpr KeyRedraw kNone = KeyRedraw::kNone;
constexpr KeyRedraw kFrame = KeyRedraw::kFrame;
constexpr KeyRedraw kTitle = KeyRedraw::kFrameAndTitle;
// The looking-inside keys ask for a surface: the picture stays as it was
// until that is built, so drawing it again would only slow the build.
constexpr KeyRedraw kAsk = KeyRedraw::kTitleOnly;

const KeyCommand kKeyCommands[] = {
    // Settings the title shows, in its order; d's letter is z.
    {'c', [](HWND) { ToggleCapability(appSettings.culling, GL_CULL_FACE); }, kTitle, 'c',
     [] { return appSettings.culling; }, nullptr},
    {'f', [](HWND) { ToggleCapability(appSettings.fog, GL_FOG); }, kTitle, 'f',
     [] { return appSettings.fog; }, nullptr},
    {'i', [](HWND) { ToggleCapability(appSettings.dithering, GL_DITHER); }, kTitle, 'i',
     [] { return appSettings.dithering; }, nullptr},
    {'l', [](HWND) { ToggleCapability(appSettings.lighting, GL_LIGHTING); }, kTitle, 'l',
     [] { return appSettings.lighting; }, nullptr},
    {'p', TogglePerspectiveCorrection, kTitle, 'p',
     [] { return appSettings.perspectiveCorrection; }, nullptr},
    {'q', ToggleTextureFiltering, kTitle, 'q', [] { return appSettings.textureFiltering; },
     nullptr},
    {'t', ToggleTexture, kTitle, 't', [] { return appSettings.texturing; }, nullptr},
    {'d', [](HWND) { ToggleCapability(appSettings.depthBuffer, GL_DEPTH_TEST); }, kTitle, 'z',
     [] { return appSettings.depthBuffer; }, nullptr},
    // No blank before the tab in m's line: a wide m would pass the tab stop.
    {'m', [](HWND) { FlipLook(&SurfaceLook::merged); }, kFrame, '\0', nullptr,
     " [m]\t toggle merged faces \n"},
    {'k', [](HWND) { FlipLook(&SurfaceLook::coloured); }, kTitle, 'k',
     [] { return WantedLook(rebuild).coloured; }, " [k] \t toggle colours by value \n"},
    {'s', [](HWND) { FlipLook(&SurfaceLook::smooth); }, kTitle, 's',
     [] { return WantedLook(rebuild).smooth; }, " [s] \t toggle smooth shading \n"},

    // Camera, method and display switches.
    {'0', SwitchCamera, kFrame, '\0', nullptr, nullptr},
    {'1', UseQuads, kFrame, '\0', nullptr, nullptr},
    {'2', UseStrips, kFrame, '\0', nullptr, nullptr},
    {'3', ToggleFastLighting, kFrame, '\0', nullptr, nullptr},
    {'V', [](HWND) { ChangeFieldOfView(5); }, kFrame, '\0', nullptr, nullptr},
    {'v', [](HWND) { ChangeFieldOfView(-5); }, kFrame, '\0', nullptr, nullptr},
    {'o', [](HWND) { appSettings.showAxes = !appSettings.showAxes; }, kFrame, '\0', nullptr,
     nullptr},
    {'x', [](HWND) { appSettings.showFps = !appSettings.showFps; }, kFrame, '\0', nullptr, nullptr},
    {'r', ReturnToStartView, kFrame, '\0', nullptr, " [r] \t to the start view (also Home) \n"},

    // Looking inside: the cut planes. Each description starts with a t, as
    // the others do: the help box's tab stop puts every first glyph at one x.
    {';', [](HWND) { ChooseNextCutPlane(); }, kAsk, '\0', nullptr,
     " [;] \t to the next cut plane \n"},
    {']', [](HWND) { MoveCutPlane(true); }, kAsk, '\0', nullptr,
     " []] \t the cut plane in by a voxel \n"},
    {'[', [](HWND) { MoveCutPlane(false); }, kAsk, '\0', nullptr,
     " [[] \t the cut plane out by a voxel \n"},
    {'\'', [](HWND) { RemoveCuts(); }, kAsk, '\0', nullptr, " ['] \t take every cut away \n"},
    // Labels, by the one under the cursor.
    {'h', [](HWND) { HideLabelUnderCursor(); }, kAsk, '\0', nullptr,
     " [h] \t the label under the cursor hidden \n"},
    {'u', [](HWND) { ShowOnlyLabelUnderCursor(); }, kAsk, '\0', nullptr,
     " [u] \t the label under the cursor alone \n"},
    {'e', [](HWND) { ShowEveryLabel(); }, kAsk, '\0', nullptr,
     " [e] \t the labels all shown again \n"},
    // The threshold: the first press starts at Otsu's. [<] and [>] are too
    // wide for the tab stop: they share the lines of [,] and [.].
    {',', [](HWND) { StepThreshold(-0.01); }, kAsk, '\0', nullptr,
     " [,] \t the threshold down by 1%, [<] by 0.1% \n"},
    {'.', [](HWND) { StepThreshold(0.01); }, kAsk, '\0', nullptr,
     " [.] \t the threshold up by 1%, [>] by 0.1% \n"},
    {'<', [](HWND) { StepThreshold(-0.001); }, kAsk, '\0', nullptr, nullptr},
    {'>', [](HWND) { StepThreshold(0.001); }, kAsk, '\0', nullptr, nullptr},

    // Boxes, the camera step and quitting: nothing to redraw.
    {VK_RETURN, ShowHelp, kNone, '\0', nullptr, nullptr},  // Enter types its own code
    {' ', ShowHelp, kNone, '\0', nullptr, nullptr},
    {'/', ShowHelp, kNone, '\0', nullptr, nullptr},
    {'g', [](HWND) { ShowGeometryInfo(); }, kNone, '\0', nullptr, nullptr},
    {'-', SmallerCameraStep, kNone, '\0', nullptr, nullptr},
    {'=', LargerCameraStep, kNone, '\0', nullptr, nullptr},
    {VK_ESCAPE, [](HWND window) { DestroyWindow(window); }, kNone, '\0', nullptr, nullptr},
};

}  // namespace

std::span<const KeyCommand> KeyCommands() { return kKeyCommands; }

const KeyCommand* FindKeyCommand(WPARAM key) {
  for (const KeyCommand& command : kKeyCommands)
    if (command.key == key) return &command;
  return nullptr;
}
