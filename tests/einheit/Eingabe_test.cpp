// Input system, mouse and keyboard on the scripted back end.
#include <cmath>
#include <utility>

#include "EingabeHilfen.h"
#include "Plattform/eingabe/Fenster.h"
#include "WinInput.h"

using eingabe::Aufruf;
using V = std::vector<std::string>;

namespace {

struct Schritt {
  Aufruf aufruf;
  const char* fehler;
};

}  // namespace

TEST_F(EingabeTest, FailedCreationLeavesNothingBehind) {
  const Schritt schritte[] = {
      {Aufruf::DirectInput8Create, "Unable to init DirectX8 Input"},
      {Aufruf::TastaturErzeugen, "Could not init default keyboard"},
      {Aufruf::TastaturFormat, "Keyboard format error"},
      {Aufruf::GeraeteAnzahl, "unable to get device count"},
      {Aufruf::GeraeteListe, "unable to retrieve device list"},
      {Aufruf::RegisterRawInputDevices, "failed to register for input messages"},
  };
  quelle.pads.push_back({});
  for (const Schritt& s : schritte) {
    SCOPED_TRACE(s.fehler);
    log.clear();
    quelle.fehler = {{s.aufruf, -1}};
    EXPECT_FALSE(OPRIX::OpenWindowInput(&fenster));
    EXPECT_EQ(OPRIX::gInputSystem, nullptr);
    EXPECT_TRUE(HatLog(std::string("Exception while creating OPRIX instance: ") + s.fehler));
    EXPECT_FALSE(quelle.rueckrufeAn);
    EXPECT_EQ(eingabe::LebendeObjekte(), 0);
  }
  log.clear();
  EXPECT_FALSE(OPRIX::OpenWindowInput(nullptr));
  EXPECT_TRUE(HatLog("Exception while creating OPRIX instance: HWND is not valid"));
  EXPECT_EQ(OPRIX::gInputSystem, nullptr);
}

TEST_F(EingabeTest, CreationLifecycle) {
  OPRIX::NoteWindowFocus(false);
  OPRIX::InputSystem* s = Starte();
  ASSERT_NE(s, nullptr);
  EXPECT_TRUE(HatLog("OPRIX instance created."));
  EXPECT_TRUE(quelle.rueckrufeAn);
  EXPECT_FALSE(OPRIX::OpenWindowInput(&fenster));
  EXPECT_TRUE(HatLog("Exception while creating OPRIX instance: Input already initialized"));
  EXPECT_EQ(OPRIX::gInputSystem, s);
  quelle.Im([] { Druecke(GLFW_KEY_W); });
  Frame();
  EXPECT_EQ(handler.Von(1), V({"17 down"}));
  OPRIX::CloseInput();
  OPRIX::CloseInput();
  EXPECT_TRUE(HatLog("OPRIX instance going down."));
  EXPECT_FALSE(quelle.rueckrufeAn);
  EXPECT_EQ(eingabe::LebendeObjekte(), 0);
}

TEST_F(EingabeTest, FirstUpdateIsMutedAndEdgesLastOneFrame) {
  ASSERT_TRUE(OPRIX::OpenWindowInput(&fenster));
  OPRIX::InputSystem* s = OPRIX::gInputSystem;
  s->handler = &handler;
  quelle.Im([] { Druecke(GLFW_KEY_A); });
  Frame();
  EXPECT_TRUE(handler.aufrufe.empty());
  quelle.Im([] { Druecke(GLFW_KEY_F4); });
  Frame();
  OPRIX::Keyboard* k = s->PrimaryKeyboard();
  EXPECT_TRUE(k->KeyWentDown(62));
  EXPECT_FALSE(k->KeyHeld(30));
  Frame();
  EXPECT_FALSE(k->KeyWentDown(62));
  EXPECT_TRUE(k->KeyHeld(62));
  quelle.Im([] { Loese(GLFW_KEY_F4); });
  Frame();
  EXPECT_TRUE(k->KeyWentUp(62));
  Frame();
  EXPECT_FALSE(k->KeyWentUp(62));
  quelle.Im([] {
    Druecke(GLFW_KEY_Q);
    Loese(GLFW_KEY_Q);
  });
  Frame();
  EXPECT_FALSE(k->KeyWentDown(16));
  EXPECT_EQ(handler.Von(1), V({"62 down", "62 up", "16 down", "16 up"}));
}

TEST_F(EingabeTest, RepeatTimeline) {
  Starte();
  quelle.Im([] { Druecke(GLFW_KEY_W, 'w'); });
  Frame();
  handler.aufrufe.clear();
  int verstrichen = 0, paareBei950 = -1, erstesPaarBei = -1;
  for (int n = 0; verstrichen < 1050; ++n) {
    const int ms = n % 3 == 2 ? 17 : 16;
    Frame(ms);
    verstrichen += ms;
    if (erstesPaarBei < 0 && !handler.aufrufe.empty()) erstesPaarBei = verstrichen;
    if (verstrichen <= 950) paareBei950 = int(handler.Von(7).size());
  }
  EXPECT_GT(erstesPaarBei, 700);
  EXPECT_LE(erstesPaarBei, 700 + 17);  // within a frame
  EXPECT_EQ(paareBei950, 3);
  V ohneZweiteChance;
  for (const std::string& a : handler.aufrufe)
    if (a[0] != '8') ohneZweiteChance.push_back(a);
  V vierPaare;
  for (int i = 0; i < 4; ++i) vierPaare.insert(vierPaare.end(), {"1:17 up", "1:17 down", "7:U+0077"});
  EXPECT_EQ(ohneZweiteChance, vierPaare);
}

TEST_F(EingabeTest, RepeatCountdownLimits) {
  OPRIX::InputSystem* s = Starte();
  quelle.Im([] { Druecke(GLFW_KEY_W); });
  Frame();
  handler.aufrufe.clear();
  Frame(2000);
  Frame(550);
  EXPECT_TRUE(handler.aufrufe.empty());  // 0.2 s counted of 0.7
  zeit -= int64_t(500) * 1'000'000;  // tick goes back: nothing counted
  int frames = 0;
  while (handler.aufrufe.empty() && frames < 100) {
    Frame(16);
    ++frames;
  }
  EXPECT_GE(frames, 1 + 31);  // the remaining 0.5 s
  EXPECT_LE(frames, 1 + 33);
  // Releasing another key keeps the repeat, a newer press takes it over, its release stops it.
  quelle.Im([] {
    Druecke(GLFW_KEY_E);
    Loese(GLFW_KEY_E);
  });
  Frame(100);
  handler.aufrufe.clear();
  quelle.Im([] { Druecke(GLFW_KEY_R); });
  Frame(16);
  for (int i = 0; i < 8; ++i) Frame(100);
  EXPECT_EQ(handler.Von(1).front(), "19 down");
  EXPECT_EQ(handler.Von(1)[1], "19 up");
  quelle.Im([] { Loese(GLFW_KEY_R); });
  Frame();
  handler.aufrufe.clear();
  for (int i = 0; i < 10; ++i) Frame(100);
  EXPECT_TRUE(handler.aufrufe.empty());
  s->keyRepeatEnabled = false;
  quelle.Im([] { Druecke(GLFW_KEY_T); });
  for (int i = 0; i < 10; ++i) Frame(100);
  EXPECT_EQ(handler.Von(1), V({"20 down"}));
}

TEST_F(EingabeTest, TickWrapStillCounts) {
  zeit = int64_t(0xFFFFFFF0u) * 1'000'000;
  Starte();
  quelle.Im([] { Druecke(GLFW_KEY_W); });
  Frame();
  handler.aufrufe.clear();
  for (int i = 0; i < 43; ++i) Frame(16);  // crosses 2^32 ms
  EXPECT_TRUE(handler.aufrufe.empty());
  Frame(16);
  EXPECT_EQ(handler.Von(1), V({"17 up", "17 down"}));
}

TEST_F(EingabeTest, DispatchOrderAgainstAnswers) {
  struct Fall {
    int verbraucht;  // slot that consumes, 0 none
    V erwartet;
  };
  const Fall faelle[] = {
      {0, {"1:17 down", "7:U+0077", "8:17 down"}},
      {1, {"1:17 down"}},
      {7, {"1:17 down", "7:U+0077"}},
      {8, {"1:17 down", "7:U+0077", "8:17 down"}},
  };
  Starte();
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.verbraucht);
    for (bool& a : handler.antwort) a = false;
    if (f.verbraucht) handler.antwort[f.verbraucht] = true;
    handler.aufrufe.clear();
    quelle.Im([] { Druecke(GLFW_KEY_W, 'w'); });
    Frame();
    EXPECT_EQ(handler.aufrufe, f.erwartet);
    quelle.Im([] {
      Druecke(GLFW_KEY_W);  // duplicate press: nothing
      Loese(GLFW_KEY_W);
    });
    handler.aufrufe.clear();
    Frame();
    EXPECT_EQ(handler.aufrufe.front(), "1:17 up");
  }
  // Mouse button, wheel and motion of one frame: a consuming slot ends its event's road only.
  const Fall mausFaelle[] = {
      {0, {"3:0 down", "8:0 down", "3:0 up", "8:0 up", "4:120", "9:2=120.000", "2:325,240", "9:0=5.000"}},
      {3, {"3:0 down", "3:0 up", "4:120", "9:2=120.000", "2:325,240", "9:0=5.000"}},
      {4, {"3:0 down", "8:0 down", "3:0 up", "8:0 up", "4:120", "2:325,240", "9:0=5.000"}},
      {2, {"3:0 down", "8:0 down", "3:0 up", "8:0 up", "4:120", "9:2=120.000", "2:325,240"}},
  };
  for (const Fall& f : mausFaelle) {
    SCOPED_TRACE(f.verbraucht);
    for (bool& a : handler.antwort) a = false;
    quelle.cursorX = 320;
    Frame();  // the cursor back and the previous wheel's zero-delta event
    if (f.verbraucht) handler.antwort[f.verbraucht] = true;
    handler.aufrufe.clear();
    quelle.Im([] {
      eingabe::Knopf(0, GLFW_PRESS);
      eingabe::Knopf(0, GLFW_RELEASE);
      eingabe::Rollen(0, 1);
    });
    quelle.cursorX = 325;
    Frame();
    EXPECT_EQ(handler.aufrufe, f.erwartet);
  }
}

TEST_F(EingabeTest, WithoutHandlerStateChangesOnly) {
  OPRIX::InputSystem* s = Starte();
  s->handler = nullptr;
  quelle.Im([] { Druecke(GLFW_KEY_W, 'w'); });
  Frame();
  EXPECT_TRUE(s->PrimaryKeyboard()->KeyHeld(17));
  EXPECT_TRUE(handler.aufrufe.empty());
}

TEST_F(EingabeTest, KeyTableThroughPacketPath) {
  // Every key with a code, row by row.
  const std::pair<int, int> tabelle[] = {
      {GLFW_KEY_ESCAPE, 1}, {GLFW_KEY_1, 2}, {GLFW_KEY_2, 3}, {GLFW_KEY_3, 4}, {GLFW_KEY_4, 5}, {GLFW_KEY_5, 6},
      {GLFW_KEY_6, 7}, {GLFW_KEY_7, 8}, {GLFW_KEY_8, 9}, {GLFW_KEY_9, 10}, {GLFW_KEY_0, 11}, {GLFW_KEY_MINUS, 12},
      {GLFW_KEY_EQUAL, 13}, {GLFW_KEY_BACKSPACE, 14}, {GLFW_KEY_TAB, 15},
      {GLFW_KEY_Q, 16}, {GLFW_KEY_W, 17}, {GLFW_KEY_E, 18}, {GLFW_KEY_R, 19}, {GLFW_KEY_T, 20}, {GLFW_KEY_Y, 21},
      {GLFW_KEY_U, 22}, {GLFW_KEY_I, 23}, {GLFW_KEY_O, 24}, {GLFW_KEY_P, 25}, {GLFW_KEY_LEFT_BRACKET, 26},
      {GLFW_KEY_RIGHT_BRACKET, 27}, {GLFW_KEY_ENTER, 28}, {GLFW_KEY_LEFT_CONTROL, 29},
      {GLFW_KEY_A, 30}, {GLFW_KEY_S, 31}, {GLFW_KEY_D, 32}, {GLFW_KEY_F, 33}, {GLFW_KEY_G, 34}, {GLFW_KEY_H, 35},
      {GLFW_KEY_J, 36}, {GLFW_KEY_K, 37}, {GLFW_KEY_L, 38}, {GLFW_KEY_SEMICOLON, 39}, {GLFW_KEY_APOSTROPHE, 40},
      {GLFW_KEY_GRAVE_ACCENT, 41}, {GLFW_KEY_LEFT_SHIFT, 42}, {GLFW_KEY_BACKSLASH, 43},
      {GLFW_KEY_Z, 44}, {GLFW_KEY_X, 45}, {GLFW_KEY_C, 46}, {GLFW_KEY_V, 47}, {GLFW_KEY_B, 48}, {GLFW_KEY_N, 49},
      {GLFW_KEY_M, 50}, {GLFW_KEY_COMMA, 51}, {GLFW_KEY_PERIOD, 52}, {GLFW_KEY_SLASH, 53},
      {GLFW_KEY_RIGHT_SHIFT, 54}, {GLFW_KEY_KP_MULTIPLY, 55}, {GLFW_KEY_LEFT_ALT, 56}, {GLFW_KEY_SPACE, 57},
      {GLFW_KEY_CAPS_LOCK, 58},
      {GLFW_KEY_F1, 59}, {GLFW_KEY_F2, 60}, {GLFW_KEY_F3, 61}, {GLFW_KEY_F4, 62}, {GLFW_KEY_F5, 63},
      {GLFW_KEY_F6, 64}, {GLFW_KEY_F7, 65}, {GLFW_KEY_F8, 66}, {GLFW_KEY_F9, 67}, {GLFW_KEY_F10, 68},
      {GLFW_KEY_NUM_LOCK, 69}, {GLFW_KEY_SCROLL_LOCK, 70}, {GLFW_KEY_KP_7, 71}, {GLFW_KEY_KP_8, 72},
      {GLFW_KEY_KP_9, 73}, {GLFW_KEY_KP_SUBTRACT, 74}, {GLFW_KEY_KP_4, 75}, {GLFW_KEY_KP_5, 76},
      {GLFW_KEY_KP_6, 77}, {GLFW_KEY_KP_ADD, 78}, {GLFW_KEY_KP_1, 79}, {GLFW_KEY_KP_2, 80}, {GLFW_KEY_KP_3, 81},
      {GLFW_KEY_KP_0, 82}, {GLFW_KEY_KP_DECIMAL, 83},
      {GLFW_KEY_WORLD_1, 86}, {GLFW_KEY_F11, 87}, {GLFW_KEY_F12, 88}, {GLFW_KEY_F13, 100}, {GLFW_KEY_F14, 101},
      {GLFW_KEY_F15, 102}, {GLFW_KEY_KP_EQUAL, 141},
      {GLFW_KEY_KP_ENTER, 156}, {GLFW_KEY_RIGHT_CONTROL, 157}, {GLFW_KEY_KP_DIVIDE, 181},
      {GLFW_KEY_PRINT_SCREEN, 183}, {GLFW_KEY_RIGHT_ALT, 184}, {GLFW_KEY_PAUSE, 197},
      {GLFW_KEY_HOME, 199}, {GLFW_KEY_UP, 200}, {GLFW_KEY_PAGE_UP, 201}, {GLFW_KEY_LEFT, 203},
      {GLFW_KEY_RIGHT, 205}, {GLFW_KEY_END, 207}, {GLFW_KEY_DOWN, 208}, {GLFW_KEY_PAGE_DOWN, 209},
      {GLFW_KEY_INSERT, 210}, {GLFW_KEY_DELETE, 211},
      {GLFW_KEY_LEFT_SUPER, 219}, {GLFW_KEY_RIGHT_SUPER, 220}, {GLFW_KEY_MENU, 221},
  };
  Starte();
  for (const auto& [taste, dik] : tabelle) {
    handler.aufrufe.clear();
    quelle.Im([taste = taste] {
      Druecke(taste);
      Loese(taste);
    });
    Frame();
    EXPECT_EQ(handler.Von(1), V({std::to_string(dik) + " down", std::to_string(dik) + " up"})) << "GLFW key " << taste;
  }
  handler.aufrufe.clear();
  quelle.Im([] {
    eingabe::Taste(GLFW_KEY_UNKNOWN, 30, GLFW_PRESS);
    eingabe::Taste(GLFW_KEY_UNKNOWN, 8, GLFW_PRESS);
    eingabe::Taste(GLFW_KEY_UNKNOWN, 97, GLFW_PRESS);
    eingabe::Taste(GLFW_KEY_WORLD_2, 0, GLFW_PRESS);
    eingabe::Taste(GLFW_KEY_F16, 0, GLFW_PRESS);
    eingabe::Taste(GLFW_KEY_A, 0, GLFW_REPEAT);
  });
  Frame();
  EXPECT_EQ(handler.Von(1), V({"22 down"}));
}

namespace {

win32::RAWINPUT TastenPaket(uintptr_t geraet, int make, int vk, int flags) {
  win32::RAWINPUT p{};
  p.header = {win32::RIM_TYPEKEYBOARD, sizeof(win32::RAWINPUT), reinterpret_cast<win32::HANDLE>(geraet), 0};
  p.data.keyboard.MakeCode = win32::USHORT(make);
  p.data.keyboard.VKey = win32::USHORT(vk);
  p.data.keyboard.Flags = win32::USHORT(flags);
  return p;
}

win32::RAWINPUT MausPaket(uintptr_t geraet, int knopfFlags) {
  win32::RAWINPUT p{};
  p.header = {win32::RIM_TYPEMOUSE, sizeof(win32::RAWINPUT), reinterpret_cast<win32::HANDLE>(geraet), 0};
  p.data.mouse.usButtonFlags = win32::USHORT(knopfFlags);
  return p;
}

}  // namespace

TEST_F(EingabeTest, RawKeyboardPacketsByVirtualKey) {
  Starte();
  quelle.Im([] {
    eingabe::Einreihen(TastenPaket(eingabe::TASTATUR_HANDLE, 0x2A, 16, 0));
    eingabe::Einreihen(TastenPaket(eingabe::TASTATUR_HANDLE, 0x36, 16, 0));
    eingabe::Einreihen(TastenPaket(eingabe::TASTATUR_HANDLE, 0x45, 19, win32::RI_KEY_E1));
    eingabe::Einreihen(TastenPaket(eingabe::TASTATUR_HANDLE, 0x10, 255, 0));
    eingabe::Einreihen(TastenPaket(eingabe::TASTATUR_HANDLE, 0x48, 38, 0));
    eingabe::Einreihen(TastenPaket(eingabe::TASTATUR_HANDLE, 0x48, 38, win32::RI_KEY_E0));
    eingabe::Einreihen(TastenPaket(99, 0x1E, 'A', 0));  // unknown device
  });
  Frame();
  EXPECT_EQ(handler.Von(1), V({"42 down", "54 down", "197 down", "72 down", "200 down"}));
}

TEST_F(EingabeTest, DeadKeyPendingMarkComposes) {
  OPRIX::InputSystem* s = Starte();
  quelle.zeichenAntworten = {L"^^", L"", L"e"};
  quelle.Im([] {
    Druecke(GLFW_KEY_LEFT_BRACKET);
    Loese(GLFW_KEY_LEFT_BRACKET);
  });
  Frame();
  auto* k = static_cast<OPRIX::WinKeyboard*>(s->PrimaryKeyboard());
  EXPECT_EQ(k->PendingMark(), 0x302u);
  EXPECT_TRUE(handler.Von(7).empty());
  quelle.Im([] { Druecke(GLFW_KEY_E); });
  Frame();
  EXPECT_EQ(handler.Von(7), V({"U+00EA"}));
  EXPECT_EQ(k->PendingMark(), 0u);
}

TEST_F(EingabeTest, TextPairing) {
  struct Fall {
    const char* name;
    void (*ereignisse)();
    V erwartet;
  };
  const Fall faelle[] = {
      {"press char release", [] { Druecke(GLFW_KEY_W, 'w'); Loese(GLFW_KEY_W); }, {"1:17 down", "7:U+0077", "1:17 up"}},
      {"composed", [] { Druecke(GLFW_KEY_E, 0xEA); }, {"1:18 down", "7:U+00EA"}},
      {"repeat", [] { eingabe::Taste(GLFW_KEY_W, 0, GLFW_REPEAT); eingabe::Zeichen('w'); }, {}},
      {"char alone", [] { eingabe::Zeichen('x'); }, {}},
      {"second char", [] { Druecke(GLFW_KEY_W, 'w'); eingabe::Zeichen('x'); }, {"1:17 down", "7:U+0077"}},
      {"no code", [] { eingabe::Taste(GLFW_KEY_UNKNOWN, 8, GLFW_PRESS); eingabe::Zeichen(0xFC); }, {}},
      {"astral", [] { Druecke(GLFW_KEY_A, 0x1F600); }, {"1:30 down", "7:U+1F600"}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    OPRIX::CloseInput();
    Starte();
    handler.aufrufe.clear();
    quelle.Im(f.ereignisse);
    Frame();
    V ohneZweiteChance;
    for (const std::string& a : handler.aufrufe)
      if (a[0] != '8') ohneZweiteChance.push_back(a);
    EXPECT_EQ(ohneZweiteChance, f.erwartet);
  }
}

TEST_F(EingabeTest, SwapMiceByActivity) {
  quelle.rohGeraete = {{1, 1, "kbd"}, {10, 0, "m0"}, {11, 0, "m1"}, {12, 0, "RDP_MOU"}};
  OPRIX::InputSystem* s = Starte();
  EXPECT_EQ(s->MouseCount(), 2);
  OPRIX::Mouse* zweite = s->MouseAt(1);
  quelle.Im([] { eingabe::Einreihen(MausPaket(11, 1)); });
  Frame();
  EXPECT_EQ(s->PrimaryMouse(), zweite);
  EXPECT_EQ(zweite->Index(), 0);
  EXPECT_EQ(s->MouseAt(0), zweite);
  int swaps = 0;
  for (const std::string& z : log) swaps += z.rfind("Swap mice due to activity: ", 0) == 0;
  EXPECT_EQ(swaps, 1);
  quelle.Im([] { eingabe::Einreihen(MausPaket(10, 1)); });
  Frame();
  swaps = 0;
  for (const std::string& z : log) swaps += z.rfind("Swap mice", 0) == 0;
  EXPECT_EQ(swaps, 1);
}

TEST_F(EingabeTest, ThreeMiceSwapOnlyDownwards) {
  quelle.rohGeraete = {{1, 1, "kbd"}, {10, 0, "m0"}, {11, 0, "m1"}, {12, 0, "m2"}};
  OPRIX::InputSystem* s = Starte();
  OPRIX::Mouse* erste = s->MouseAt(0);
  quelle.Im([] {
    eingabe::Einreihen(MausPaket(10, 1));
    eingabe::Einreihen(MausPaket(11, 1));
  });
  Frame();
  EXPECT_EQ(s->PrimaryMouse(), erste);
  for (const std::string& z : log) EXPECT_NE(z.rfind("Swap", 0), 0u) << z;
}

TEST_F(EingabeTest, MouseButtonsWheelAndMotion) {
  OPRIX::InputSystem* s = Starte();
  OPRIX::Mouse* m = s->PrimaryMouse();
  quelle.Im([] {
    for (int b = 0; b < 8; ++b) eingabe::Knopf(b, GLFW_PRESS);
    eingabe::Rollen(0.3, 1);
  });
  Frame();
  EXPECT_EQ(handler.Von(3), V({"0 down", "1 down", "2 down", "3 down", "4 down"}));
  EXPECT_EQ(handler.Von(4), V({"120"}));
  EXPECT_EQ(m->AxisPosition(2), 120.0f);
  EXPECT_EQ(m->AxisMotion(2), 120.0f);
  EXPECT_TRUE(m->ButtonWentDown(0));
  handler.aufrufe.clear();
  quelle.cursorX = 330;
  quelle.cursorY = 235;
  Frame();
  EXPECT_EQ(handler.Von(4), V({"0"}));
  EXPECT_EQ(m->AxisPosition(2), 0.0f);
  EXPECT_EQ(m->AxisMotion(2), -120.0f);
  EXPECT_EQ(handler.Von(2), V({"330,235"}));
  EXPECT_EQ(m->RelativeX(), 10.0f);
  EXPECT_EQ(m->RelativeY(), -5.0f);
  EXPECT_TRUE(m->ButtonHeld(0));
  EXPECT_FALSE(m->ButtonWentDown(0));
  handler.aufrufe.clear();
  Frame();
  EXPECT_TRUE(handler.aufrufe.empty());
  EXPECT_EQ(m->RelativeX(), 0.0f);
  // A scroll that is no number gives nothing; a huge one is clamped to the packet's range.
  quelle.Im([] {
    eingabe::Rollen(0, std::nan(""));
    eingabe::Rollen(0, 1e9);
  });
  Frame();
  EXPECT_EQ(handler.Von(4), V({"32767"}));
}

TEST_F(EingabeTest, GrabWarpsAndFocusLogs) {
  OPRIX::InputSystem* s = Starte();
  OPRIX::Mouse* m = s->PrimaryMouse();
  s->mouseGrabWanted = true;
  s->RecomputeGrab();
  EXPECT_TRUE(HatLog("OPRIX: grabbing mouse"));
  ASSERT_FALSE(quelle.sprunge.empty());
  EXPECT_EQ(quelle.sprunge.back(), std::make_pair(320, 240));
  const float x = m->AbsoluteX();
  quelle.cursorX = 330;
  Frame();
  EXPECT_EQ(m->AbsoluteX(), x + 10);
  EXPECT_EQ(quelle.sprunge.back(), std::make_pair(320, 240));
  log.clear();
  OPRIX::NoteWindowFocus(false);
  EXPECT_EQ(log, V({"OPRIX: lost focus", "OPRIX: releasing mouse"}));
  log.clear();
  OPRIX::NoteWindowFocus(true);
  EXPECT_EQ(log, V({"OPRIX: got focus", "OPRIX: grabbing mouse"}));
  EXPECT_EQ(quelle.sprunge.back(), std::make_pair(320, 240));
  // The release warp is limited to the window.
  s->mouseGrabWanted = false;
  quelle.cursorX = 2000;
  Frame();
  s->RecomputeGrab();
  s->mouseGrabWanted = true;
  s->RecomputeGrab();
  quelle.cursorX = 2000;
  Frame();
  s->mouseGrabWanted = false;
  s->RecomputeGrab();
  EXPECT_EQ(quelle.sprunge.back().first, 640);
}

TEST_F(EingabeTest, FocusLossReleasesEverything) {
  OPRIX::InputSystem* s = Starte();
  quelle.Im([] {
    Druecke(GLFW_KEY_W);
    eingabe::Knopf(0, GLFW_PRESS);
  });
  Frame();
  handler.aufrufe.clear();
  quelle.Im([] { OPRIX::NoteWindowFocus(false); });
  Frame();
  EXPECT_EQ(handler.Von(1), V({"17 up"}));
  EXPECT_EQ(handler.Von(3), V({"0 up"}));
  EXPECT_TRUE(s->PrimaryMouse()->ButtonWentUp(0));
  EXPECT_TRUE(HatLog("OPRIX: lost focus"));
  handler.aufrufe.clear();
  for (int i = 0; i < 60; ++i) Frame();
  EXPECT_TRUE(handler.aufrufe.empty());  // the repeat stopped
  quelle.cursorX = 100;
  OPRIX::NoteWindowFocus(true);
  EXPECT_EQ(handler.Von(2), V({"100,240"}));
}

TEST_F(EingabeTest, PressQueuedBeforeFocusLossIsReleased) {
  OPRIX::InputSystem* s = Starte();
  quelle.Im([] {
    Druecke(GLFW_KEY_W);
    OPRIX::NoteWindowFocus(false);
  });
  Frame();
  EXPECT_FALSE(s->PrimaryKeyboard()->KeyHeld(17));
  EXPECT_EQ(handler.Von(1), V({"17 down", "17 up"}));
}

TEST_F(EingabeTest, KeyNamesFromSystemKeyboard) {
  OPRIX::InputSystem* s = Starte();
  OPRIX::Keyboard* k = s->PrimaryKeyboard();
  ASSERT_NE(k, nullptr);
  quelle.tastenName = "\xC3\xBC";  // a printable key named by the layout, not ASCII
  EXPECT_EQ(k->ButtonLabel(17), "\xC3\xBC");
  quelle.tastenName = "\xF0\x9F\x98\x80";
  EXPECT_EQ(k->ButtonLabel(17), "\xF0\x9F\x98\x80");
  const std::pair<int, const char*> benannt[] = {
      {1, "Esc"}, {200, "Up Arrow"}, {156, "Num Enter"}, {211, "Delete"}, {83, "Num Del"}};
  for (const auto& [taste, name] : benannt) EXPECT_EQ(k->ButtonLabel(taste), name) << taste;
  quelle.tastenName = "";  // the layout names no printable key
  for (int ohneName : {17, 0, 84, 255, -1, 256}) EXPECT_EQ(k->ButtonLabel(ohneName), "") << ohneName;
}

namespace {

std::vector<win32::UINT> weitergereicht;

win32::LRESULT VorherigeProzedur(win32::HWND, win32::UINT nachricht, win32::WPARAM, win32::LPARAM) {
  weitergereicht.push_back(nachricht);
  return 7;
}

}  // namespace

TEST_F(EingabeTest, WindowHookReadsRawInputMessage) {
  weitergereicht.clear();
  const auto eigene = reinterpret_cast<win32::LONG_PTR>(&VorherigeProzedur);
  ASSERT_NE(win32::SetWindowLongPtrW(&fenster, win32::GWLP_WNDPROC, eigene), 0);
  Starte();
  const auto nachricht = [this](win32::UINT n) {
    return win32::CallWindowProcW(&OPRIX::WinInput::WindowHook, &fenster, n, 0, 0);
  };
  Druecke(GLFW_KEY_W, 'w');
  eingabe::Einreihen(MausPaket(99, 1));  // a device not in the tables
  EXPECT_EQ(nachricht(win32::WM_INPUT), 0);
  EXPECT_EQ(handler.aufrufe, V({"1:17 down", "7:U+0077", "8:17 down"}));
  handler.aufrufe.clear();
  EXPECT_EQ(nachricht(win32::WM_INPUT), 0);
  EXPECT_EQ(nachricht(win32::WM_INPUT), 0);  // nothing left to read
  EXPECT_TRUE(handler.aufrufe.empty());
  EXPECT_TRUE(weitergereicht.empty());
  EXPECT_EQ(nachricht(0x0100), 7);
  EXPECT_EQ(weitergereicht, std::vector<win32::UINT>({0x0100}));
  OPRIX::CloseInput();
  const auto zurueck = win32::SetWindowLongPtrW(&fenster, win32::GWLP_WNDPROC,
                                                reinterpret_cast<win32::LONG_PTR>(&win32::DefWindowProcW));
  EXPECT_EQ(zurueck, eigene);
  EXPECT_FALSE(quelle.rueckrufeAn);
}
