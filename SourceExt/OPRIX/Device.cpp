#include "Device.h"

namespace OPRIX {

Device::~Device() = default;
int Device::ButtonCount() const { return 0; }
std::string Device::ButtonLabel(int) const { return {}; }
int Device::AxisCount() const { return 0; }
std::string Device::AxisLabel(int) const { return {}; }
bool Device::ButtonHeld(int) const { return false; }
bool Device::ButtonWentDown(int) const { return false; }
bool Device::ButtonWentUp(int) const { return false; }
float Device::AxisPosition(int) const { return 0.0f; }
float Device::AxisMotion(int) const { return 0.0f; }

}  // namespace OPRIX
