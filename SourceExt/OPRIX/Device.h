#pragma once
// One input device: buttons and axes with their state in the current frame. A device is muted
// from its creation until the end of the first update after it, so it delivers nothing before.
#include <string>

namespace OPRIX {

class InputSystem;

class Device {
 public:
  Device(InputSystem* owner, int id) : owner_(owner), id_(id) {}
  virtual ~Device();

  virtual int ButtonCount() const;
  virtual std::string ButtonLabel(int index) const;
  virtual int AxisCount() const;
  virtual std::string AxisLabel(int index) const;
  virtual bool ButtonHeld(int index) const;
  virtual bool ButtonWentDown(int index) const;
  virtual bool ButtonWentUp(int index) const;
  virtual float AxisPosition(int index) const;
  virtual float AxisMotion(int index) const;

  int Id() const { return id_; }
  int Index() const { return index_; }
  bool Muted() const { return muted_; }
  bool Active() const { return active_; }
  InputSystem* Owner() const { return owner_; }

  void SetId(int id) { id_ = id; }
  void SetIndex(int index) { index_ = index; }
  void Unmute() { muted_ = false; }
  void MarkActive() { active_ = true; }

 private:
  InputSystem* owner_;
  int id_;
  int index_ = 0;
  bool muted_ = true;
  bool active_ = false;
};

}  // namespace OPRIX
