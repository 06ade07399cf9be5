#include "absturz/minidump_leser.h"

#include "absturz/gabel.h"

#include <cstring>

namespace {

struct Leser {
  const std::string& daten;
  GelesenerDump& dump;

  bool Lies(uint64_t rva, void* ziel, uint64_t laenge) {
    if (rva + laenge > daten.size()) {
      if (dump.fehler.empty()) dump.fehler = "read past the end at " + std::to_string(rva);
      return false;
    }
    memcpy(ziel, daten.data() + rva, laenge);
    return true;
  }

  std::string Text(uint32_t rva) {
    uint32_t bytes = 0;
    if (!Lies(rva, &bytes, 4)) return {};
    std::vector<uint16_t> einheiten(bytes / 2);
    if (!Lies(rva + 4, einheiten.data(), bytes)) return {};
    std::string text;
    for (size_t i = 0; i < einheiten.size(); ++i) {
      uint32_t punkt = einheiten[i];
      if (punkt >= 0xD800 && punkt < 0xDC00 && i + 1 < einheiten.size())
        punkt = 0x10000 + ((punkt - 0xD800) << 10) + (einheiten[++i] - 0xDC00);
      if (punkt < 0x80) {
        text += char(punkt);
      } else if (punkt < 0x800) {
        text += char(0xC0 | (punkt >> 6));
        text += char(0x80 | (punkt & 0x3F));
      } else if (punkt < 0x10000) {
        text += char(0xE0 | (punkt >> 12));
        text += char(0x80 | ((punkt >> 6) & 0x3F));
        text += char(0x80 | (punkt & 0x3F));
      } else {
        text += char(0xF0 | (punkt >> 18));
        text += char(0x80 | ((punkt >> 12) & 0x3F));
        text += char(0x80 | ((punkt >> 6) & 0x3F));
        text += char(0x80 | (punkt & 0x3F));
      }
    }
    return text;
  }

  template <class T>
  std::vector<T> Liste(const win32::MINIDUMP_LOCATION_DESCRIPTOR& ort) {
    uint32_t anzahl = 0;
    if (!Lies(ort.Rva, &anzahl, 4)) return {};
    std::vector<T> eintraege(anzahl);
    if (4 + uint64_t(anzahl) * sizeof(T) > ort.DataSize) {
      dump.fehler = "list larger than its stream";
      return {};
    }
    Lies(ort.Rva + 4, eintraege.data(), uint64_t(anzahl) * sizeof(T));
    return eintraege;
  }

  void Merke(const win32::MINIDUMP_LOCATION_DESCRIPTOR& ort) {
    dump.hoechstesEnde = std::max<uint64_t>(dump.hoechstesEnde, uint64_t(ort.Rva) + ort.DataSize);
    if (uint64_t(ort.Rva) + ort.DataSize > daten.size()) dump.fehler = "stream outside the file";
  }
};

}  // namespace

GelesenerDump LiesMinidump(const std::filesystem::path& pfad) {
  GelesenerDump dump;
  bool vorhanden = false;
  std::string daten = Gabel::LiesDatei(pfad, &vorhanden);
  if (!vorhanden) {
    dump.fehler = "no file";
    return dump;
  }
  dump.dateiGroesse = daten.size();
  Leser leser{daten, dump};
  if (!leser.Lies(0, &dump.kopf, sizeof(dump.kopf))) return dump;
  std::vector<win32::MINIDUMP_DIRECTORY> verzeichnis(dump.kopf.NumberOfStreams);
  if (!leser.Lies(dump.kopf.StreamDirectoryRva, verzeichnis.data(), verzeichnis.size() * sizeof(win32::MINIDUMP_DIRECTORY)))
    return dump;
  leser.Merke({uint32_t(verzeichnis.size() * sizeof(win32::MINIDUMP_DIRECTORY)), dump.kopf.StreamDirectoryRva});
  for (const auto& eintrag : verzeichnis) {
    dump.stroeme[eintrag.StreamType] = eintrag.Location;
    leser.Merke(eintrag.Location);
  }
  if (!dump.fehler.empty()) return dump;

  if (dump.stroeme.count(win32::ThreadListStream)) {
    dump.faeden = leser.Liste<win32::MINIDUMP_THREAD>(dump.stroeme[win32::ThreadListStream]);
    for (const auto& faden : dump.faeden) {
      leser.Merke(faden.Stack.Memory);
      leser.Merke(faden.ThreadContext);
    }
    if (!dump.faeden.empty()) leser.Lies(dump.faeden[0].ThreadContext.Rva, &dump.fadenKontext, sizeof(dump.fadenKontext));
  }
  if (dump.stroeme.count(win32::MemoryListStream)) {
    dump.speicher = leser.Liste<win32::MINIDUMP_MEMORY_DESCRIPTOR>(dump.stroeme[win32::MemoryListStream]);
    for (const auto& bereich : dump.speicher) leser.Merke(bereich.Memory);
  }
  if (dump.stroeme.count(win32::ExceptionStream))
    leser.Lies(dump.stroeme[win32::ExceptionStream].Rva, &dump.ausnahme, sizeof(dump.ausnahme));
  if (dump.stroeme.count(win32::ModuleListStream)) {
    for (const auto& roh : leser.Liste<win32::MINIDUMP_MODULE>(dump.stroeme[win32::ModuleListStream])) {
      GelesenesModul modul{roh.BaseOfImage, roh.SizeOfImage, leser.Text(roh.ModuleNameRva), {}};
      leser.Merke(roh.CvRecord);
      uint32_t signatur = 0;
      if (roh.CvRecord.DataSize >= 4 && leser.Lies(roh.CvRecord.Rva, &signatur, 4) &&
          signatur == win32::CV_SIGNATURE_ELF_BUILD_ID) {
        modul.buildId.resize(roh.CvRecord.DataSize - 4);
        leser.Lies(roh.CvRecord.Rva + 4, modul.buildId.data(), modul.buildId.size());
      }
      dump.module.push_back(std::move(modul));
    }
  }
  if (dump.stroeme.count(win32::LinuxMapsStream)) {
    const auto& ort = dump.stroeme[win32::LinuxMapsStream];
    dump.maps = daten.substr(ort.Rva, ort.DataSize);
  }
  return dump;
}
