#include "Plattform/eingabe/Quelle.h"

#include <atomic>
#include <cstdio>

#include "Plattform/eingabe/glfw/GlfwQuelle.h"

namespace eingabe {
namespace {

Quelle* skriptQuelle = nullptr;
std::atomic<int> lebendeObjekte{0};

int HexWert(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Two little-endian bytes written as four hex digits at `pos`; -1 when unreadable.
int KleinEndigesWort(const std::string& guid, size_t pos) {
  if (guid.size() < pos + 4) return -1;
  int wert = 0;
  for (size_t byte = 0; byte < 2; ++byte) {
    const int hoch = HexWert(guid[pos + 2 * byte]);
    const int tief = HexWert(guid[pos + 2 * byte + 1]);
    if (hoch < 0 || tief < 0) return -1;
    wert |= (hoch << 4 | tief) << (8 * byte);
  }
  return wert;
}

}  // namespace

std::vector<RohGeraet> Quelle::RohGeraete() {
  return {{TASTATUR_HANDLE, 1, "\\\\?\\GLFW#Keyboard"}, {MAUS_HANDLE, 0, "\\\\?\\GLFW#Mouse"}};
}

int Quelle::ZeichenAntwort(uint32_t text, bool gedrueckt, wchar_t* puffer, int groesse) {
  if (!gedrueckt || text == 0 || groesse < 1) return 0;
  puffer[0] = wchar_t(text);
  return 1;
}

std::vector<PnpEintrag> Quelle::PnpGeraete() {
  std::vector<PnpEintrag> eintraege;
  for (int jid = 0; jid < JOYSTICK_ANZAHL; ++jid) {
    if (!JoystickDa(jid)) continue;
    const uint32_t hp = HerstellerProdukt(JoystickGuid(jid));
    char text[64];
    std::snprintf(text, sizeof text, "HID\\VID_%04X&PID_%04X%s\\%d", unsigned(hp & 0xFFFF), unsigned(hp >> 16),
                  IstGamepad(jid) ? "&IG_00" : "", jid);
    eintraege.push_back({true, std::wstring(text, text + std::char_traits<char>::length(text))});
  }
  return eintraege;
}

void SetzeQuelle(Quelle* quelle) { skriptQuelle = quelle; }

Quelle& AktiveQuelle() {
  if (skriptQuelle) return *skriptQuelle;
  static GlfwQuelle glfw;
  return glfw;
}

uint32_t HerstellerProdukt(const std::string& guid) {
  const int hersteller = KleinEndigesWort(guid, 8);
  const int produkt = KleinEndigesWort(guid, 16);
  if (hersteller < 0 || produkt < 0) return 0;
  return uint32_t(produkt) << 16 | uint32_t(hersteller);
}

int LebendeObjekte() { return lebendeObjekte.load(); }
void ObjektErzeugt() { ++lebendeObjekte; }
void ObjektFreigegeben() { --lebendeObjekte; }

}  // namespace eingabe
