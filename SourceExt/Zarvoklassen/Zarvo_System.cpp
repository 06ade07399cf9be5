#include "Zarvo_System.h"

#include "Zarvo_Ausnahme.h"
#include "Zarvo_Start.h"

#include "Plattform/system/Ordner.h"

const char* const SPIEL_TITEL = "MORVELUNT";

Zarvo_SystemPfade BerechnePfade(const std::optional<std::filesystem::path>& programm,
                                const std::optional<std::filesystem::path>& anwendungsDaten,
                                const std::optional<std::string>& benutzer) {
  Zarvo_SystemPfade pfade;
  if (!programm) {
    pfade.programmPfadFehlt = true;
    pfade.meldungen.push_back("!Unable to obtain path to executable.");
    pfade.meldungen.push_back("!Now we are all going to die.");
  } else {
    pfade.anwendungsVerzeichnis = programm->parent_path();
    std::string letzter = pfade.anwendungsVerzeichnis.filename().string();
    if (letzter == "bin32" || letzter == "bin64") pfade.anwendungsVerzeichnis = pfade.anwendungsVerzeichnis.parent_path();
  }

  std::filesystem::path ordner;
  if (anwendungsDaten) {
    ordner = *anwendungsDaten;
  } else {
    pfade.meldungen.push_back("?Unable to obtain path to \"AppData\". Trying application directory...");
    ordner = pfade.anwendungsVerzeichnis;
  }

  pfade.benutzerDaten = ordner / SPIEL_TITEL;
  std::error_code fehler;
  if (!std::filesystem::is_directory(pfade.benutzerDaten, fehler)) {
    std::filesystem::create_directories(pfade.benutzerDaten, fehler);
    if (fehler || !std::filesystem::is_directory(pfade.benutzerDaten, fehler))
      pfade.meldungen.push_back("!Unable to create user data path \"" + pfade.benutzerDaten.string() +
                                "\". This will end in tears.");
  }

  if (benutzer) {
    pfade.benutzerName = *benutzer;
  } else {
    pfade.meldungen.push_back("?Unable to obtain user name. Using dummy name instead...");
    pfade.benutzerName = "user";
  }
  return pfade;
}

Zarvo_System::Zarvo_System() {
  Uebernimm(BerechnePfade(win32::GetModuleFileName(), win32::SHGetFolderPath(win32::CSIDL_APPDATA | win32::CSIDL_FLAG_CREATE),
                          win32::GetUserName()));
}

void Zarvo_System::Uebernimm(Zarvo_SystemPfade pfade) {
  for (const std::string& meldung : pfade.meldungen) g_Log.Schreibe("%s", meldung.c_str());
  programmPfadFehlt = pfade.programmPfadFehlt;
  anwendungsVerzeichnis = std::move(pfade.anwendungsVerzeichnis);
  benutzerDaten = std::move(pfade.benutzerDaten);
  benutzerName = std::move(pfade.benutzerName);
}

void Zarvo_System::PruefeProgrammPfad() const {
  if (!programmPfadFehlt) return;
  WirfZarvoAusnahme("Unable to obtain path to game executable.", "Zarvo_System::Zarvo_System", QuellPfad(__FILE__), __LINE__);
}

void Zarvo_System::AktualisiereAktivZustand() {
  uint32_t neu = !flagA ? 2 : (flagB ? 0 : 1);
  if (neu == zustand) return;
  zustand = neu;
  if (zustandsBeobachter) zustandsBeobachter->ZustandGeaendert(&zustand);
}

void Zarvo_System::SetzeFlagA(bool wert) {
  flagA = wert;
  AktualisiereAktivZustand();
}

void Zarvo_System::SetzeFlagB(bool wert) {
  flagB = wert;
  AktualisiereAktivZustand();
}

void Zarvo_System::Benachrichtige() {
  if (beobachter) beobachter->Benachrichtigt();
}
