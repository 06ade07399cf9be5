#include "fmod_attrappe/FmodAttrappe.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

FmodSkript skript;
std::vector<std::string> aufrufe;

std::string Text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Text(const char* format, ...) {
  char puffer[512];
  va_list argumente;
  va_start(argumente, format);
  vsnprintf(puffer, sizeof puffer, format, argumente);
  va_end(argumente);
  return puffer;
}

const char* JaNein(bool wert) { return wert ? "true" : "false"; }

FMOD_RESULT Ergebnis(const std::string& operation) {
  auto& schlange = skript.ergebnisse[operation];
  if (schlange.empty()) return FMOD_OK;
  FMOD_RESULT ergebnis = schlange.front();
  schlange.pop_front();
  return ergebnis;
}

FMOD_RESULT Protokolliere(const std::string& operation, const std::string& argumente) {
  aufrufe.push_back(operation + "(" + argumente + ")");
  return Ergebnis(operation);
}

class AttrappenKlang final : public FMOD::Sound {
 public:
  explicit AttrappenKlang(int nummer) : name("s" + std::to_string(nummer)) {}
  FMOD_RESULT release() override {
    FMOD_RESULT ergebnis = Protokolliere("Sound::release", name);
    freigegeben = true;
    return ergebnis;
  }
  FMOD_RESULT setMode(FMOD_MODE modus) override { return Protokolliere("Sound::setMode", Text("%s, %u", name.c_str(), modus)); }
  FMOD_RESULT setUserData(void* daten) override {
    nutzerDaten = daten;
    return Protokolliere("Sound::setUserData", name);
  }
  FMOD_RESULT getUserData(void** daten) override {
    *daten = nutzerDaten;
    return FMOD_OK;
  }
  std::string name;
  bool freigegeben = false;
  void* nutzerDaten = nullptr;
};

class AttrappenGruppe final : public FMOD::ChannelGroup {
 public:
  explicit AttrappenGruppe(int nummer) : name("g" + std::to_string(nummer)) {}
  FMOD_RESULT setVolume(float wert) override { return Protokolliere("ChannelGroup::setVolume", Text("%s, %.2f", name.c_str(), wert)); }
  FMOD_RESULT setPaused(bool wert) override { return Protokolliere("ChannelGroup::setPaused", Text("%s, %s", name.c_str(), JaNein(wert))); }
  FMOD_RESULT addGroup(FMOD::ChannelGroup*) override { return Protokolliere("ChannelGroup::addGroup", name); }
  std::string name;
};

class Attrappe final : public FMOD::System {
 public:
  FMOD_RESULT release() override {
    FMOD_RESULT ergebnis = Protokolliere("release", "");
    delete this;
    return ergebnis;
  }
  FMOD_RESULT getVersion(unsigned* version) override {
    *version = skript.version;
    return Protokolliere("getVersion", "");
  }
  FMOD_RESULT getNumDrivers(int* anzahl) override {
    *anzahl = int(skript.treiber.size());
    return Protokolliere("getNumDrivers", "");
  }
  FMOD_RESULT getDriverInfo(int nummer, char* name, int laenge, FMOD_GUID* guid) override {
    FMOD_RESULT ergebnis = Protokolliere("getDriverInfo", Text("%d, %d, %s", nummer, laenge, guid ? "guid" : "null"));
    if (nummer < 0 || size_t(nummer) >= skript.treiber.size()) return FMOD_ERR_INVALID_PARAM;
    const auto& treiber = skript.treiber[size_t(nummer)];
    std::snprintf(name, size_t(laenge), "%s", treiber.name.c_str());
    return ergebnis != FMOD_OK ? ergebnis : treiber.infoFehler;
  }
  FMOD_RESULT getDriverCaps(int nummer, FMOD_CAPS* faehigkeiten, int* rate, FMOD_SPEAKERMODE* modus) override {
    FMOD_RESULT ergebnis = Protokolliere("getDriverCaps", Text("%d", nummer));
    if (nummer < 0 || size_t(nummer) >= skript.treiber.size()) return FMOD_ERR_INVALID_PARAM;
    const auto& treiber = skript.treiber[size_t(nummer)];
    *faehigkeiten = treiber.faehigkeiten;
    *rate = treiber.rate;
    *modus = treiber.modus;
    return ergebnis != FMOD_OK ? ergebnis : treiber.capsFehler;
  }
  FMOD_RESULT setOutput(FMOD_OUTPUTTYPE ausgabe) override { return Protokolliere("setOutput", Text("%d", int(ausgabe))); }
  FMOD_RESULT setSpeakerMode(FMOD_SPEAKERMODE modus) override { return Protokolliere("setSpeakerMode", Text("%d", int(modus))); }
  FMOD_RESULT setDSPBufferSize(unsigned laenge, int anzahl) override {
    return Protokolliere("setDSPBufferSize", Text("%u, %d", laenge, anzahl));
  }
  FMOD_RESULT setSoftwareFormat(int rate, FMOD_SOUND_FORMAT format, int aus, int ein, FMOD_DSP_RESAMPLER resampler) override {
    return Protokolliere("setSoftwareFormat", Text("%d, %d, %d, %d, %d", rate, int(format), aus, ein, int(resampler)));
  }
  FMOD_RESULT init(int kanaele, FMOD_INITFLAGS flags, void* daten) override {
    return Protokolliere("init", Text("%d, %u, %s", kanaele, flags, daten ? "daten" : "null"));
  }
  FMOD_RESULT set3DSettings(float doppler, float distanz, float rolloff) override {
    return Protokolliere("set3DSettings", Text("%.1f, %.1f, %.1f", doppler, distanz, rolloff));
  }
  FMOD_RESULT update() override { return Protokolliere("update", ""); }
  FMOD_RESULT getMasterChannelGroup(FMOD::ChannelGroup** gruppe) override {
    FMOD_RESULT ergebnis = Protokolliere("getMasterChannelGroup", "");
    *gruppe = ergebnis == FMOD_OK ? NeueGruppe() : nullptr;
    return ergebnis;
  }
  FMOD_RESULT createChannelGroup(const char* name, FMOD::ChannelGroup** gruppe) override {
    FMOD_RESULT ergebnis = Protokolliere("createChannelGroup", name ? name : "null");
    *gruppe = ergebnis == FMOD_OK ? NeueGruppe() : nullptr;
    return ergebnis;
  }
  FMOD_RESULT createSound(const char* pfad, FMOD_MODE modus, FMOD_CREATESOUNDEXINFO* info, FMOD::Sound** klang) override {
    FMOD_RESULT ergebnis = Protokolliere("createSound", Text("%s, 0x%x, %s", pfad, modus, info ? "info" : "null"));
    *klang = nullptr;
    if (ergebnis != FMOD_OK) return ergebnis;
    klaenge.push_back(std::make_unique<AttrappenKlang>(int(klaenge.size())));
    *klang = klaenge.back().get();
    return FMOD_OK;
  }
  FMOD_RESULT playSound(FMOD_CHANNELINDEX index, FMOD::Sound* klang, bool angehalten, FMOD::Channel* kanal) override {
    auto* eigener = static_cast<AttrappenKlang*>(klang);
    FMOD_RESULT ergebnis = Protokolliere("playSound", Text("%d, %s, %s", int(index), eigener->name.c_str(), JaNein(angehalten)));
    *kanal = FMOD::Channel();
    if (ergebnis != FMOD_OK) return ergebnis;
    generationen.push_back(1);
    *kanal = FMOD::Channel(nummer(), uint32_t(generationen.size() - 1), 1);
    return FMOD_OK;
  }

 protected:
  ~Attrappe() override = default;

  std::string Name(const FMOD::Channel& kanal) { return "c" + std::to_string(kanal.slot()); }
  bool Gueltig(const FMOD::Channel& kanal) {
    return kanal.slot() < generationen.size() && generationen[kanal.slot()] == kanal.generation();
  }
  FMOD_RESULT KanalAufruf(const char* operation, const FMOD::Channel& kanal, const std::string& rest) {
    FMOD_RESULT ergebnis = Protokolliere(operation, Name(kanal) + rest);
    return Gueltig(kanal) ? ergebnis : FMOD_ERR_INVALID_HANDLE;
  }
  FMOD_RESULT kanalSetChannelGroup(const FMOD::Channel& kanal, FMOD::ChannelGroup* gruppe) override {
    auto* eigene = static_cast<AttrappenGruppe*>(gruppe);
    return KanalAufruf("Channel::setChannelGroup", kanal, ", " + (eigene ? eigene->name : std::string("null")));
  }
  FMOD_RESULT kanalSetVolume(const FMOD::Channel& kanal, float wert) override {
    return KanalAufruf("Channel::setVolume", kanal, Text(", %.2f", wert));
  }
  FMOD_RESULT kanalSetPaused(const FMOD::Channel& kanal, bool wert) override {
    return KanalAufruf("Channel::setPaused", kanal, std::string(", ") + JaNein(wert));
  }
  FMOD_RESULT kanalStop(const FMOD::Channel& kanal) override {
    FMOD_RESULT ergebnis = KanalAufruf("Channel::stop", kanal, "");
    if (ergebnis == FMOD_OK) ++generationen[kanal.slot()];
    return ergebnis;
  }
  FMOD_RESULT kanalIsPlaying(const FMOD::Channel& kanal, bool* spielt) override {
    FMOD_RESULT ergebnis = KanalAufruf("Channel::isPlaying", kanal, "");
    *spielt = ergebnis == FMOD_OK;
    return ergebnis;
  }

 private:
  FMOD::ChannelGroup* NeueGruppe() {
    gruppen.push_back(std::make_unique<AttrappenGruppe>(int(gruppen.size())));
    return gruppen.back().get();
  }

  std::vector<std::unique_ptr<AttrappenKlang>> klaenge;
  std::vector<std::unique_ptr<AttrappenGruppe>> gruppen;
  std::vector<uint32_t> generationen;
};

FMOD_RESULT ErzeugeAttrappe(FMOD::System** system) {
  FMOD_RESULT ergebnis = Protokolliere("create", "");
  *system = ergebnis == FMOD_OK ? new Attrappe() : nullptr;
  return ergebnis;
}

}  // namespace

void FmodAttrappe::Setze(const FmodSkript& neu) {
  skript = neu;
  aufrufe.clear();
  FMOD::SetzeSystemErzeuger(ErzeugeAttrappe);
}

void FmodAttrappe::Entferne() { FMOD::SetzeSystemErzeuger(nullptr); }

const std::vector<std::string>& FmodAttrappe::Aufrufe() { return aufrufe; }

std::vector<std::string> FmodAttrappe::Aufrufe(const std::string& praefix) {
  std::vector<std::string> gefunden;
  for (const std::string& aufruf : aufrufe)
    if (aufruf.rfind(praefix, 0) == 0) gefunden.push_back(aufruf);
  return gefunden;
}

void FmodAttrappe::LeereAufrufe() { aufrufe.clear(); }

void FmodAttrappe::Skripte(const std::string& operation, std::deque<FMOD_RESULT> ergebnisse) {
  auto& schlange = skript.ergebnisse[operation];
  schlange.insert(schlange.end(), ergebnisse.begin(), ergebnisse.end());
}
