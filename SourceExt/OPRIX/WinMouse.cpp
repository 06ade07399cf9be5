#include "WinMouse.h"

#include <cstring>

#include "WinInput.h"

namespace OPRIX {
namespace {

// Button n is pressed by flag 1 << 2n and released by flag 2 << 2n.
constexpr int RAW_BUTTONS = 5;

const win32::RAWMOUSE& MouseData(const win32::RAWINPUT* packet, bool wow64) {
  const char* data = reinterpret_cast<const char*>(&packet->data) + (wow64 ? 8 : 0);
  return *reinterpret_cast<const win32::RAWMOUSE*>(data);
}

}  // namespace

WinMouse::WinMouse(InputSystem* owner, int id, win32::HANDLE handle, float x, float y)
    : Mouse(owner, id), handle_(handle), x_(x), y_(y) {}

bool WinMouse::ButtonHeld(int index) const { return index >= 0 && index < 8 && (buttons_ >> index & 1); }

bool WinMouse::ButtonWentDown(int index) const {
  return ButtonHeld(index) && !(previousButtons_ >> index & 1);
}

bool WinMouse::ButtonWentUp(int index) const {
  return index >= 0 && index < 8 && !ButtonHeld(index) && (previousButtons_ >> index & 1);
}

float WinMouse::AxisPosition(int index) const {
  switch (index) {
    case 0: return x_;
    case 1: return y_;
    case 2: return wheel_;
    default: return 0.0f;
  }
}

float WinMouse::AxisMotion(int index) const {
  switch (index) {
    case 0: return relativeX_;
    case 1: return relativeY_;
    case 2: return wheel_ - previousWheel_;
    default: return 0.0f;
  }
}

bool WinMouse::ChangeButton(int button, bool down) {
  if (button < 0 || button >= 8 || ButtonHeld(button) == down) return false;
  buttons_ ^= 1u << button;
  return true;
}

void WinMouse::BeginFrame() {
  previousWheel_ = wheel_;
  wheel_ = 0;
  if (previousWheel_ != 0.0f) Owner()->SendWheel(this, 0.0f);
  previousButtons_ = buttons_;
}

void WinMouse::TakePendingMotion() {
  relativeX_ = pendingX_;
  relativeY_ = pendingY_;
  pendingX_ = pendingY_ = 0;
}

void WinMouse::MoveTo(float x, float y) {
  relativeX_ += x - x_;
  relativeY_ += y - y_;
  x_ = x;
  y_ = y;
}

void WinMouse::MoveBy(float dx, float dy) {
  relativeX_ += dx;
  relativeY_ += dy;
  x_ += dx;
  y_ += dy;
}

void WinMouse::ReleaseAllButtons() {
  for (int b = 0; b < 8; ++b)
    if (ButtonHeld(b)) Owner()->SendMouseButton(this, b, false);
}

void WinMouse::ReadRawPacket(WinMouse* mouse, const win32::RAWINPUT* packet, bool wow64) {
  if (mouse->Muted()) return;
  WinInput* input = static_cast<WinInput*>(mouse->Owner());
  if (!mouse->Active()) input->ActivateMouse(mouse);
  const win32::RAWMOUSE& data = MouseData(packet, wow64);
  for (int b = 0; b < RAW_BUTTONS; ++b) {
    if (data.usButtonFlags & (1u << (2 * b))) input->SendMouseButton(mouse, b, true);
    if (data.usButtonFlags & (2u << (2 * b))) input->SendMouseButton(mouse, b, false);
  }
  if (data.usButtonFlags & win32::RI_MOUSE_WHEEL) input->SendWheel(mouse, float(int16_t(data.usButtonData)));
  if (!input->multiDevice) return;
  if (data.usFlags & win32::MOUSE_MOVE_ABSOLUTE) {
    mouse->pendingX_ += float(data.lLastX) - mouse->x_;
    mouse->pendingY_ += float(data.lLastY) - mouse->y_;
    mouse->x_ = float(data.lLastX);
    mouse->y_ = float(data.lLastY);
  } else {
    mouse->pendingX_ += float(data.lLastX);
    mouse->pendingY_ += float(data.lLastY);
    mouse->x_ += float(data.lLastX);
    mouse->y_ += float(data.lLastY);
  }
}

}  // namespace OPRIX
