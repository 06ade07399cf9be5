#include "WinInput.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <stdexcept>

#include "Plattform/eingabe/Fenster.h"
#include "Plattform/eingabe/Wmi.h"
#include "WinJoystick.h"
#include "WinKeyboard.h"
#include "WinMouse.h"

namespace OPRIX {
namespace {

void Require(bool ok, const char* error) {
  if (!ok) throw std::runtime_error(error);
}

constexpr win32::UINT NAME_LENGTH = 256;

// The device of kind T with the lowest index below `limit` that has not been active yet.
template <typename T>
T* LowestInactive(const std::vector<Device*>& devices, int limit) {
  T* found = nullptr;
  for (Device* d : devices) {
    T* typed = dynamic_cast<T*>(d);
    if (typed && !typed->Active() && typed->Index() < limit && (!found || typed->Index() < found->Index()))
      found = typed;
  }
  return found;
}

// Vendor or product id after `key` ("VID_", "PID_"), 0 when missing or unreadable.
uint32_t HexAfter(const std::wstring& text, const wchar_t* key) {
  const size_t at = text.find(key);
  if (at == std::wstring::npos) return 0;
  uint32_t value = 0;
  for (size_t i = at + 4; i < at + 8; ++i) {
    if (i >= text.size() || !std::iswxdigit(text[i])) return 0;
    const wchar_t c = text[i];
    value = value << 4 | uint32_t(c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10);
  }
  return value;
}

struct Bstr {
  win32::BSTR text;
  explicit Bstr(const wchar_t* source) : text(win32::SysAllocString(source)) {}
  ~Bstr() { win32::SysFreeString(text); }
};

struct ComSession {
  bool ok;
  ComSession() : ok(win32::CoInitialize(nullptr) == win32::S_OK) {}
  ~ComSession() {
    if (ok) win32::CoUninitialize();
  }
};

}  // namespace

WinInput::WindowSubclass::~WindowSubclass() {
  if (previous) win32::SetWindowLongPtrW(window, win32::GWLP_WNDPROC, reinterpret_cast<win32::LONG_PTR>(previous));
}

WinInput::DeviceCleanup::~DeviceCleanup() {
  owner->mice_.clear();
  owner->keyboards_.clear();
  owner->joysticks_.clear();
  owner->DeleteDevices();
}

WinInput::WinInput(win32::HWND window) : window_(window) {
  Require(win32::IsWindow(window_), "HWND is not valid");
  win32::BOOL wow64 = win32::FALSE;
  if (win32::IsWow64Process(win32::GetCurrentProcess(), &wow64)) wow64_ = wow64 != win32::FALSE;
  subclass_.window = window_;
  subclass_.previous = reinterpret_cast<win32::WNDPROC>(
      win32::SetWindowLongPtrW(window_, win32::GWLP_WNDPROC, reinterpret_cast<win32::LONG_PTR>(&WindowHook)));
  void* directInput = nullptr;
  Require(dinput::DirectInput8Create(nullptr, dinput::DIRECTINPUT_VERSION, dinput::IID_IDirectInput8A, &directInput,
                                     nullptr) == dinput::DI_OK,
          "Unable to init DirectX8 Input");
  directInput_.object = static_cast<dinput::IDirectInput8A*>(directInput);
  Require(directInput_.object->CreateDevice(dinput::GUID_SysKeyboard, &systemKeyboard_.object, nullptr) ==
              dinput::DI_OK,
          "Could not init default keyboard");
  Require(systemKeyboard_.object->SetDataFormat(&dinput::c_dfDIKeyboard) == dinput::DI_OK, "Keyboard format error");
  ListDevices();
  FindPadDevices();
  RegisterForRawInput();
}

WinInput::~WinInput() = default;

void WinInput::ListDevices() {
  ListJoysticks();
  ListRawDevices();
}

void WinInput::ListJoysticks() {
  directInput_.object->EnumDevices(dinput::DI8DEVCLASS_GAMECTRL, &JoystickFound, this, dinput::DIEDFL_ATTACHEDONLY);
}

win32::BOOL WinInput::JoystickFound(const dinput::DIDEVICEINSTANCEA* instance, void* selfPointer) {
  WinInput* self = static_cast<WinInput*>(selfPointer);
  const dinput::DWORD type = instance->dwDevType & 0xFF;
  if (type < dinput::DI8DEVTYPE_JOYSTICK || type > dinput::DI8DEVTYPE_1STPERSON) return dinput::DIENUM_CONTINUE;
  try {
    WinJoystick* joystick = new WinJoystick(self, int(self->Devices().size()), self->directInput_.object,
                                            instance->guidInstance, instance->guidProduct);
    self->RegisterJoystick(joystick);
    self->joysticks_.push_back(joystick);
  } catch (const std::exception&) {
  }
  return dinput::DIENUM_CONTINUE;
}

void WinInput::ListRawDevices() {
  win32::UINT count = 0;
  Require(win32::GetRawInputDeviceList(nullptr, &count, sizeof(win32::RAWINPUTDEVICELIST)) == 0,
          "unable to get device count");
  std::vector<win32::RAWINPUTDEVICELIST> list(count);
  const win32::UINT listed = win32::GetRawInputDeviceList(list.data(), &count, sizeof(win32::RAWINPUTDEVICELIST));
  Require(listed != win32::UINT(-1), "unable to retrieve device list");
  list.resize(std::min<size_t>(listed, list.size()));
  for (const win32::RAWINPUTDEVICELIST& entry : list) AddRawDevice(entry);
}

void WinInput::AddRawDevice(const win32::RAWINPUTDEVICELIST& entry) {
  char name[NAME_LENGTH + 1] = {};
  win32::UINT size = NAME_LENGTH;
  if (win32::GetRawInputDeviceInfoA(entry.hDevice, win32::RIDI_DEVICENAME, name, &size) == win32::UINT(-1)) return;
  win32::RID_DEVICE_INFO info{};
  size = sizeof info;
  if (win32::GetRawInputDeviceInfoA(entry.hDevice, win32::RIDI_DEVICEINFO, &info, &size) == win32::UINT(-1)) return;
  if (std::strstr(name, "RDP_")) return;
  const int id = int(Devices().size());
  if (info.dwType == win32::RIM_TYPEMOUSE) {
    const win32::POINT cursor = CursorInClient();
    WinMouse* mouse = new WinMouse(this, id, entry.hDevice, float(cursor.x), float(cursor.y));
    RegisterMouse(mouse);
    mice_[entry.hDevice] = mouse;
  } else if (info.dwType == win32::RIM_TYPEKEYBOARD) {
    WinKeyboard* keyboard = new WinKeyboard(this, id, entry.hDevice, systemKeyboard_.object);
    RegisterKeyboard(keyboard);
    keyboards_[entry.hDevice] = keyboard;
  }
}

void WinInput::FindPadDevices() {
  ComSession com;
  if (!com.ok) return;
  Released<win32::IWbemLocator> locator;
  if (win32::CoCreateInstance(win32::CLSID_WbemLocator, nullptr, win32::CLSCTX_INPROC_SERVER, win32::IID_IWbemLocator,
                              reinterpret_cast<void**>(&locator.object)) != win32::S_OK)
    return;
  Released<win32::IWbemServices> services;
  Bstr nameSpace(L"\\\\.\\root\\cimv2");
  if (locator.object->ConnectServer(nameSpace.text, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    &services.object) != win32::S_OK)
    return;
  if (win32::CoSetProxyBlanket(services.object, win32::RPC_C_AUTHN_WINNT, win32::RPC_C_AUTHZ_NONE, nullptr,
                               win32::RPC_C_AUTHN_LEVEL_CALL, win32::RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                               win32::EOAC_NONE) != win32::S_OK)
    return;
  Released<win32::IEnumWbemClassObject> instances;
  Bstr className(L"Win32_PNPEntity");
  if (services.object->CreateInstanceEnum(className.text, win32::WBEM_FLAG_FORWARD_ONLY, nullptr,
                                          &instances.object) != win32::S_OK)
    return;
  uint32_t nextIndex = 0;
  for (;;) {
    win32::IWbemClassObject* batch[20] = {};
    win32::ULONG returned = 0;
    const win32::HRESULT result = instances.object->Next(5000, 20, batch, &returned);
    bool failed = false;
    for (win32::ULONG i = 0; i < returned && i < 20; ++i) {
      win32::VARIANT id;
      win32::VariantInit(&id);
      if (batch[i]->Get(L"DeviceID", 0, &id, nullptr, nullptr) != win32::S_OK) failed = true;
      else if (id.vt == win32::VT_BSTR && id.bstrVal && std::wcsstr(id.bstrVal, L"IG_"))
        MarkPad(HexAfter(id.bstrVal, L"PID_") << 16 | HexAfter(id.bstrVal, L"VID_"), nextIndex);
      win32::VariantClear(&id);
      batch[i]->Release();
    }
    if (failed || returned == 0 || (result != win32::WBEM_S_NO_ERROR && result != win32::WBEM_S_FALSE)) return;
  }
}

void WinInput::MarkPad(uint32_t vendorProduct, uint32_t& nextIndex) {
  for (WinJoystick* joystick : joysticks_) {
    if (joystick->XInputIndex() != WinJoystick::NO_XINPUT || joystick->VendorProduct() != vendorProduct) continue;
    joystick->UseXInput(nextIndex++);
    return;
  }
}

void WinInput::RegisterForRawInput() {
  const win32::RAWINPUTDEVICE devices[3] = {{1, 6, 0, nullptr}, {1, 7, 0, nullptr}, {1, 2, 0, nullptr}};
  Require(win32::RegisterRawInputDevices(devices, 3, sizeof(win32::RAWINPUTDEVICE)), "failed to register for input messages");
}

win32::LRESULT WinInput::WindowHook(win32::HWND window, win32::UINT message, win32::WPARAM w, win32::LPARAM l) {
  WinInput* self = dynamic_cast<WinInput*>(gInputSystem);
  if (!self) return win32::DefWindowProcW(window, message, w, l);
  if (message != win32::WM_INPUT)
    return win32::CallWindowProcW(self->subclass_.previous, window, message, w, l);
  alignas(8) char buffer[256];
  win32::UINT size = sizeof buffer;
  const win32::UINT read = win32::GetRawInputData(reinterpret_cast<win32::HANDLE>(l), win32::RID_INPUT, buffer, &size,
                                                  sizeof(win32::RAWINPUTHEADER));
  if (read != 0 && read != win32::UINT(-1)) self->HandlePacket(reinterpret_cast<const win32::RAWINPUT*>(buffer));
  return 0;
}

void WinInput::HandlePacket(const win32::RAWINPUT* packet) {
  const win32::HANDLE device = packet->header.hDevice;
  if (packet->header.dwType == win32::RIM_TYPEKEYBOARD) {
    auto it = keyboards_.find(device);
    if (it != keyboards_.end()) WinKeyboard::ReadRawPacket(it->second, packet, wow64_);
  } else if (packet->header.dwType == win32::RIM_TYPEMOUSE) {
    auto it = mice_.find(device);
    if (it != mice_.end()) WinMouse::ReadRawPacket(it->second, packet, wow64_);
  }
}

void WinInput::Refresh() {
  InputSystem::Refresh();
  for (auto& [handle, mouse] : mice_) mouse->BeginFrame();
  for (auto& [handle, keyboard] : keyboards_) keyboard->BeginFrame();
  for (WinJoystick* joystick : joysticks_) joystick->ReadState();
  PumpEvents();
  DrainRawInput();
  EndPump();
  FollowCursor();
  for (Device* device : Devices()) device->Unmute();
}

void WinInput::DrainRawInput() {
  alignas(8) char buffer[784];
  for (;;) {
    win32::UINT size = sizeof buffer;
    const win32::UINT count = win32::GetRawInputBuffer(reinterpret_cast<win32::RAWINPUT*>(buffer), &size,
                                                       sizeof(win32::RAWINPUTHEADER));
    if (count == 0 || count == win32::UINT(-1)) return;
    size_t offset = 0;
    for (win32::UINT i = 0; i < count && offset + sizeof(win32::RAWINPUTHEADER) <= sizeof buffer; ++i) {
      const win32::RAWINPUT* packet = reinterpret_cast<const win32::RAWINPUT*>(buffer + offset);
      HandlePacket(packet);
      offset += win32::RawInputAlign(packet->header.dwSize);
    }
  }
}

void WinInput::FollowCursor() {
  for (auto& [handle, mouse] : mice_) {
    mouse->TakePendingMotion();
    if (mouse->Index() == 0 && Focused() && !multiDevice) {
      const win32::POINT cursor = CursorInClient();
      if (MouseGrabbed()) {
        const win32::POINT size = WindowSize();
        const win32::POINT centre{size.x / 2, size.y / 2};
        mouse->MoveBy(float(cursor.x - centre.x), float(cursor.y - centre.y));
        PutCursor(centre);
      } else {
        mouse->MoveTo(float(cursor.x), float(cursor.y));
      }
    }
    if (mouse->RelativeX() != 0.0f || mouse->RelativeY() != 0.0f)
      SendMouseMove(mouse, mouse->AbsoluteX(), mouse->AbsoluteY(), mouse->RelativeX(), mouse->RelativeY());
  }
}

void WinInput::FocusChanged(bool focused) {
  if (!focused) {
    for (auto& [handle, keyboard] : keyboards_) keyboard->ReleaseAllKeys();
    for (auto& [handle, mouse] : mice_) mouse->ReleaseAllButtons();
    for (WinJoystick* joystick : joysticks_) joystick->ReleaseAll();
    return;
  }
  WinMouse* mouse = dynamic_cast<WinMouse*>(PrimaryMouse());
  if (!mouse) return;
  const win32::POINT cursor = CursorInClient();
  const float dx = float(cursor.x) - mouse->AbsoluteX();
  const float dy = float(cursor.y) - mouse->AbsoluteY();
  if (dx == 0.0f && dy == 0.0f) return;
  mouse->MoveTo(float(cursor.x), float(cursor.y));
  SendMouseMove(mouse, mouse->AbsoluteX(), mouse->AbsoluteY(), dx, dy);
}

void WinInput::MouseGrabChanged(bool grab) {
  const win32::POINT size = WindowSize();
  if (grab) {
    PutCursor({size.x / 2, size.y / 2});
    return;
  }
  Mouse* mouse = PrimaryMouse();
  if (!mouse) return;
  PutCursor({std::clamp(win32::LONG(mouse->AbsoluteX()), win32::LONG(0), size.x),
             std::clamp(win32::LONG(mouse->AbsoluteY()), win32::LONG(0), size.y)});
}

void WinInput::ActivateMouse(WinMouse* mouse) {
  mouse->MarkActive();
  WinMouse* other = LowestInactive<WinMouse>(Devices(), mouse->Index());
  if (!other) return;
  SwapDevices(mouse, other);
  WriteLog("Swap mice due to activity: %d,%d and %d,%d", mouse->Id(), mouse->Index(), other->Id(), other->Index());
}

void WinInput::ActivateKeyboard(WinKeyboard* keyboard) {
  keyboard->MarkActive();
  WinKeyboard* other = LowestInactive<WinKeyboard>(Devices(), keyboard->Index());
  if (!other) return;
  SwapDevices(keyboard, other);
  WriteLog("Swap keyboards due to activity: %d,%d and %d,%d", keyboard->Id(), keyboard->Index(), other->Id(),
           other->Index());
}

win32::POINT WinInput::CursorInClient() const {
  win32::POINT cursor;
  if (!win32::GetCursorPos(&cursor)) return {};
  win32::ScreenToClient(window_, &cursor);
  return cursor;
}

win32::POINT WinInput::WindowSize() const {
  win32::RECT rect;
  if (!win32::GetWindowRect(window_, &rect)) return {};
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void WinInput::PutCursor(win32::POINT client) const {
  win32::ClientToScreen(window_, &client);
  win32::SetCursorPos(client.x, client.y);
}

}  // namespace OPRIX
