// The window procedure and the key commands against real Mesa through the
// headless backend's windows, and a whole headless run of WinMain.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/app_state.h"
#include "app/key_commands.h"
#include "app/key_table.h"
#include "app/rebuild.h"
#include "app/window_procedure.h"
#include "app/window_title.h"
#include "cub_bytes.h"
#include "gl_harness.h"
#include "platform/common/command_line.h"
#include "platform/common/window_record.h"
#include "platform/headless/headless_control.h"
#include "render/scene_setup.h"
#include "stdout_capture.h"
#include "temp_dir.h"
#include "test_volumes.h"

namespace headless = platform::headless;

namespace {

// Creates the viewer's window the way WinMain does, around a small volume.
class WindowGl : public ::testing::Test {
 protected:
  void SetUp() override {
    appSettings = AppSettings{};
    volumeValues = {};
    theSurface.SetRenderMethod(QUADS);
    theSurface.fastLighting = 0;
    volume = MakeVolume(66, 5, 5, {{2, 2, 2}, {3, 2, 2}});
    theVolume = volume.release();  // WM_DESTROY releases it
    std::strcpy(inputFileName, "test.cub");
    exeDirectory[0] = texturePath[0] = '\0';
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WndProc;
    windowClass.lpszClassName = "Qarmel";
    RegisterClassA(&windowClass);
    CaptureStdoutOf([&] {  // the texture loader's lines
      window = CreateWindowExA(0, "Qarmel", "Qarmel", WS_OVERLAPPEDWINDOW, 0, 0, 512 + 8, 512 + 27,
                               nullptr, nullptr, nullptr, nullptr);
    });
    mainWindow = window;
    ASSERT_NE(window, nullptr);
    ASSERT_NE(glContext, nullptr);
    theSurface.SetVoxSpace(theVolume);
    headless::ClearMessageBoxJournal();
  }
  void TearDown() override {
    if (platform::IsWindowRecord(window)) DestroyWindow(window);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
    theSurface.voxSpace = nullptr;
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return WndProc(window, message, wParam, lParam);
  }
  std::string Title() const { return window->title; }

  HWND window = nullptr;
  VolumePtr volume;
};

TEST_F(WindowGl, CreationSetsUpContextSceneAndTitle) {
  EXPECT_EQ(Title(), "Qarmel test.cub   c f i l p q z");
  EXPECT_EQ(deviceContext, GetDC(window));
  EXPECT_EQ(palette, nullptr) << "a true-colour format needs no palette";
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(polarCam.distance, 2 * 66 - 4);
}

TEST_F(WindowGl, TitledTogglesChangeSettingGlStateAndTitle) {
  struct Toggle {
    char key;
    bool AppSettings::*setting;
    GLenum capability;  // 0: no capability of its own
    const char* letter;
  };
  const Toggle toggles[] = {{'c', &AppSettings::culling, GL_CULL_FACE, " c"},
                            {'d', &AppSettings::depthBuffer, GL_DEPTH_TEST, " z"},
                            {'f', &AppSettings::fog, GL_FOG, " f"},
                            {'i', &AppSettings::dithering, GL_DITHER, " i"},
                            {'l', &AppSettings::lighting, GL_LIGHTING, " l"},
                            {'p', &AppSettings::perspectiveCorrection, 0, " p"},
                            {'q', &AppSettings::textureFiltering, 0, " q"},
                            {'t', &AppSettings::texturing, GL_TEXTURE_2D, " t"}};
  for (const Toggle& t : toggles) {
    SCOPED_TRACE(t.key);
    const bool before = appSettings.*(t.setting);
    const int swaps = headless::SwapCount();
    EXPECT_EQ(OnChar(window, static_cast<WPARAM>(t.key), 0), 1);
    EXPECT_EQ(appSettings.*(t.setting), !before);
    EXPECT_EQ(headless::SwapCount(), swaps + 1) << "redrawn";
    if (t.capability) {
      EXPECT_EQ(glIsEnabled(t.capability) != 0, !before);
    }
    EXPECT_EQ(Title().find(t.letter) != std::string::npos, !before) << Title();
    Send(WM_CHAR, static_cast<WPARAM>(t.key));  // and back, through the window procedure
    EXPECT_EQ(appSettings.*(t.setting), before);
  }
  OnChar(window, 'p', 0);
  GLint hint = 0;
  glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &hint);
  EXPECT_EQ(hint, GL_FASTEST);
  OnChar(window, 'q', 0);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &hint);
  EXPECT_EQ(hint, GL_NEAREST);
  EXPECT_EQ(Title(), "Qarmel test.cub   c f i l z");
  OnChar(window, 't', 0);
  EXPECT_EQ(theSurface.drawRoutine, &OGLcuberille::DrawTexturedQuads);
  EXPECT_EQ(Title(), "Qarmel test.cub   c f i l t z");
  OnChar(window, 'k', 0);  // colours by value: its letter comes after the others
  EXPECT_TRUE(theSurface.coloured);
  EXPECT_EQ(Title(), "Qarmel test.cub   c f i l t z k");
  OnChar(window, 'k', 0);
  EXPECT_EQ(Title(), "Qarmel test.cub   c f i l t z");
}

TEST_F(WindowGl, OtherCommands) {
  EXPECT_EQ(OnChar(window, '0', 0), 1);  // to the fly camera
  EXPECT_FALSE(appSettings.polarMode);
  EXPECT_EQ(theSurface.fastLighting, 0);
  GLfloat fog = 0;
  // The fog around the centre, 64 away: 48 before it and behind it.
  glGetFloatv(GL_FOG_START, &fog);
  EXPECT_EQ(fog, 16);
  glGetFloatv(GL_FOG_END, &fog);
  EXPECT_EQ(fog, 112);
  OnChar(window, '0', 0);  // back: dimX 66 gives 80 and 176
  EXPECT_EQ(theSurface.fastLighting, 1);
  glGetFloatv(GL_FOG_START, &fog);
  EXPECT_EQ(fog, 80);
  glGetFloatv(GL_FOG_END, &fog);
  EXPECT_EQ(fog, 176);

  OnChar(window, '2', 0);
  EXPECT_EQ(theSurface.renderMethod, TRISTRIP_DISPLIST);
  OnChar(window, '1', 0);
  EXPECT_EQ(theSurface.renderMethod, QUADS);
  OnChar(window, '3', 0);
  EXPECT_EQ(theSurface.fastLighting, 0);
  OnChar(window, '3', 0);
  const auto& boxes = headless::MessageBoxJournal();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].text, "TRISTRIP_DISPLIST render method");
  EXPECT_EQ(boxes[1].text, "QUADS render method");
  EXPECT_EQ(boxes[2].text, "fast lighting disabled");
  EXPECT_EQ(boxes[3].text, "fast lighting enabled");
  for (const auto& box : boxes) {
    EXPECT_EQ(box.caption, "WndProc()");
    EXPECT_EQ(box.owner, window);
    EXPECT_EQ(box.flags, MB_OK);
  }

  polarCam.fov = 55;
  for (int i = 0; i < 12; ++i) OnChar(window, 'v', 0);
  EXPECT_EQ(polarCam.fov, 0);
  polarCam.fov = 175;
  OnChar(window, 'V', 0);
  EXPECT_EQ(polarCam.fov, 180);
  OnChar(window, 'V', 0);
  EXPECT_EQ(polarCam.fov, 180);
  const float flyFov = flyCam.fov;
  OnChar(window, 'v', 0);
  EXPECT_EQ(flyCam.fov, flyFov) << "only the active camera";

  for (int i = 0; i < 7; ++i) OnChar(window, '-', 0);
  EXPECT_EQ(appSettings.cameraDelta, 0.001f);
  OnChar(window, '=', 0);
  EXPECT_EQ(appSettings.cameraDelta, 0.002f);
  appSettings.cameraDelta = 0.1f;
  for (int i = 0; i < 9; ++i) OnChar(window, '=', 0);
  EXPECT_EQ(appSettings.cameraDelta, 45.0f);

  OnChar(window, 'o', 0);
  EXPECT_TRUE(appSettings.showAxes);
  OnChar(window, 'x', 0);
  EXPECT_TRUE(appSettings.showFps);
  for (char c : std::string("CDFILOPQTXGMKab9"))
    EXPECT_EQ(OnChar(window, static_cast<WPARAM>(c), 0), 0) << c;
}

TEST_F(WindowGl, HelpAndGeometryTextsAreExact) {
  const std::string classicUpToFps =
      " Turn : \n    left mouse button + mousemove \n    left/right/down/up arrow keys \n Shift : "
      "\n"
      "    SHIFT + left mouse button + mousemove \n    SHIFT + left/right/down/up arrow keys \n "
      "Move : \n"
      "    A forward, Z backward \n \n [-] / [=] \t -- / ++ camera delta\n [v] / [V] \t -- / ++ "
      "field of view \n"
      " \n [0] \t toggle polar / fly camera \n [c] \t toggle culling \n [d] \t toggle z buffering "
      "\n"
      " [f] \t toggle fog \n [i] \t toggle dithering \n [l] \t toggle lighting \n"
      " [p] \t toggle perspective correction \n [q] \t toggle texture filtering \n [t] \t toggle "
      "texture \n"
      " [x] \t toggle fps display \n";
  const std::string classicRest = " \n [g] to display geometry info \n \n [escape] to quit \n \n";
  std::string addedLines;  // the added keys' lines go right after the fps line
  for (const KeyCommand& command : KeyCommands())
    if (command.helpLine) addedLines += command.helpLine;
  const std::string help = classicUpToFps + addedLines + classicRest;
  for (WPARAM key : {WPARAM{13}, WPARAM{' '}, WPARAM{'/'}}) OnChar(window, key, 0);
  Send(WM_RBUTTONDOWN);
  EXPECT_EQ(mouseState.table[MOUSE_RIGHT].value, 1) << "recorded before the box";
  ASSERT_EQ(headless::MessageBoxJournal().size(), 4u);
  for (const auto& box : headless::MessageBoxJournal()) {
    EXPECT_EQ(box.text.substr(0, help.size()), help);
    ASSERT_GT(box.text.size(), help.size());
    EXPECT_EQ(box.text.find('\n', help.size()), std::string::npos)
        << "the credit line comes last, without a line break";
    EXPECT_EQ(box.caption, "Qarmel user interface");
    EXPECT_EQ(box.owner, window);
  }

  headless::ClearMessageBoxJournal();
  for (int d = 0; d < 6; ++d) theSurface.quadLists[d].quadCount = static_cast<std::uint32_t>(d + 1);
  OnChar(window, 'g', 0);
  ASSERT_EQ(headless::MessageBoxJournal().size(), 1u);
  EXPECT_EQ(
      headless::MessageBoxJournal()[0].text,
      "quad count : \n\n        1 left \n        2 right \n        3 down \n        4 up    \n"
      "        5 back \n        6 front \n\n       21 total \n");
  EXPECT_EQ(headless::MessageBoxJournal()[0].caption, "Geometry Info");
  EXPECT_EQ(headless::MessageBoxJournal()[0].owner, mainWindow);
  EXPECT_STREQ(geometryInfoText, headless::MessageBoxJournal()[0].text.c_str());
}

TEST_F(WindowGl, WindowMessages) {
  Send(WM_MOVE, 0, MAKELPARAM(30, 40));
  EXPECT_EQ(appSettings.windowX, 30);
  EXPECT_EQ(appSettings.windowY, 40);
  const int swaps = headless::SwapCount();
  Send(WM_SIZE, 0, MAKELPARAM(200, 100));
  EXPECT_EQ(appSettings.windowWidth, 200);
  EXPECT_EQ(polarCam.aspect, 2.0f);
  EXPECT_EQ(headless::SwapCount(), swaps + 1) << "a resize draws";
  EXPECT_EQ(Send(WM_ERASEBKGND), 0);
  Send(WM_ACTIVATE, WA_INACTIVE);
  EXPECT_FALSE(appSettings.appActive);
  Send(WM_ACTIVATE, 2);  // WA_CLICKACTIVE
  EXPECT_TRUE(appSettings.appActive);
  EXPECT_EQ(Send(WM_QUERYNEWPALETTE), 0) << "no palette: default processing";

  Send(WM_KEYDOWN, 'A', 0);
  EXPECT_TRUE(keyboardState.Down('A'));
  Send(WM_KEYUP, 'A', 0);
  EXPECT_FALSE(keyboardState.Down('A'));
  Send(WM_SYSKEYDOWN, 'Z', 0);
  EXPECT_TRUE(keyboardState.Down('Z'));
  Send(WM_SYSKEYUP, 'Z', 0);

  headless::CursorState().warps.clear();
  const int shown = ShowCursor(TRUE) - 1;
  ShowCursor(FALSE);
  Send(WM_LBUTTONDOWN);
  EXPECT_EQ(mouseState.cursorCaptured, 1);
  EXPECT_EQ(ShowCursor(TRUE), shown);  // hidden once by the press
  ShowCursor(FALSE);
  Send(WM_MOUSEMOVE, 0, MAKELPARAM(266, 250));  // a 512 x 512 client: centre (256, 256)
  EXPECT_EQ(mouseState.table[MOUSE_X].delta, 10);
  EXPECT_EQ(mouseState.table[MOUSE_Y].delta, -6);
  Send(WM_LBUTTONUP);
  EXPECT_EQ(mouseState.cursorCaptured, 0);
  EXPECT_EQ(ShowCursor(FALSE), shown - 1) << "shown again by the release";
  ShowCursor(TRUE);
  EXPECT_FALSE(headless::CursorState().warps.empty());
}

TEST_F(WindowGl, SizeBeforeAContextOnlyStoresIt) {
  HGLRC context = glContext;
  glContext = nullptr;
  const int swaps = headless::SwapCount();
  Send(WM_SIZE, 0, MAKELPARAM(300, 0));
  EXPECT_EQ(appSettings.windowWidth, 300);
  EXPECT_EQ(appSettings.windowHeight, 0);
  Send(WM_PAINT);
  EXPECT_EQ(headless::SwapCount(), swaps);
  glContext = context;
}

TEST_F(WindowGl, EscapeDestroysTheWindowAndPostsQuit) {
  OnChar(window, 27, 0);
  EXPECT_FALSE(platform::IsWindowRecord(window));
  EXPECT_EQ(glContext, nullptr);
  EXPECT_EQ(theVolume, nullptr);
  MSG m{};
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 0u);
}

// A rebuild in the background leaves the surface as it was until the main
// loop takes it over; requests made meanwhile fold into the last one, and
// the picture is the one built in place. Closing with one pending frees it.
TEST_F(WindowGl, BackgroundRebuildsKeepTheOldPictureAndTheLatestRequestWins) {
  ASSERT_NE(buildContext, nullptr);
  for (std::uint32_t x = 8; x < 58; ++x)  // a bar of several values
    for (std::uint32_t y = 1; y < 4; ++y)
      for (std::uint32_t z = 1; z < 4; ++z) VoxelAt(*theVolume, x, y, z) = 1 + x % 5;
  theSurface.SetVoxSpace(theVolume);
  const auto picture = [] {
    Display();
    return ReadBackBuffer(512, 512);
  };
  const auto flat = picture();
  const SurfaceLook before = theSurface.Look();
  rebuild.backgroundFaces = 0;
  for (char key : {'m', 'k', 'm'}) OnChar(window, static_cast<WPARAM>(key), 0);
  EXPECT_TRUE(RebuildPending(rebuild));
  EXPECT_EQ(theSurface.Look(), before);
  EXPECT_EQ(picture(), flat) << "the old picture stays";
  EXPECT_EQ(Title(), "Qarmel test.cub   c f i l p q z k") << "the title shows what was asked";
  FinishRebuilds(rebuild);
  SurfaceLook coloured = before;
  coloured.coloured = true;
  EXPECT_EQ(theSurface.Look(), coloured);
  const auto background = picture();
  EXPECT_NE(background, flat);

  rebuild.backgroundFaces = UINT64_MAX;  // the same two steps, in place
  OnChar(window, 'k', 0);
  EXPECT_EQ(picture(), flat);
  OnChar(window, 'k', 0);
  EXPECT_EQ(picture(), background);

  rebuild.backgroundFaces = 0;
  OnChar(window, 's', 0);
  DestroyWindow(window);
  EXPECT_FALSE(RebuildPending(rebuild));
  rebuild.backgroundFaces = Rebuild{}.backgroundFaces;
  theSurface.SetLook(before);
}

// The cut keys' title field names the chosen plane in the file's indices
// (z is mirrored at start-up: its high side is the drawn low one), and the
// census counts only what the cut keeps. The first threshold key starts at
// Otsu's threshold (1: the one value other than 0); < steps by 0.1% of the
// values' range, 0 to 1.
TEST_F(WindowGl, CutKeysShowThePlaneInTheTitleAndKeepTheirVoxels) {
  fileAxes = FileAxesOf(VolumeFacts{}, std::array<std::uint32_t, 3>{66, 5, 5}.data());
  const std::string letters = "   c f i l p q z";
  for (const auto& [keys, field, faces] :
       std::vector<std::tuple<std::string, std::string, std::uint64_t>>{
           {";", " cut x>=0", 10},
           {"]]]", " cut x>=3", 6},
           {";[", " cut x<=65", 6},
           {";;;;]]", " cut z<=2", 6},
           {"'", "", 10},
           {",", " threshold 1", 10},
           {"<<", " threshold 0.998", 10}}) {
    SCOPED_TRACE(keys);
    for (char key : keys) OnChar(window, static_cast<WPARAM>(key), 0);
    FinishRebuilds(rebuild);
    EXPECT_EQ(Title(), "Qarmel test.cub" + letters + field);
    EXPECT_EQ(theSurface.FaceTotal(), faces);
  }
}

TEST_F(WindowGl, TheCloseCommandDestroysTheWindow) {
  EXPECT_EQ(Send(WM_CLOSE), 0);
  EXPECT_FALSE(platform::IsWindowRecord(window));
}

TEST_F(WindowGl, LongFileNamesAreCutToFitTheTitle) {
  // The title holds 255 bytes; the letters always fit, the name gets the rest.
  const std::string letters = "   c f i l p q z";
  const std::size_t room = 255 - std::strlen("Qarmel ") - letters.size();
  struct Case {
    std::string name;
    std::size_t shown;  // bytes of the name in the title
  };
  std::vector<Case> cases = {{std::string(kInputFileNameSize - 1, 'n'), room},
                             // a name that fills the room exactly, up to its last character
                             {std::string(room - 4, 'n') + "\xF0\x9F\x98\x80", room}};
  // A character of 2, 3 or 4 bytes starting k bytes before the end of the
  // room: cut before it unless it fits whole.
  for (const std::string character : {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"}) {
    for (std::size_t k = 1; k <= character.size(); ++k) {
      cases.push_back({std::string(room - k, 'n') + character + "x.cub",
                       k < character.size() ? room - k : room});
    }
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.substr(room - 4));
    std::strcpy(inputFileName, c.name.c_str());
    UpdateWindowTitle(window);
    EXPECT_EQ(Title(), "Qarmel " + c.name.substr(0, c.shown) + letters);
  }
}

TEST(WinMainGl, AScriptedRunEndsWithCode0) {
  TempDir dir;
  const std::string path = dir.Write(
      "run.cub",
      CubBytes().Magic().Header(4, 4, 4).Data(std::vector<std::uint8_t>(64, 1)).End().bytes());
  platform::SetProcessCommandLine("/opt/q/qarmel " + path);
  appSettings = AppSettings{};
  headless::ClearMessageBoxJournal();
  headless::ScriptMessages({{WM_CHAR, 'g', 0}, {WM_KEYDOWN, VK_ESCAPE, 1}});
  std::string args = path;
  int code = -1;
  CaptureStdoutOf([&] { code = WinMain(nullptr, nullptr, args.data(), SW_SHOWDEFAULT); });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(headless::ScriptedMessagesLeft(), 0u);
  ASSERT_EQ(headless::MessageBoxJournal().size(), 1u);
  EXPECT_EQ(headless::MessageBoxJournal()[0].caption, "Geometry Info");
  EXPECT_EQ(theVolume, nullptr);
  EXPECT_EQ(glContext, nullptr);
  EXPECT_EQ(theSurface.fastLighting, 1);
  EXPECT_EQ(theSurface.renderMethod, TRISTRIP_DISPLIST);
  theSurface.voxSpace = nullptr;
}

}  // namespace

// Every key of the table is in the manual page, and in the help unless it
// is one the classic help text leaves out.
TEST(KeyTable, EveryKeyIsDocumentedInTheManualAndTheHelp) {
  const std::string sourceFile = __FILE__;
  std::ifstream file(sourceFile.substr(0, sourceFile.rfind("/tests/")) + "/docs/qarmel.1");
  const std::string manual{std::istreambuf_iterator<char>(file), {}};
  const std::string keysSection = manual.substr(manual.find(".SH \"MOUSE AND KEYS\""));
  ASSERT_NE(manual.find(".SH \"MOUSE AND KEYS\""), std::string::npos);
  const std::string classicUnnamed = "123o\r /";
  for (const KeyCommand& command : KeyCommands()) {
    const char key = static_cast<char>(command.key);
    const std::string name = key == '\r'   ? "Return"
                             : key == 27   ? "Escape"
                             : key == ' '  ? "Space"
                             : key == '-'  ? "\\-"
                             : key == '\'' ? "\\(aq"  // roff's upright quote
                                           : std::string(1, key);
    SCOPED_TRACE(name);
    // A key's name stands as a bold word on a .B or .BR line of the section.
    bool inManual = false;
    for (std::size_t at = keysSection.find("\n.B"); at != std::string::npos;
         at = keysSection.find("\n.B", at + 1)) {
      std::istringstream words(keysSection.substr(at + 1, keysSection.find('\n', at + 1) - at));
      for (std::string word; words >> word;) {
        // Quoted separators (", ") are no key; a bare comma is.
        const bool quoted = word.find('"') != std::string::npos;
        std::erase_if(word, [quoted](char c) { return c == '"' || (quoted && c == ','); });
        inManual = inManual || word == name;
      }
    }
    EXPECT_TRUE(inManual);
    std::string inHelp = "[escape]";
    if (key != 27) inHelp = {'[', key, ']'};
    if (classicUnnamed.find(key) == std::string::npos) {
      EXPECT_NE(HelpText().find(inHelp), std::string::npos);
    }
    if (command.helpLine) {
      EXPECT_NE(std::string(command.helpLine).find(inHelp), std::string::npos);
    }
  }
}

// The state fields that features add after the letters are capped, and
// give way to a long file name only down to its floor.
TEST(WindowTitle, FieldsAreCappedAndGiveWayToTheName) {
  const std::string letters = " c f i l p q z";
  const std::string longField(kTitleFieldCap + 9, 'f');
  struct Case {
    std::string name;
    std::vector<std::string> fields;
    std::string expected;
  };
  const std::string capped(kTitleFieldCap, 'f');
  const std::string four = " " + capped + " " + capped + " " + capped + " " + capped;
  // A name too long for everything keeps at least its floor: here four
  // fields fit beside it, the last two are left out.
  const std::size_t room = kTitleSize - 1 - std::strlen("Qarmel ") - 2 - letters.size();
  ASSERT_LT(room - 5 * (kTitleFieldCap + 1), kTitleNameFloor);
  ASSERT_GE(room - 4 * (kTitleFieldCap + 1), kTitleNameFloor);
  const std::string hugeName(400, 'n');
  const Case cases[] = {
      {"a.cub", {"cut x 3..60", longField}, "Qarmel a.cub  " + letters + " cut x 3..60 " + capped},
      {hugeName, std::vector<std::string>(6, longField),
       "Qarmel " + hugeName.substr(0, room - four.size()) + "  " + letters + four},
  };
  for (const Case& c : cases) {
    const std::string title = ComposeTitle(c.name, letters, c.fields);
    EXPECT_LT(title.size(), kTitleSize);
    EXPECT_EQ(title, c.expected);
  }
}
