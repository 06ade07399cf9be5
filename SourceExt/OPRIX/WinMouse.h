#pragma once
// A raw-input mouse. Outside multi-device mode its motion comes from the system cursor (WinInput's
// update); its packets bring buttons and the wheel.
#include <cstdint>

#include "Mouse.h"
#include "Plattform/eingabe/RohEingabe.h"

namespace OPRIX {

class WinMouse : public Mouse {
 public:
  WinMouse(InputSystem* owner, int id, win32::HANDLE handle, float x, float y);

  int ButtonCount() const override { return 8; }
  int AxisCount() const override { return 3; }
  bool ButtonHeld(int index) const override;
  bool ButtonWentDown(int index) const override;
  bool ButtonWentUp(int index) const override;
  float AxisPosition(int index) const override;
  float AxisMotion(int index) const override;
  float AbsoluteX() const override { return x_; }
  float AbsoluteY() const override { return y_; }
  float RelativeX() const override { return relativeX_; }
  float RelativeY() const override { return relativeY_; }
  bool ChangeButton(int button, bool down) override;
  void AddWheel(float delta) override { wheel_ += delta; }

  static void ReadRawPacket(WinMouse* mouse, const win32::RAWINPUT* packet, bool wow64);

  win32::HANDLE Handle() const { return handle_; }
  // Start of the update: wheel and buttons become the previous frame's.
  void BeginFrame();
  // Hands out the motion gathered from packets as this frame's relative motion.
  void TakePendingMotion();
  // Sets the position; the change is added to this frame's relative motion.
  void MoveTo(float x, float y);
  void MoveBy(float dx, float dy);
  void ReleaseAllButtons();

 private:
  win32::HANDLE handle_;
  float x_, y_;
  float relativeX_ = 0, relativeY_ = 0;
  float wheel_ = 0, previousWheel_ = 0;
  uint32_t buttons_ = 0, previousButtons_ = 0;
  float pendingX_ = 0, pendingY_ = 0;
};

}  // namespace OPRIX
