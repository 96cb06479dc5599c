#include "app/key_commands.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "render/frame_display.h"
#include "render/scene_setup.h"
#include "surface/gl_capability.h"

const char kHelpText[] =
    " Turn : \n"
    "    left mouse button + mousemove \n"
    "    left/right/down/up arrow keys \n"
    " Shift : \n"
    "    SHIFT + left mouse button + mousemove \n"
    "    SHIFT + left/right/down/up arrow keys \n"
    " Move : \n"
    "    A forward, Z backward \n"
    " \n"
    " [-] / [=] \t -- / ++ camera delta\n"
    " [v] / [V] \t -- / ++ field of view \n"
    " \n"
    " [0] \t toggle polar / fly camera \n"
    " [c] \t toggle culling \n"
    " [d] \t toggle z buffering \n"
    " [f] \t toggle fog \n"
    " [i] \t toggle dithering \n"
    " [l] \t toggle lighting \n"
    " [p] \t toggle perspective correction \n"
    " [q] \t toggle texture filtering \n"
    " [t] \t toggle texture \n"
    " [x] \t toggle fps display \n"
    " \n"
    " [g] to display geometry info \n"
    " \n"
    " [escape] to quit \n"
    " \n"
    " Qarmel, by the Qarmel developers\n"
    " [m]\t toggle merged faces \n"  // no blank before the tab: a wide m would pass the tab stop
    " [k] \t toggle colours by value ";

namespace {

constexpr std::size_t kTitleSize = 256;

// Bytes in the UTF-8 character that starts with this byte (a byte no
// character starts with counts as one).
std::size_t CharacterSize(unsigned char lead) {
  if (lead >= 0xF0 && lead < 0xF8) return 4;
  if (lead >= 0xE0 && lead < 0xF0) return 3;
  if (lead >= 0xC0 && lead < 0xE0) return 2;
  return 1;
}

// How many bytes of the text to show in at most `room`: a cut never ends
// inside a UTF-8 character, so the title stays valid UTF-8 for the desktop.
std::size_t ShownLength(const char* text, std::size_t room) {
  std::size_t length = 0;
  while (length < room && text[length] != '\0') ++length;
  if (text[length] == '\0') return length;  // nothing cut
  // The last character kept starts at most three bytes before the cut.
  for (std::size_t lead = length; lead > 0 && length - lead < 4;) {
    const auto byte = static_cast<unsigned char>(text[--lead]);
    if ((byte & 0xC0) != 0x80) return lead + CharacterSize(byte) > length ? lead : length;
  }
  return length;
}

// Flips a setting, applies it to OpenGL, and returns its new value.
bool ToggleCapability(bool& setting, GLenum capability) {
  setting = !setting;
  SetCapability(capability, setting);
  return setting;
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

void SwitchCamera() {
  appSettings.polarMode = !appSettings.polarMode;
  if (appSettings.polarMode) {
    theSurface.fastLighting = 1;
    const std::uint32_t dimX = theVolume ? theVolume->dimX : 0;
    glFogf(GL_FOG_START, PolarFogStart(dimX));
    glFogf(GL_FOG_END, PolarFogEnd(dimX));
  } else {
    theSurface.fastLighting = 0;
    glFogf(GL_FOG_START, 3);
    glFogf(GL_FOG_END, 30);
  }
}

// The commands that change a setting shown in the title.
bool TitledToggle(WPARAM character) {
  switch (character) {
    case 'c':
      ToggleCapability(appSettings.culling, GL_CULL_FACE);
      return true;
    case 'd':
      ToggleCapability(appSettings.depthBuffer, GL_DEPTH_TEST);
      return true;
    case 'f':
      ToggleCapability(appSettings.fog, GL_FOG);
      return true;
    case 'i':
      ToggleCapability(appSettings.dithering, GL_DITHER);
      return true;
    case 'l':
      ToggleCapability(appSettings.lighting, GL_LIGHTING);
      return true;
    case 'p':
      appSettings.perspectiveCorrection = !appSettings.perspectiveCorrection;
      glHint(GL_PERSPECTIVE_CORRECTION_HINT,
             appSettings.perspectiveCorrection ? GL_NICEST : GL_FASTEST);
      return true;
    case 'q':
      appSettings.textureFiltering = !appSettings.textureFiltering;
      SetTextureFilter(appSettings.textureFiltering ? GL_LINEAR : GL_NEAREST);
      return true;
    case 't':
      appSettings.texturing = !appSettings.texturing;
      theSurface.SetTexturing(appSettings.texturing ? 1 : 0);
      return true;
    case 'k':
      theSurface.SetColoured(!theSurface.coloured);
      return true;
    default:
      return false;
  }
}

// The commands that redraw but leave the title alone.
bool UntitledChange(HWND window, WPARAM character) {
  switch (character) {
    case '0':
      SwitchCamera();
      return true;
    case '1':
      // A routine's name as caption looks odd, but it is these boxes' own
      // text (stderr and scripts see it), kept as it is.
      MessageBoxA(window, "QUADS render method", "WndProc()", MB_OK);
      theSurface.SetRenderMethod(QUADS);
      return true;
    case '2':
      MessageBoxA(window, "TRISTRIP_DISPLIST render method", "WndProc()", MB_OK);
      theSurface.SetRenderMethod(TRISTRIP_DISPLIST);
      return true;
    case '3':
      theSurface.fastLighting = !theSurface.fastLighting;
      MessageBoxA(window,
                  theSurface.fastLighting ? "fast lighting enabled" : "fast lighting disabled",
                  "WndProc()", MB_OK);
      return true;
    case 'V':
      ChangeFieldOfView(5);
      return true;
    case 'v':
      ChangeFieldOfView(-5);
      return true;
    case 'o':
      appSettings.showAxes = !appSettings.showAxes;
      return true;
    case 'x':
      appSettings.showFps = !appSettings.showFps;
      return true;
    case 'm':
      theSurface.SetMerged(!theSurface.merged);
      return true;
    default:
      return false;
  }
}

// The commands that neither redraw nor touch the title.
bool QuietCommand(HWND window, WPARAM character) {
  switch (character) {
    case VK_RETURN:  // Enter types a carriage return, the same code
    case ' ':
    case '/':
      ShowHelp(window);
      return true;
    case VK_ESCAPE:  // Escape types its own code
      DestroyWindow(window);
      return true;
    case '-':
      appSettings.cameraDelta *= 0.5f;
      if (appSettings.cameraDelta < 0.001f) appSettings.cameraDelta = 0.001f;
      return true;
    case '=':
      appSettings.cameraDelta *= 2;
      if (appSettings.cameraDelta > 45.0f) appSettings.cameraDelta = 45.0f;
      return true;
    case 'g':
      ShowGeometryInfo();
      return true;
    default:
      return false;
  }
}

}  // namespace

int OnChar(HWND window, WPARAM character, LPARAM /*lParam*/) {
  if (QuietCommand(window, character)) return 1;
  if (UntitledChange(window, character)) {
    Display();
    return 1;
  }
  if (TitledToggle(character)) {
    Display();
    UpdateWindowTitle(window);
    return 1;
  }
  return 0;
}

void UpdateWindowTitle(HWND window) {
  char title[kTitleSize];
  const struct {
    bool on;
    const char* letter;
  } letters[] = {{appSettings.culling, " c"},
                 {appSettings.fog, " f"},
                 {appSettings.dithering, " i"},
                 {appSettings.lighting, " l"},
                 {appSettings.perspectiveCorrection, " p"},
                 {appSettings.textureFiltering, " q"},
                 {appSettings.texturing, " t"},
                 {appSettings.depthBuffer, " z"},
                 {theSurface.coloured, " k"}};
  char flags[2 * 9 + 1] = "";
  for (const auto& l : letters)
    if (l.on) std::strcat(flags, l.letter);
  // A long file name is cut so that the letters always fit.
  const std::size_t nameRoom = kTitleSize - 1 - std::strlen("Qarmel ") - 2 - std::strlen(flags);
  const int nameLength = static_cast<int>(ShownLength(inputFileName, nameRoom));
  std::snprintf(title, sizeof title, "Qarmel %.*s  %s", nameLength, inputFileName, flags);
  SetWindowTextA(window, title);
}

void ShowHelp(HWND window) { MessageBoxA(window, kHelpText, "Qarmel user interface", MB_OK); }

void ShowGeometryInfo() {
  const QuadList* q = theSurface.quadLists;
  std::uint32_t total = 0;
  for (int d = 0; d < kFaceDirections; ++d) total += q[d].quadCount;
  std::snprintf(geometryInfoText, sizeof geometryInfoText,
                "quad count : \n\n %8u left \n %8u right \n %8u down \n %8u up    \n %8u back \n "
                "%8u front \n\n "
                "%8u total \n",
                q[LEFT].quadCount, q[RIGHT].quadCount, q[DOWN].quadCount, q[UP].quadCount,
                q[BACK].quadCount, q[FRONT].quadCount, total);
  MessageBoxA(mainWindow, geometryInfoText, "Geometry Info", MB_OK);
}
