#include "Generator.h"

#include <fmt/format.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <exception>
#include <string>
#include <type_traits>

#include "Baum.h"
#include "PatchErbauer.h"
#include "Ressourcen.h"
#include "TBereich.h"
#include "Zarvo_AlphaZustand.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Screen3D.h"
#include "Zarvo_Start.h"
#include "Zarvo_TexturAtlas.h"
#include "Zarvo_Textur.h"
#include "Zarvo_ZeichenKontext.h"

namespace Spiel {

namespace {

using Uhr = std::chrono::steady_clock;

double SekundenSeit(Uhr::time_point start) { return std::chrono::duration<double>(Uhr::now() - start).count(); }

bool IstEndlich(const BVektor3<float>& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

bool InnerhalbVon(float mitteA, float halbA, float mitteB, float halbB, float abstand) {
  return std::fabs(mitteA - mitteB) < halbA + halbB + abstand;
}

// Square, a power of two from 1 to 4096, A8R8G8B8.
bool IstSeitenBild(const Zarvo_Bild& bild) {
  return bild.Format() == PXFMT_A8R8G8B8 && !bild.IstLeer() && bild.Breite() == bild.Hoehe() &&
         std::has_single_bit(bild.Breite()) && bild.Breite() <= Generator::SEITEN_KANTE;
}

bool IstPlatzierbar(const Generator::FertigerPatch& d) {
  return IstSeitenBild(d.farbe) && IstSeitenBild(d.normale) && d.farbe.Breite() == d.normale.Breite();
}

// Kinds whose instance a mechanism moves: gate, lever, button.
bool IstMechanismus(size_t art) { return art == 1 || art == 3 || art == 4; }

uint8_t PackeKanal(float c) {
  const float v = c * 255.0f + 0.5f;
  if (!(v > 0.0f)) return 0;  // also NaN
  return v >= 255.0f ? 255 : uint8_t(v);
}

}  // namespace

Generator::SeitenTextur::SeitenTextur(Zarvo_ZeichenKontext& kontext)
    : Zarvo_Textur(kontext, SEITEN_KANTE, SEITEN_KANTE, 1, PXFMT_A8R8G8B8 | FLAG_RENDERZIEL | FLAG_FLUECHTIG, {}) {}

void Generator::SeitenTextur::VorZuruecksetzen() {
  verloren = true;
  Zarvo_Textur::VorZuruecksetzen();
}

// The most urgent candidates of one frame, at most 16, unsorted.
struct Generator::Kandidaten {
  std::array<uint64_t, MAX_KANDIDATEN> worte{};
  uint32_t anzahl = 0;

  // While fewer than 16, append; else the new word replaces the largest (the first of equal
  // ones) when it is smaller.
  void Biete(uint64_t wort) {
    if (anzahl < MAX_KANDIDATEN) {
      worte[anzahl++] = wort;
      return;
    }
    uint32_t groesster = 0;
    for (uint32_t i = 1; i < anzahl; ++i)
      if (worte[i] > worte[groesster]) groesster = i;
    if (wort < worte[groesster]) worte[groesster] = wort;
  }
};

size_t Generator::KeyHash::operator()(uint32_t key) const {
  uint64_t h = 0xCBF29CE484222325ull;
  for (int i = 0; i < 4; ++i) {
    h ^= (key >> (8 * i)) & 0xFF;
    h *= 0x100000001B3ull;
  }
  return size_t(h);
}

Generator::Erbauer Generator::StandardErbauer() {
  return {PatchErbauer::Flaeche, PatchErbauer::Gitter, {}, PatchErbauer::Hebel, PatchErbauer::Knopf, BaumErzeuger::Erzeuge, {}};
}

Generator::Generator(RenderInstanzPool& pool, Erbauer erbauer)
    : pool(pool), farbListe(nullptr, 256), normalListe(nullptr, 256), stapel(256), erbauer(std::move(erbauer)) {
  if (Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext())
    alphaZustand = kontext->ErzeugeAlphaZustand(Zarvo_AlphaZustand::Beschreibung(0, 1, 0));
  stapel.alphaZustand = alphaZustand;
  stapel.kopieren = true;
}

Generator::~Generator() {
  stopp.store(1);
  offen.Warte();
  patches.clear();
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  for (Seite& seite : seiten) GibSeiteFrei(seite);
  if (kontext) kontext->GibFrei(alphaZustand);
}

void Generator::GibSeiteFrei(Seite& seite) {
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext == nullptr) return;
  kontext->GibFrei(seite.farbZiel);
  kontext->GibFrei(seite.normalZiel);
  kontext->GibFrei(seite.farbTextur);
  kontext->GibFrei(seite.normalTextur);
  seite = {};
}

// ---- helpers ----

bool Generator::PatchGleich(const PatchBeschreibung& a, const PatchBeschreibung& b) {
  if (a.valueless_by_exception() || b.valueless_by_exception()) return a.valueless_by_exception() && b.valueless_by_exception();
  return a == b;
}

uint32_t Generator::PackeFarbe(float r, float g, float b, float a) {
  return uint32_t(PackeKanal(a)) << 24 | uint32_t(PackeKanal(r)) << 16 | uint32_t(PackeKanal(g)) << 8 | PackeKanal(b);
}

void Generator::KopiereRand(Zarvo_Bild& bild) {
  const uint64_t w = bild.Breite(), h = bild.Hoehe();
  if (bild.Format() != PXFMT_A8R8G8B8 || bild.IstLeer() || w < 2 || h < 2) return;
  auto pixel = [&](uint64_t x, uint64_t y) { return reinterpret_cast<uint32_t*>(bild.Pixel() + y * bild.Zeilenbytes()) + x; };
  for (uint64_t x = 0; x < w; ++x) *pixel(x, 0) = *pixel(x, 1);
  for (uint64_t y = 0; y < h; ++y) *pixel(0, y) = *pixel(1, y);
  for (uint64_t y = 0; y < h; ++y) *pixel(w - 1, y) = *pixel(w - 2, y);
  for (uint64_t x = 0; x < w; ++x) *pixel(x, h - 1) = *pixel(x, h - 2);
}

uint32_t Generator::StufeFuerAbstand(float abstandQuadrat) {
  const float begrenzt = abstandQuadrat >= 0.0f ? std::min(abstandQuadrat, FERN_QUADRAT) : 0.0f;
  const uint32_t t = uint32_t(begrenzt);
  const uint32_t v = (t >> 3) + 1;
  const uint32_t k = uint32_t(std::bit_width(v) - 1) / 2;
  return 4 - std::min(k, 3u);
}

Generator::KachelPlan Generator::PlaneKacheln(std::span<const KachelEingabe> eingaben) {
  KachelPlan plan;
  for (const KachelEingabe& e : eingaben)
    if (e.breite != 0 && (plan.T == 0 || e.breite < plan.T)) plan.T = e.breite;
  if (plan.T == 0) return plan;
  const uint32_t T = plan.T;
  for (uint32_t r = 0; r < eingaben.size(); ++r) {
    const KachelEingabe& e = eingaben[r];
    for (uint32_t j = 0; j < e.hoehe / T; ++j)
      for (uint32_t i = 0; i < e.breite / T; ++i)
        plan.kacheln.push_back({r, i * T, j * T, 0, 0, e.seite, e.x + i * T, e.y + j * T});
  }
  const uint64_t proPaar = uint64_t(SEITEN_KANTE / T) * (SEITEN_KANTE / T);
  for (uint64_t start = 0; start < plan.kacheln.size(); start += proPaar) {
    const uint64_t n = std::min<uint64_t>(proPaar, plan.kacheln.size() - start);
    const uint64_t zeilen = (n * T + SEITEN_KANTE - 1) / SEITEN_KANTE;
    const uint64_t spalten = (n + zeilen - 1) / zeilen;
    const uint32_t paar = uint32_t(plan.paare.size());
    plan.paare.push_back({uint32_t(spalten * T), uint32_t(zeilen * T), uint32_t(start), uint32_t(n)});
    for (uint64_t k = 0; k < n; ++k) {
      plan.kacheln[start + k].eintrag = uint32_t(k);
      plan.kacheln[start + k].paar = paar;
    }
  }
  return plan;
}

// ---- requests ----

void Generator::FordereAn(uint32_t key, const FlaechenPatch& f) {
  const BVektor3<float> ecken[4] = {f.p, f.p + f.a, f.p + f.b, f.p + f.b + f.c};
  BVektor3<float> lo = ecken[0], hi = ecken[0];
  for (const BVektor3<float>& e : ecken) {
    lo = {std::min(lo.x, e.x), std::min(lo.y, e.y), std::min(lo.z, e.z)};
    hi = {std::max(hi.x, e.x), std::max(hi.y, e.y), std::max(hi.z, e.z)};
  }
  FordereAn(key, PatchBeschreibung(f), (lo + hi) * 0.5f, (hi - lo) * 0.5f);
}

void Generator::FordereAn(uint32_t key, const PatchBeschreibung& beschreibung, BVektor3<float> mitte,
                          BVektor3<float> halbeGroesse) {
  std::optional<std::pair<BVektor3<float>, BVektor3<float>>> alteBox;
  {
    Zarvo_GemeinsamWaechter waechter(&sperre);
    const auto alt = anforderungen.find(key);
    if (alt != anforderungen.end()) {
      if (PatchGleich(alt->second.beschreibung, beschreibung)) return;
      alteBox.emplace(alt->second.mitte, alt->second.halbeGroesse);
    }
  }
  if (!IstEndlich(mitte) || !IstEndlich(halbeGroesse))
    ZARVO_PRUEFE(fmt::format("Patch {:08x}: Box nicht endlich, wird nie gebaut", key).c_str());
  EntfernePatch(key);
  {
    Zarvo_ExklusivWaechter waechter(&sperre);
    Anforderung& anforderung = anforderungen[key];
    if (alteBox) raster.Entferne(key, alteBox->first, alteBox->second);
    anforderung = {beschreibung, mitte, halbeGroesse, ++generationsZaehler};
    raster.Fuege(key, mitte, halbeGroesse);
  }
  std::vector<uint32_t> nachbarn;
  SucheNachbarnVon(nachbarn, key, mitte, halbeGroesse, 0.1f);
  // The patches that touched the old box show the old object too.
  if (alteBox && !(alteBox->first == mitte && alteBox->second == halbeGroesse))
    SucheNachbarnVon(nachbarn, key, alteBox->first, alteBox->second, 0.1f);
  HebeGenerationen(nachbarn);
}

void Generator::Verwirf(uint32_t key) {
  EntfernePatch(key);
  const auto eintrag = anforderungen.find(key);  // the main thread reads without the lock
  if (eintrag == anforderungen.end()) return;
  std::vector<uint32_t> nachbarn;
  SucheNachbarnVon(nachbarn, key, eintrag->second.mitte, eintrag->second.halbeGroesse, 0.1f);
  HebeGenerationen(nachbarn);
  Zarvo_ExklusivWaechter waechter(&sperre);
  raster.Entferne(key, eintrag->second.mitte, eintrag->second.halbeGroesse);
  anforderungen.erase(eintrag);
}

void Generator::HebeGenerationen(const std::vector<uint32_t>& keys) {
  if (keys.empty()) return;
  std::vector<uint32_t> einmal = keys;
  std::sort(einmal.begin(), einmal.end());
  einmal.erase(std::unique(einmal.begin(), einmal.end()), einmal.end());
  Zarvo_ExklusivWaechter waechter(&sperre);
  for (uint32_t key : einmal) {
    const auto eintrag = anforderungen.find(key);
    if (eintrag != anforderungen.end()) eintrag->second.generation = ++generationsZaehler;
  }
}

void Generator::SucheNachbarn(std::vector<uint32_t>& ergebnis, uint32_t key, float abstand) {
  ergebnis.clear();
  ergebnis.reserve(32);
  Zarvo_GemeinsamWaechter waechter(&sperre);
  const auto eintrag = anforderungen.find(key);
  if (eintrag == anforderungen.end()) return;
  SucheNachbarnVon(ergebnis, key, eintrag->second.mitte, eintrag->second.halbeGroesse, abstand);
}

// Appends; the caller holds the shared lock or is the main thread.
void Generator::SucheNachbarnVon(std::vector<uint32_t>& ergebnis, uint32_t key, BVektor3<float> mitte,
                                 BVektor3<float> halbeGroesse, float abstand) {
  std::vector<uint32_t> kandidaten;
  raster.SammleKandidaten(kandidaten, mitte, halbeGroesse, abstand);
  for (uint32_t anderer : kandidaten) {
    if (anderer == key) continue;
    const auto eintrag = anforderungen.find(anderer);
    if (eintrag == anforderungen.end()) continue;
    const Anforderung& a = eintrag->second;
    if (InnerhalbVon(a.mitte.x, a.halbeGroesse.x, mitte.x, halbeGroesse.x, abstand) &&
        InnerhalbVon(a.mitte.y, a.halbeGroesse.y, mitte.y, halbeGroesse.y, abstand) &&
        InnerhalbVon(a.mitte.z, a.halbeGroesse.z, mitte.z, halbeGroesse.z, abstand))
      ergebnis.push_back(anderer);
  }
}

std::optional<Generator::Anforderung> Generator::LiesAnforderung(uint32_t key) {
  Zarvo_GemeinsamWaechter waechter(&sperre);
  const auto eintrag = anforderungen.find(key);
  if (eintrag == anforderungen.end()) return std::nullopt;
  return eintrag->second;
}

bool Generator::HatAnforderung(uint32_t key) const { return anforderungen.count(key) != 0; }

const Generator::Patch* Generator::GibPatch(uint32_t key) const {
  const auto eintrag = patches.find(key);
  return eintrag == patches.end() ? nullptr : &eintrag->second;
}

void Generator::WarteAufOffene() { offen.Warte(); }

// ---- built patches ----

void Generator::GibPatchFrei(Patch& patch) {
  pool.GibFrei(patch.instanz);
  patch.instanz = RenderInstanzPool::KEINE_INSTANZ;
  patch.modell.reset();
  if (patch.breite != 0 && patch.seite < seiten.size()) seiten[patch.seite].platz.GibPlatzFrei(patch.x, patch.y);
  patch.seite = KEINE_SEITE;
  patch.breite = 0;
  patch.hoehe = 0;
}

void Generator::EntfernePatch(uint32_t key) {
  const auto eintrag = patches.find(key);
  if (eintrag == patches.end()) return;
  GibPatchFrei(eintrag->second);
  patches.erase(eintrag);
}

// ---- scheduling and jobs ----

void Generator::AktualisierePatches(BVektor3<float> position) {
  if (stopp.load() != 0 || g_Parallel == nullptr) return;
  if (offen.anzahl.load() >= 2ull * Zarvo_Parallel::ProzessorAnzahl()) return;
  Kandidaten kandidaten;
  for (const auto& [key, anforderung] : anforderungen) {
    const BVektor3<float> d = anforderung.mitte - position;
    const float d2 = d.Punkt(d);
    const auto gebaut = patches.find(key);
    if (!(d2 <= FERN_QUADRAT)) {  // far, or not finite: never converted to an integer
      if (gebaut != patches.end()) {
        GibPatchFrei(gebaut->second);
        patches.erase(gebaut);
      }
      continue;
    }
    const bool hatEintrag = gebaut != patches.end();
    if (hatEintrag && gebaut->second.auftrag) continue;
    const uint32_t ziel = StufeFuerAbstand(d2);
    const uint32_t stufe = hatEintrag ? gebaut->second.stufe : 0;
    const uint32_t diff = ziel > stufe ? ziel - stufe : stufe - ziel;
    if (diff == 0 && hatEintrag && gebaut->second.generation == anforderung.generation) continue;
    const uint64_t p = uint64_t(float(65536u >> std::min(2 * diff, 16u)) * d2);
    kandidaten.Biete(((p & ~uint64_t(0xF)) | ziel) << 32 | key);
  }
  for (uint32_t i = 0; i < kandidaten.anzahl; ++i)
    StarteAuftrag(uint32_t(kandidaten.worte[i]), uint32_t(kandidaten.worte[i] >> 32) & 0xF);
}

void Generator::StarteAuftrag(uint32_t key, uint32_t ziel) {
  Patch& patch = patches[key];
  const uint32_t stufe = patch.stufe < ziel ? patch.stufe + 1 : patch.stufe > ziel ? patch.stufe - 1 : patch.stufe;
  const uint64_t nummer = ++auftragsZaehler;
  offen.anzahl.fetch_add(1);
  Zarvo_Parallel::AuftragsHandle handle;
  try {
    handle = g_Parallel->StarteParallelAuftrag([this, key, stufe, nummer] { FuehreAuftragAus(key, stufe, nummer); });
  } catch (...) {
    offen.Vermindere();
    throw;
  }
  if (!handle) {
    offen.Vermindere();
    return;
  }
  patch.auftrag = handle;
  patch.auftragsNummer = nummer;
}

// The job body, on a worker: read the request, build, hand in. Every way out counts `offen` down
// exactly once, as the last touch of the generator.
void Generator::FuehreAuftragAus(uint32_t key, uint32_t stufe, uint64_t nummer) {
  const std::optional<Anforderung> anforderung = LiesAnforderung(key);
  bool gebaut = false;
  FertigerPatch datensatz;
  if (anforderung) datensatz = RufeErbauer(key, stufe, *anforderung, gebaut);
  if (!gebaut) {
    offen.Vermindere();
    return;
  }
  datensatz.key = key;
  datensatz.stufe = stufe;
  datensatz.generation = anforderung->generation;
  datensatz.auftragsNummer = nummer;
  HandeEin(std::move(datensatz));
}

Generator::FertigerPatch Generator::RufeErbauer(uint32_t key, uint32_t stufe, const Anforderung& anforderung, bool& gebaut) {
  std::string fehler;
  FertigerPatch datensatz;
  try {
    std::visit(
        [&](const auto& nutzlast) {
          using Art = std::decay_t<decltype(nutzlast)>;
          const ErbauerFunktion<Art>* funktion = nullptr;
          if constexpr (std::is_same_v<Art, FlaechenPatch>) funktion = &erbauer.flaeche;
          if constexpr (std::is_same_v<Art, GitterPatch>) funktion = &erbauer.gitter;
          if constexpr (std::is_same_v<Art, DruckplattenPatch>) funktion = &erbauer.druckplatte;
          if constexpr (std::is_same_v<Art, HebelPatch>) funktion = &erbauer.hebel;
          if constexpr (std::is_same_v<Art, KnopfPatch>) funktion = &erbauer.knopf;
          if constexpr (std::is_same_v<Art, BaumPatch>) funktion = &erbauer.baum;
          if constexpr (std::is_same_v<Art, MosaikPatch>) funktion = &erbauer.mosaik;
          if (!*funktion) return;
          gebaut = true;
          datensatz = (*funktion)(*this, key, stufe, anforderung.generation, nutzlast);
        },
        anforderung.beschreibung);
  } catch (const std::exception& ausnahme) {
    fehler = ausnahme.what();
  } catch (...) {
    fehler = "unbekannte Ausnahme";
  }
  // Outside the handler: a failed build is an empty record (placed nowhere, see Uebernimm).
  if (!fehler.empty()) {
    g_Log.Schreibe("!Spiel::Generator: Erbauer für Patch %08x in Stufe %u scheiterte: %s", key, stufe, fehler.c_str());
    datensatz = FertigerPatch();
  }
  return datensatz;
}

void Generator::HandeEin(FertigerPatch&& datensatz) {
  {
    std::lock_guard<std::mutex> halt(fertigSperre);
    fertig.push_back(std::move(datensatz));
  }
  offen.Vermindere();
}

// ---- taking over finished records ----

void Generator::UebernimmFertigePatches() {
  const Uhr::time_point start = Uhr::now();
  Uebernahme bilanz;
  MarkiereVerloreneSeiten();
  std::vector<FertigerPatch> liste;
  {
    std::lock_guard<std::mutex> halt(fertigSperre);
    liste.swap(fertig);
  }
  bilanz.datensaetze = uint32_t(liste.size());
  std::vector<FertigerPatch*> platziert;
  std::vector<KachelEingabe> eingaben;
  for (FertigerPatch& datensatz : liste) {
    const auto eintrag = patches.find(datensatz.key);
    if (eintrag == patches.end()) continue;  // dropped
    Patch& patch = eintrag->second;
    // Only the entry's own job ends its job in flight, whether its record is applied or not.
    if (patch.auftragsNummer == datensatz.auftragsNummer) patch.auftrag = {};
    if (patch.generation >= datensatz.generation && patch.stufe == datensatz.stufe) continue;  // stale
    if (!UebernimmDatensatz(datensatz, patch, bilanz)) continue;
    platziert.push_back(&datensatz);
    eingaben.push_back({patch.breite, patch.hoehe, patch.seite, patch.x, patch.y});
  }
  bilanz.platziert = uint32_t(platziert.size());
  if (!platziert.empty()) ZeichneKacheln(platziert, eingaben, bilanz);
  bilanz.sekundenGesamt = SekundenSeit(start);
  letzteUebernahme = bilanz;
}

// Every patch on a page whose contents the device dropped is out of date: built generation 0, so
// it is rebuilt at its level; its mesh and instance stay until then.
void Generator::MarkiereVerloreneSeiten() {
  for (uint32_t s = 0; s < seiten.size(); ++s) {
    Seite& seite = seiten[s];
    if (seite.farbTextur == nullptr || !(seite.farbTextur->verloren || seite.normalTextur->verloren)) continue;
    seite.farbTextur->verloren = false;
    seite.normalTextur->verloren = false;
    for (auto& [key, patch] : patches)
      if (patch.seite == s) patch.generation = 0;
    ErneuereZiele(seite);
  }
}

// False when nothing is to be drawn for the record.
bool Generator::UebernimmDatensatz(FertigerPatch& d, Patch& patch, Uebernahme& bilanz) {
  if (d.indices.size() < 3) {  // a refused build: nothing to show, silently
    SpeichereOhneInhalt(d, patch);
    return false;
  }
  if (!IstPlatzierbar(d)) {
    ZARVO_PRUEFE(fmt::format("Patch {:08x}: Bilder {} x {} und {} x {} nicht platzierbar", d.key, d.farbe.Breite(),
                             d.farbe.Hoehe(), d.normale.Breite(), d.normale.Hoehe())
                     .c_str());
    SpeichereOhneInhalt(d, patch);
    return false;
  }
  const uint32_t breite = uint32_t(d.farbe.Breite());
  float transform[16];
  std::memcpy(transform, d.transform, sizeof transform);
  const bool ohneInstanz = !pool.IstLebend(patch.instanz);
  // A rebuild keeps the pose of the current instance (an animated gate, lever or button).
  if (patch.modell && !ohneInstanz) std::memcpy(transform, pool[patch.instanz].matrix, sizeof transform);
  // The old image's place is free before the new one is placed: a rebuild at the same size (as
  // after a device loss) takes no more room, so it never opens a page of its own.
  GibPatchFrei(patch);
  const Platzierung ort = PlatziereBild(breite, breite, bilanz);
  for (WeltVertex& v : d.vertices) {
    v.u = (float(ort.x) + v.u * float(breite)) / float(SEITEN_KANTE);
    v.v = (float(ort.y) + v.v * float(breite)) / float(SEITEN_KANTE);
  }
  patch.seite = ort.seite;
  patch.x = ort.x;
  patch.y = ort.y;
  patch.breite = breite;
  patch.hoehe = breite;
  patch.stufe = d.stufe;
  patch.generation = d.generation;
  patch.nachbarn = d.nachbarn;
  const Uhr::time_point modellStart = Uhr::now();
  patch.modell = std::make_unique<Modell>(Ressourcen::LadeModellHoch(d.vertices, d.indices));
  bilanz.sekundenModelle += SekundenSeit(modellStart);
  FuelleInstanz(patch, transform);
  SetzeNachbarmasken(patch);
  const auto anforderung = anforderungen.find(d.key);
  if (ohneInstanz && beiNeuerInstanz && anforderung != anforderungen.end() && IstMechanismus(anforderung->second.beschreibung.index()))
    beiNeuerInstanz(d.key, patch.instanz);
  return true;
}

void Generator::SpeichereOhneInhalt(const FertigerPatch& d, Patch& patch) {
  GibPatchFrei(patch);
  patch.stufe = d.stufe;
  patch.generation = d.generation;
}

void Generator::FuelleInstanz(Patch& patch, const float* transform) {
  const uint64_t id = pool.Reserviere();
  RenderInstanz& instanz = pool[id];
  instanz = RenderInstanz();
  instanz.modell = patch.modell.get();
  instanz.farbTextur = seiten[patch.seite].farbTextur;
  instanz.normalTextur = seiten[patch.seite].normalTextur;
  instanz.dreiecke = patch.modell->indexBuffer ? uint32_t(patch.modell->indexBuffer->groesse / 12) : 0;
  std::memcpy(instanz.matrix, transform, sizeof instanz.matrix);
  pool.SetzeLebend(id);
  RenderInstanzPool::BerechneGrenzen(instanz);
  patch.instanz = id;
}

Generator::Nachbarmaske Generator::BerechneMaske(const Patch& patch) const {
  Nachbarmaske maske = 1;
  const std::span<const uint32_t> liste = patch.nachbarn.Liste();
  for (uint32_t i = 0; i < liste.size(); ++i) {
    if (liste[i] == 0) continue;
    const Patch* nachbar = GibPatch(liste[i]);
    if ((nachbar ? nachbar->stufe : 0) < patch.stufe) maske |= 1u << (i + 1);
  }
  return maske;
}

void Generator::SetzeNachbarmasken(const Patch& patch) {
  pool[patch.instanz].nachbarmaske = BerechneMaske(patch);
  for (uint32_t key : patch.nachbarn.Liste()) {
    if (key == 0) continue;
    const Patch* nachbar = GibPatch(key);
    if (nachbar && pool.IstLebend(nachbar->instanz)) pool[nachbar->instanz].nachbarmaske = BerechneMaske(*nachbar);
  }
}

Generator::Platzierung Generator::PlatziereBild(uint32_t breite, uint32_t hoehe, Uebernahme& bilanz) {
  uint64_t x = 0, y = 0;
  const Uhr::time_point start = Uhr::now();
  for (uint32_t s = 0; s < seiten.size(); ++s)
    if (seiten[s].platz.HolePlatz(breite, hoehe, x, y)) {
      bilanz.sekundenPlatz += SekundenSeit(start);
      return {s, uint32_t(x), uint32_t(y)};
    }
  bilanz.sekundenPlatz += SekundenSeit(start);
  const Uhr::time_point neu = Uhr::now();
  seiten.push_back(LegeSeiteAn());
  bilanz.sekundenNeueSeiten += SekundenSeit(neu);
  const Uhr::time_point platz = Uhr::now();
  seiten.back().platz.HolePlatz(breite, hoehe, x, y);  // a new page holds any image up to 4096²
  bilanz.sekundenPlatz += SekundenSeit(platz);
  return {uint32_t(seiten.size() - 1), uint32_t(x), uint32_t(y)};
}

Generator::Seite Generator::LegeSeiteAn() {
  Seite seite;
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext == nullptr) return seite;
  seite.farbTextur = kontext->Registriere<SeitenTextur>(*kontext);
  seite.normalTextur = kontext->Registriere<SeitenTextur>(*kontext);
  seite.farbZiel = kontext->ErzeugeRenderziel(Zarvo_RenderzielBeschr(seite.farbTextur, nullptr));
  seite.normalZiel = kontext->ErzeugeRenderziel(Zarvo_RenderzielBeschr(seite.normalTextur, nullptr));
  return seite;
}

// The staging and draw passes: per staging pair, copy its tiles into the two atlases, build their
// textures, then per page draw the pair's tiles on it into the colour and the normal page.
void Generator::ZeichneKacheln(std::vector<FertigerPatch*>& platziert, std::span<const KachelEingabe> eingaben,
                               Uebernahme& bilanz) {
  const KachelPlan plan = PlaneKacheln(eingaben);
  bilanz.kacheln = uint32_t(plan.kacheln.size());
  bilanz.paare = uint32_t(plan.paare.size());
  Zarvo_ZeichenKontext* kontext = Zarvo_Screen3D::GibZeichenKontext();
  if (kontext == nullptr) return;
  const float T = float(plan.T);
  for (const KachelPlan::Paar& paar : plan.paare) {
    const std::span<const KachelPlan::Kachel> kacheln(plan.kacheln.data() + paar.ersteKachel, paar.anzahl);
    const Uhr::time_point stagingStart = Uhr::now();
    Zarvo_TexturAtlas farbAtlas(paar.breite, paar.hoehe, 0);
    Zarvo_TexturAtlas normalAtlas(paar.breite, paar.hoehe, 0);
    for (const KachelPlan::Kachel& k : kacheln) {
      FertigerPatch& d = *platziert[k.datensatz];
      TBereich farbe, normale;
      d.farbe.LockBereich(farbe);
      d.normale.LockBereich(normale);
      farbAtlas.KopiereEintrag(k.eintrag, farbe, k.quellX, k.quellY, plan.T, plan.T);
      normalAtlas.KopiereEintrag(k.eintrag, normale, k.quellX, k.quellY, plan.T, plan.T);
    }
    farbAtlas.ErzeugeTextur();
    normalAtlas.ErzeugeTextur();
    bilanz.sekundenStaging += SekundenSeit(stagingStart);

    const Uhr::time_point zeichnenStart = Uhr::now();
    farbListe.SetzeAtlas(&farbAtlas);
    normalListe.SetzeAtlas(&normalAtlas);
    for (uint32_t s = 0; s < seiten.size(); ++s) {
      for (const KachelPlan::Kachel& k : kacheln) {
        if (k.seite != s) continue;
        const BVektor3<float> ort(float(k.zielX), float(k.zielY), 0.5f);
        farbListe.AddSprite(k.eintrag, ort, {1, 1, 1, 1}, T, T, 0);
        normalListe.AddSprite(k.eintrag, ort, {1, 1, 1, 1}, T, T, 0);
      }
      if (farbListe.IstLeer()) continue;
      Seite& seite = seiten[s];
      SichereSeite(seite);
      kontext->SetRenderZiel(seite.farbZiel);
      stapel.Zeichne(farbListe);
      farbListe.Leeren();
      kontext->SetRenderZiel(seite.normalZiel);
      stapel.Zeichne(normalListe);
      normalListe.Leeren();
    }
    farbListe.SetzeAtlas(nullptr);
    normalListe.SetzeAtlas(nullptr);
    bilanz.sekundenZeichnen += SekundenSeit(zeichnenStart);
  }
  kontext->SetRenderZiel(nullptr);  // nothing later in the frame draws into a page
}

// Before drawing into a page: both textures used (stamped, and made again when the device dropped
// them); when one was dropped during this call, the targets take the new surfaces.
void Generator::SichereSeite(Seite& seite) {
  if (seite.farbTextur == nullptr) return;
  seite.farbTextur->Benutzen();
  seite.normalTextur->Benutzen();
  if (seite.farbTextur->verloren || seite.normalTextur->verloren) ErneuereZiele(seite);
}

// A target keeps the surface of the texture it was made on; after an eviction of the texture
// alone that surface belongs to no texture any more, so both targets take their textures' again.
void Generator::ErneuereZiele(Seite& seite) {
  seite.farbZiel->ErzeugeDaten();
  seite.normalZiel->ErzeugeDaten();
}

}  // namespace Spiel
