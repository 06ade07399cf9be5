// Game controllers on the scripted joysticks: XInput pads, DirectInput devices, caps and failures.
#include "EingabeHilfen.h"
#include "WinJoystick.h"

using eingabe::Aufruf;
using V = std::vector<std::string>;

namespace {

OPRIX::WinJoystick* Joy(OPRIX::InputSystem* s, int n) {
  int gefunden = 0;
  for (OPRIX::Device* d : s->Devices())
    if (auto* j = dynamic_cast<OPRIX::WinJoystick*>(d); j && gefunden++ == n) return j;
  return nullptr;
}

SkriptPad DirectPad(int knoepfe, int achsen) {
  SkriptPad p;
  p.gamepad = false;
  p.hersteller = 0x1234;
  p.produkt = 0x5678;
  p.knoepfe.assign(size_t(knoepfe), 0);
  p.achsen.assign(size_t(achsen), 0.0f);
  return p;
}

}  // namespace

TEST_F(EingabeTest, XInputPadMapping) {
  quelle.pads = {SkriptPad{}, SkriptPad{}};
  quelle.pads[0].pad.knoepfe[GLFW_GAMEPAD_BUTTON_A] = 1;  // held at start: the first poll is muted
  OPRIX::InputSystem* s = Starte();
  EXPECT_TRUE(handler.aufrufe.empty());
  OPRIX::WinJoystick* a = Joy(s, 0);
  OPRIX::WinJoystick* b = Joy(s, 1);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->XInputIndex(), 0u);
  EXPECT_EQ(b->XInputIndex(), 1u);
  EXPECT_EQ(a->ButtonCount(), 13);
  EXPECT_EQ(a->AxisCount(), 8);
  eingabe::PadZustand& pad = quelle.pads[0].pad;
  pad.achsen[1] = -1.0f;  // stick fully up
  pad.achsen[4] = 1.0f;   // full trigger
  pad.knoepfe[GLFW_GAMEPAD_BUTTON_DPAD_LEFT] = pad.knoepfe[GLFW_GAMEPAD_BUTTON_DPAD_RIGHT] = 1;
  pad.knoepfe[GLFW_GAMEPAD_BUTTON_START] = pad.knoepfe[GLFW_GAMEPAD_BUTTON_BACK] = 1;
  pad.knoepfe[GLFW_GAMEPAD_BUTTON_LEFT_THUMB] = pad.knoepfe[GLFW_GAMEPAD_BUTTON_GUIDE] = 1;
  Frame();
  EXPECT_FLOAT_EQ(a->AxisPosition(1), -1.0f);
  EXPECT_NEAR(a->AxisPosition(2), 2.008f, 0.001f);
  EXPECT_EQ(a->AxisPosition(6), 0.0f);
  EXPECT_TRUE(a->ButtonHeld(0));
  EXPECT_TRUE(a->ButtonHeld(6));
  EXPECT_TRUE(a->ButtonHeld(7));
  EXPECT_TRUE(a->ButtonHeld(9));
  EXPECT_FALSE(a->ButtonHeld(8));
  EXPECT_EQ(handler.Von(8), V({"6 down", "7 down", "9 down"}));
  EXPECT_TRUE(handler.Von(1).empty());
  handler.aufrufe.clear();
  Frame();
  EXPECT_TRUE(handler.aufrufe.empty());  // only changes raise events
  quelle.fehler = {{Aufruf::XInputGetState, 0}};
  Frame();
  EXPECT_EQ(a->AxisPosition(1), 0.0f);
  EXPECT_FALSE(a->ButtonHeld(6));
}

TEST_F(EingabeTest, DirectInputPadRecords) {
  quelle.pads = {DirectPad(12, 4)};
  OPRIX::InputSystem* s = Starte();
  OPRIX::WinJoystick* j = Joy(s, 0);
  ASSERT_TRUE(j);
  EXPECT_EQ(j->XInputIndex(), OPRIX::WinJoystick::NO_XINPUT);
  EXPECT_EQ(j->ButtonCount(), 12);
  EXPECT_EQ(j->AxisCount(), 4);
  Frame();
  quelle.pads[0].knoepfe[3] = 1;
  quelle.pads[0].achsen = {1.0f, -1.0f, 0.0f, 0.5f};
  Frame();
  EXPECT_TRUE(j->ButtonHeld(3));
  EXPECT_EQ(j->AxisPosition(0), 1.0f);
  EXPECT_EQ(j->AxisPosition(1), -1.0f);
  EXPECT_EQ(j->AxisPosition(2), 0.0f);
  EXPECT_EQ(j->AxisMotion(2), 0.0f);
  EXPECT_EQ(handler.Von(8), V({"3 down"}));
  handler.aufrufe.clear();
  OPRIX::NoteWindowFocus(false);
  EXPECT_EQ(handler.Von(8), V({"3 up"}));
  EXPECT_EQ(handler.Von(9), V({"0=0.000", "1=0.000", "3=0.000"}));
}

TEST_F(EingabeTest, ControllerCountsAreCapped) {
  quelle.pads = {DirectPad(100, 20)};
  OPRIX::InputSystem* s = Starte();
  OPRIX::WinJoystick* j = Joy(s, 0);
  ASSERT_TRUE(j);
  EXPECT_EQ(j->ButtonCount(), 64);
  EXPECT_EQ(j->AxisCount(), 16);
  Frame();
  quelle.pads[0].knoepfe.assign(100, 1);
  Frame();
  quelle.pads[0].achsen.assign(20, 1.0f);
  Frame();
  EXPECT_TRUE(j->ButtonHeld(63));
  EXPECT_FALSE(j->ButtonHeld(64));
  EXPECT_EQ(j->AxisPosition(15), 1.0f);
  EXPECT_EQ(handler.Von(8).size(), 64u);
  EXPECT_EQ(handler.Von(9).size(), 16u);
}

TEST_F(EingabeTest, FailingControllerLeavesOthersWorking) {
  const Aufruf schritte[] = {Aufruf::JoystickErzeugen, Aufruf::JoystickFormat, Aufruf::JoystickKooperation,
                             Aufruf::JoystickPuffer, Aufruf::JoystickFaehigkeiten, Aufruf::JoystickBereich};
  for (Aufruf a : schritte) {
    OPRIX::CloseInput();
    quelle.pads = {DirectPad(4, 2), DirectPad(4, 2)};
    quelle.fehler = {{a, 0}};
    OPRIX::InputSystem* s = Starte();
    ASSERT_TRUE(s);
    EXPECT_EQ(s->JoystickCount(), 1);
    EXPECT_EQ(s->KeyboardCount(), 1);
  }
  OPRIX::CloseInput();
  EXPECT_EQ(eingabe::LebendeObjekte(), 0);
}

TEST_F(EingabeTest, WmiFailuresLeavePadsOnDirectInput) {
  const Aufruf schritte[] = {Aufruf::CoInitialize, Aufruf::CoCreateInstance, Aufruf::ConnectServer,
                             Aufruf::CoSetProxyBlanket, Aufruf::CreateInstanceEnum, Aufruf::Next, Aufruf::Get};
  for (Aufruf a : schritte) {
    OPRIX::CloseInput();
    quelle.pads = {SkriptPad{}};
    quelle.fehler = {{a, -1}};
    OPRIX::InputSystem* s = Starte();
    ASSERT_TRUE(s);
    EXPECT_EQ(Joy(s, 0)->XInputIndex(), OPRIX::WinJoystick::NO_XINPUT);
    OPRIX::CloseInput();
    EXPECT_EQ(eingabe::LebendeObjekte(), 0);
  }
}

TEST_F(EingabeTest, WmiListsInBatchesAndSkipsOddIds) {
  quelle.pads = {SkriptPad{}};
  quelle.pnpEigen = true;
  for (int i = 0; i < 25; ++i) quelle.pnp.push_back({true, L"USB\\VID_0000&PID_0000"});
  quelle.pnp.push_back({false, L""});
  quelle.pnp.push_back({true, L"HID\\IG_00\\noid"});
  quelle.pnp.push_back({true, L"HID\\VID_045E&PID_028E&IG_00\\0"});
  OPRIX::InputSystem* s = Starte();
  EXPECT_EQ(Joy(s, 0)->XInputIndex(), 0u);
  OPRIX::CloseInput();
  EXPECT_EQ(eingabe::LebendeObjekte(), 0);
}

TEST_F(EingabeTest, VanishedControllerComesToRestOnce) {
  quelle.pads = {DirectPad(6, 3), SkriptPad{}, DirectPad(8, 2)};
  quelle.pads[1].pad.achsen[4] = quelle.pads[1].pad.achsen[5] = -1.0f;  // triggers at rest
  OPRIX::InputSystem* s = Starte();
  OPRIX::WinJoystick* weg = Joy(s, 0);
  OPRIX::WinJoystick* pad = Joy(s, 1);
  OPRIX::WinJoystick* bleibt = Joy(s, 2);
  ASSERT_TRUE(weg && pad && bleibt);
  ASSERT_EQ(pad->XInputIndex(), 0u);
  Frame();
  quelle.pads[0].knoepfe[2] = 1;
  quelle.pads[0].achsen[1] = 1.0f;
  quelle.pads[1].pad.knoepfe[GLFW_GAMEPAD_BUTTON_START] = 1;
  Frame();
  ASSERT_TRUE(weg->ButtonHeld(2) && pad->ButtonHeld(6));
  handler.aufrufe.clear();
  quelle.pads[0].da = quelle.pads[1].da = false;
  Frame();
  EXPECT_EQ(handler.Von(8), V({"2 up", "6 up"}));
  EXPECT_EQ(handler.Von(9), V({"1=0.000"}));
  EXPECT_TRUE(weg->ButtonWentUp(2));
  EXPECT_EQ(weg->AxisPosition(1), 0.0f);
  handler.aufrufe.clear();
  quelle.pads[0].knoepfe[0] = 1;  // a vanished device no longer reads
  quelle.pads[2].knoepfe[7] = 1;
  Frame();
  Frame();
  EXPECT_EQ(handler.Von(8), V({"7 down"}));
  EXPECT_FALSE(weg->ButtonHeld(0));
  EXPECT_TRUE(bleibt->ButtonHeld(7));
  OPRIX::NoteWindowFocus(false);
  EXPECT_EQ(handler.Von(8), V({"7 down", "7 up"}));
}
