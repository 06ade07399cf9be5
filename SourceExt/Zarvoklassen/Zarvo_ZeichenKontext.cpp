#include "Zarvo_ZeichenKontext.h"

#include <cxxabi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <typeinfo>

#include "Zarvo_AlphaZustand.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_IndexBuffer.h"
#include "Zarvo_Renderziel.h"
#include "Zarvo_Sampler.h"
#include "Zarvo_Start.h"
#include "Zarvo_Textur.h"
#include "Zarvo_TiefeZustand.h"
#include "Zarvo_VertexBuffer.h"
#include "Zarvo_PixelShader.h"
#include "Zarvo_Programm.h"
#include "Zarvo_VertexEingabe.h"
#include "Zarvo_VertexShader.h"
#include "Zarvo_WuerfelTextur.h"
#include "Zarvo_ZBuffer.h"

using namespace d3d9;

namespace {

constexpr uint32_t VERGLEICH_KLEINER_GLEICH = 2;

// "class Zarvo_Textur": the run-time class as the leak report names it.
std::string KlassenName(const Zarvo_BasisObjekt& objekt) {
  const char* roh = typeid(objekt).name();
  int status = 0;
  char* lesbar = abi::__cxa_demangle(roh, nullptr, nullptr, &status);
  std::string name = std::string("class ") + (status == 0 && lesbar ? lesbar : roh);
  std::free(lesbar);
  return name;
}

uint64_t SaettigendeSumme(uint64_t a, uint64_t b) { return b > ~uint64_t(0) - a ? ~uint64_t(0) : a + b; }

// trunc(v * 255 + 0.5), saturated to 32 bits, low byte: values past 1 wrap without carry.
uint32_t FarbKanal(float wert) {
  const double t = std::trunc(double(wert * 255.0f + 0.5f));
  if (!(t >= double(std::numeric_limits<int32_t>::min()))) return 0;  // also NaN
  const int32_t ganz = t > double(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max() : int32_t(t);
  return uint32_t(ganz) & 0xFF;
}

}  // namespace

Zarvo_ZeichenKontext::Zarvo_ZeichenKontext(const Zarvo_BildschirmZustand& bildschirm) : bildschirm(bildschirm), impl(*this) {
  SetzeZustandsCachesZurueck();
  vorgabeAlpha = ErzeugeAlphaZustand(Zarvo_AlphaZustand::Vorgabe());
  impl.SetAlphaZustand(*vorgabeAlpha);
  alphaId = vorgabeAlpha->allocId;
  ++zaehler[ALPHA_WECHSEL];
  vorgabeTiefe = ErzeugeTiefeZustand({0, 0, VERGLEICH_KLEINER_GLEICH});
  SetTiefeZustand(nullptr);
  SetRueckseite(0);
}

Zarvo_ZeichenKontext::~Zarvo_ZeichenKontext() { MeldeUnfreigegebene(); }

void Zarvo_ZeichenKontext::SetzeZustandsCachesZurueck() {
  renderZielId = UNGESETZT;
  zielBreite = bildschirm.breite;
  zielHoehe = bildschirm.hoehe;
  viewport = {0, 0, bildschirm.breite, bildschirm.hoehe};
  programmId = ALLE;
  rueckseite = 3;
  tiefeId = UNGESETZT;
  alphaId = UNGESETZT;
  stroeme.fill({ALLE, ALLE, ALLE, nullptr});
  indexBufferId = ALLE;
  indexGeraeteBuffer = nullptr;
}

Zarvo_AlphaZustand* Zarvo_ZeichenKontext::ErzeugeAlphaZustand(const Zarvo_AlphaZustandBeschr& b) {
  return Registriere<Zarvo_AlphaZustand>(b);
}

Zarvo_TiefeZustand* Zarvo_ZeichenKontext::ErzeugeTiefeZustand(const Zarvo_TiefeZustandBeschr& b) {
  return Registriere<Zarvo_TiefeZustand>(b);
}

Zarvo_Sampler* Zarvo_ZeichenKontext::ErzeugeSampler(const Zarvo_SamplerBeschr& b) { return Registriere<Zarvo_Sampler>(b); }

Zarvo_Textur* Zarvo_ZeichenKontext::ErzeugeTextur(uint64_t breite, uint64_t hoehe, uint64_t mipAnzahl, uint32_t flags,
                                                 const Zarvo_TexturVorgabe& vorgabe) {
  return Registriere<Zarvo_Textur>(*this, breite, hoehe, mipAnzahl, flags, vorgabe);
}

Zarvo_WuerfelTextur* Zarvo_ZeichenKontext::ErzeugeWuerfelTextur(uint64_t kante, uint64_t mipAnzahl, uint32_t flags,
                                                               const Zarvo_WuerfelTexturVorgabe& vorgabe) {
  return Registriere<Zarvo_WuerfelTextur>(*this, kante, mipAnzahl, flags, vorgabe);
}

Zarvo_Renderziel* Zarvo_ZeichenKontext::ErzeugeRenderziel(const Zarvo_RenderzielBeschr& b) { return Registriere<Zarvo_Renderziel>(*this, b); }

Zarvo_ZBuffer* Zarvo_ZeichenKontext::ErzeugeZBuffer(uint64_t breite, uint64_t hoehe) {
  return Registriere<Zarvo_ZBuffer>(*this, breite, hoehe);
}

Zarvo_VertexBuffer* Zarvo_ZeichenKontext::ErzeugeVertexBuffer(uint64_t groesse, uint32_t flags, Zarvo_BufferVorgabe vorgabe) {
  return Registriere<Zarvo_VertexBuffer>(*this, groesse, flags, vorgabe);
}

Zarvo_IndexBuffer* Zarvo_ZeichenKontext::ErzeugeIndexBuffer(uint64_t, uint32_t formatUndFlags, Zarvo_BufferVorgabe vorgabe) {
  return Registriere<Zarvo_IndexBuffer>(*this, formatUndFlags, vorgabe);
}

Zarvo_VertexEingabe* Zarvo_ZeichenKontext::ErzeugeVertexEingabe() { return Registriere<Zarvo_VertexEingabe>(*this); }
Zarvo_VertexShader* Zarvo_ZeichenKontext::ErzeugeVertexShader() { return Registriere<Zarvo_VertexShader>(*this); }
Zarvo_PixelShader* Zarvo_ZeichenKontext::ErzeugePixelShader() { return Registriere<Zarvo_PixelShader>(*this); }
Zarvo_Programm* Zarvo_ZeichenKontext::ErzeugeProgramm(Zarvo_VertexEingabe* eingabe, Zarvo_VertexShader* vertexShader,
                                                      Zarvo_PixelShader* pixelShader) {
  return Registriere<Zarvo_Programm>(eingabe, vertexShader, pixelShader);
}

bool Zarvo_ZeichenKontext::ErzeugeMitPlatz(Zarvo_BasisObjekt& objekt, bool meldeKnapp, const std::function<HRESULT()>& erzeuge) {
  objekt.zustand = Zarvo_BasisObjekt::ZUSTAND_FEHLT;
  if (!HatGeraet()) return false;
  for (;;) {
    const HRESULT hr = erzeuge();
    if (SUCCEEDED(hr)) {
      objekt.zustand = Zarvo_BasisObjekt::ZUSTAND_BEREIT;
      return true;
    }
    if (hr != D3DERR_OUTOFVIDEOMEMORY) return false;
    if (meldeKnapp) g_Log.Schreibe("?VideoRAM knapp. Versuche, Platz zu schaffen.");
    // Each pass that evicts moves a resource from 1 to 2, so the loop ends.
    if (impl.SchaffeVideoRAMPlatz() == 0) return false;
  }
}

// ---- setters ----

void Zarvo_ZeichenKontext::SetRenderZiel(std::nullptr_t) {
  if (renderZielId == ALLE) {
    SetRenderBereich(0, 0, ALLE, ALLE);
    return;
  }
  impl.SetRenderZielRueckpuffer();
  renderZielId = ALLE;
  zielBreite = bildschirm.breite;
  zielHoehe = bildschirm.hoehe;
  viewport = {0, 0, zielBreite, zielHoehe};
  ++zaehler[RENDERZIEL_WECHSEL];
}

void Zarvo_ZeichenKontext::SetRenderZiel(Zarvo_Renderziel* ziel) {
  if (ziel == nullptr) {
    SetRenderZiel(nullptr);
    return;
  }
  if (ziel->allocId == renderZielId) {
    SetRenderBereich(0, 0, ALLE, ALLE);
    return;
  }
  ziel->Benutzen();
  impl.SetRenderZiel(*ziel);
  renderZielId = ziel->allocId;
  const bool hatGroesse = ziel->beschreibung.breite != 0 && ziel->beschreibung.hoehe != 0;
  zielBreite = hatGroesse ? ziel->beschreibung.breite : bildschirm.breite;
  zielHoehe = hatGroesse ? ziel->beschreibung.hoehe : bildschirm.hoehe;
  viewport = {0, 0, zielBreite, zielHoehe};
  ++zaehler[RENDERZIEL_WECHSEL];
}

void Zarvo_ZeichenKontext::SetTextur(uint32_t handle, Zarvo_Sampler* sampler, Zarvo_BasisObjekt* textur) {
  if (sampler) sampler->Benutzen();
  if (textur) textur->Benutzen();
  impl.SetTextur(handle, sampler, textur);
  ++zaehler[TEXTUR_SETS];
}

void Zarvo_ZeichenKontext::SetVertexBuffer(uint32_t stream, Zarvo_VertexBuffer* buffer, uint64_t, uint64_t stride) {
  if (stride == 0 && aktuellesProgramm != nullptr && stream < Zarvo_VertexEingabe::STROEME) stride = aktuellesProgramm->stride[stream];
  if (stream >= stroeme.size()) {
    ZARVO_PRUEFE("VertexBuffer-Zuweisung gescheitert");
    return;
  }
  const uint64_t id = buffer ? buffer->allocId : ALLE;
  const Strom& alt = stroeme[stream];
  if (buffer && buffer->zustand != Zarvo_BasisObjekt::ZUSTAND_BEREIT) buffer->Benutzen();  // evicted: made again
  const void* geraeteBuffer = buffer ? buffer->buffer : nullptr;
  if (alt.allocId == id && alt.geraeteBuffer == geraeteBuffer && alt.offset == 0 && alt.stride == stride) return;
  if (buffer) buffer->Benutzen();
  impl.SetStreamQuelle(stream, buffer ? buffer->buffer : nullptr, buffer ? uint32_t(buffer->groesse) : 0, uint32_t(stride));
  stroeme[stream] = {id, 0, stride, buffer ? buffer->buffer : nullptr};
  ++zaehler[VERTEXBUFFER_SETS];
}

void Zarvo_ZeichenKontext::SetIndexBuffer(Zarvo_IndexBuffer* buffer) {
  const uint64_t id = buffer ? buffer->allocId : ALLE;
  if (buffer && buffer->zustand != Zarvo_BasisObjekt::ZUSTAND_BEREIT) buffer->Benutzen();  // evicted: made again
  if (id == indexBufferId && indexGeraeteBuffer == (buffer ? buffer->buffer : nullptr)) return;
  if (buffer) buffer->Benutzen();
  impl.SetIndizes(buffer ? buffer->buffer : nullptr);
  indexBufferId = id;
  indexGeraeteBuffer = buffer ? buffer->buffer : nullptr;
  ++zaehler[INDEXBUFFER_SETS];
}

void Zarvo_ZeichenKontext::SetRenderBereich(uint64_t x, uint64_t y, uint64_t breite, uint64_t hoehe) {
  Bereich neu;
  neu.x = std::min(x, zielBreite);
  neu.y = std::min(y, zielHoehe);
  neu.breite = std::min(zielBreite, SaettigendeSumme(neu.x, breite)) - neu.x;
  neu.hoehe = std::min(zielHoehe, SaettigendeSumme(neu.y, hoehe)) - neu.y;
  if (neu == viewport) return;
  impl.SetViewport(neu.x, neu.y, neu.breite, neu.hoehe);
  viewport = neu;
  ++zaehler[VIEWPORT_WECHSEL];
}

void Zarvo_ZeichenKontext::Leeren(uint32_t flags, const float farbe[4]) {
  const D3DCOLOR gepackt = FarbKanal(farbe[3]) << 24 | FarbKanal(farbe[0]) << 16 | FarbKanal(farbe[1]) << 8 | FarbKanal(farbe[2]);
  impl.Leeren(flags, gepackt);
}

void Zarvo_ZeichenKontext::SetAlphaZustand(Zarvo_AlphaZustand* zustand) {
  if (zustand == nullptr) zustand = vorgabeAlpha;
  if (zustand->allocId == alphaId) return;
  zustand->Benutzen();
  impl.SetAlphaZustand(*zustand);
  alphaId = zustand->allocId;
  ++zaehler[ALPHA_WECHSEL];
}

void Zarvo_ZeichenKontext::SetTiefeZustand(Zarvo_TiefeZustand* zustand) {
  if (zustand == nullptr) zustand = vorgabeTiefe;
  if (zustand->allocId == tiefeId) return;
  zustand->Benutzen();
  impl.SetTiefeZustand(*zustand);
  tiefeId = zustand->allocId;
  ++zaehler[TIEFE_WECHSEL];
}

void Zarvo_ZeichenKontext::SetRueckseite(uint32_t modus) {
  if (modus == rueckseite) return;
  impl.SetRueckseite(modus + 1);
  rueckseite = modus;
  ++zaehler[RUECKSEITE_WECHSEL];
}

void Zarvo_ZeichenKontext::SetFuellModus(bool drahtgitter) { impl.SetFuellModus(drahtgitter); }

void Zarvo_ZeichenKontext::GibFrei(Zarvo_BasisObjekt* objekt) {
  if (objekt != nullptr && objekt == static_cast<Zarvo_BasisObjekt*>(aktuellesProgramm)) {
    aktuellesProgramm = nullptr;
    programmId = ALLE;
  }
  registerListe.Entferne(objekt);
}

void Zarvo_ZeichenKontext::SetProgramm(Zarvo_Programm* programm) {
  if (programm == nullptr || programm->allocId == programmId) return;
  programm->Benutzen();
  aktuellesProgramm = programm;
  programmId = programm->allocId;
  ++zaehler[PROGRAMM_SETS];
  // A failed step has written its line; the steps after it are skipped.
  if (!impl.SetDeklaration(programm->deklaration) || !impl.SetVertexShader(programm->geraeteVertexShader)) return;
  impl.SetPixelShader(programm->geraetePixelShader);
}

void Zarvo_ZeichenKontext::ZeichneIndexElemente(uint32_t, uint32_t dreiecke) {
  if (aktuellesProgramm == nullptr) return;
  impl.ZeichneIndexElemente(dreiecke, aktuellesProgramm->streamAnzahl, aktuellesProgramm->stride[0]);
}

void Zarvo_ZeichenKontext::ZeichneIndexInstanzen(uint32_t, uint32_t dreiecke, uint32_t instanzen) {
  if (aktuellesProgramm == nullptr) return;
  impl.ZeichneIndexInstanzen(dreiecke, instanzen, aktuellesProgramm->streamAnzahl, aktuellesProgramm->instanzMaske,
                             aktuellesProgramm->stride[0]);
}

void Zarvo_ZeichenKontext::SetProgrammKonstante(uint32_t handle, const float m[16]) {
  float register_[16];
  for (int spalte = 0; spalte < 4; ++spalte)
    for (int zeile = 0; zeile < 4; ++zeile) register_[spalte * 4 + zeile] = m[zeile * 4 + spalte];
  SetProgrammKonstante(handle, register_, 4);
}

void Zarvo_ZeichenKontext::SetProgrammKonstante(uint32_t handle, float x, float y, float z) {
  SetProgrammKonstante(handle, x, y, z, 0.0f);
}

void Zarvo_ZeichenKontext::SetProgrammKonstante(uint32_t handle, float x, float y, float z, float w) {
  impl.SetProgrammKonstante(handle, x, y, z, w);
  ++zaehler[KONSTANTEN_SETS];
}

void Zarvo_ZeichenKontext::SetProgrammKonstante(uint32_t handle, float x, float y) {
  SetProgrammKonstante(handle, x, y, 0.0f, 1.0f);
}

void Zarvo_ZeichenKontext::SetProgrammKonstante(uint32_t handle, const float* register_, uint32_t anzahl) {
  impl.SetProgrammKonstante(handle, register_, anzahl);
  ++zaehler[KONSTANTEN_SETS];
}

// ---- reset, statistics, shutdown ----

bool Zarvo_ZeichenKontext::ReInit() {
  registerListe.FuerAlle([](Zarvo_BasisObjekt* o) {
    if (o->BelegtVideoRAM()) o->VorZuruecksetzen();
  });
  if (!impl.Zuruecksetzen()) return false;
  registerListe.FuerAlle([](Zarvo_BasisObjekt* o) {
    if (o->BelegtVideoRAM()) o->NachZuruecksetzen();
  });
  SetzeZustandsCachesZurueck();
  impl.SetRenderZielRueckpuffer();
  renderZielId = ALLE;
  zielBreite = bildschirm.breite;
  zielHoehe = bildschirm.hoehe;
  viewport = {0, 0, zielBreite, zielHoehe};
  ++zaehler[RENDERZIEL_WECHSEL];
  return true;
}

namespace {

// One group of sized resources: count and bytes in all, resident, dynamic, render targets, offline.
struct Gruppe {
  struct Posten {
    int anzahl = 0;
    uint64_t bytes = 0;
    void Zaehle(uint64_t b) { ++anzahl, bytes += b; }
  } alle, resident, dynamisch, renderziele, offline;

  void Zaehle(const Zarvo_BasisObjekt& o, uint64_t bytes) {
    alle.Zaehle(bytes);
    if (o.zustand == Zarvo_BasisObjekt::ZUSTAND_BEREIT) resident.Zaehle(bytes);
    else offline.Zaehle(bytes);
    if (o.flags & Zarvo_BasisObjekt::FLAG_DYNAMISCH) dynamisch.Zaehle(bytes);
    if (o.flags & Zarvo_BasisObjekt::FLAG_RENDERZIEL) renderziele.Zaehle(bytes);
  }
  void Schreibe(const char* kopf, bool mitRenderzielen) const {
    const auto kb = [](const Posten& p) { return int(p.bytes >> 10); };
    g_Log.DebugAusgabe(kopf, alle.anzahl, kb(alle));
    g_Log.DebugAusgabe("  davon %d im VideoRAM (%d kb)", resident.anzahl, kb(resident));
    g_Log.DebugAusgabe("  davon %d dynamisch (%d kb)", dynamisch.anzahl, kb(dynamisch));
    if (mitRenderzielen) g_Log.DebugAusgabe("  davon %d Renderziele (%d kb)", renderziele.anzahl, kb(renderziele));
    g_Log.DebugAusgabe("  davon %d offline (%d kb)", offline.anzahl, kb(offline));
  }
};

}  // namespace

void Zarvo_ZeichenKontext::LogStatistik() const {
  // Classified by run-time class in a fixed order; a depth buffer counts only in the total.
  struct Statistik {
    int gesamt = 0, programme = 0, eingaben = 0, vertexShader = 0, pixelShader = 0;
    int renderziele = 0, sampler = 0, alpha = 0, tiefe = 0;
    Gruppe vertexBuffer, indexBuffer, texturen, wuerfel;
  } n;
  registerListe.FuerAlle([&](Zarvo_BasisObjekt* o) {
    ++n.gesamt;
    if (auto* vb = dynamic_cast<Zarvo_VertexBuffer*>(o)) n.vertexBuffer.Zaehle(*o, vb->groesse);
    else if (auto* ib = dynamic_cast<Zarvo_IndexBuffer*>(o)) n.indexBuffer.Zaehle(*o, ib->groesse);
    else if (dynamic_cast<Zarvo_VertexEingabe*>(o)) ++n.eingaben;
    else if (dynamic_cast<Zarvo_Programm*>(o)) ++n.programme;
    else if (dynamic_cast<Zarvo_VertexShader*>(o)) ++n.vertexShader;
    else if (dynamic_cast<Zarvo_PixelShader*>(o)) ++n.pixelShader;
    else if (dynamic_cast<Zarvo_Sampler*>(o)) ++n.sampler;
    else if (dynamic_cast<Zarvo_AlphaZustand*>(o)) ++n.alpha;
    else if (dynamic_cast<Zarvo_TiefeZustand*>(o)) ++n.tiefe;
    else if (dynamic_cast<Zarvo_Renderziel*>(o)) ++n.renderziele;
    else if (auto* t = dynamic_cast<Zarvo_Textur*>(o)) n.texturen.Zaehle(*o, t->Bytes());
    else if (auto* w = dynamic_cast<Zarvo_WuerfelTextur*>(o)) n.wuerfel.Zaehle(*o, w->Bytes());
  });
  const uint64_t bytes = n.vertexBuffer.alle.bytes + n.indexBuffer.alle.bytes + n.texturen.alle.bytes + n.wuerfel.alle.bytes;
  g_Log.DebugAusgabe("Insgesamt %d Resourcen mit einer Gesamtgröße von schätzungsweise %d kb.", n.gesamt, int(bytes >> 10));
  g_Log.DebugAusgabe("%s", "");
  g_Log.DebugAusgabe("%d Shader-Programme von", n.programme);
  g_Log.DebugAusgabe("%d VertexEingaben, %d VertexShader, %d PixelShader", n.eingaben, n.vertexShader, n.pixelShader);
  g_Log.DebugAusgabe("%d Renderziele, %d Sampler-Konfigs, %d Alpha-Konfigs, %d Alpha-Zustände", n.renderziele, n.sampler, n.alpha,
                     n.tiefe);
  g_Log.DebugAusgabe("%s", "");
  n.vertexBuffer.Schreibe("%d VertexBuffer (%d kb)", false);
  g_Log.DebugAusgabe("%s", "");
  n.indexBuffer.Schreibe("%d IndexBuffer (%d kb)", false);
  g_Log.DebugAusgabe("%s", "");
  n.texturen.Schreibe("%d Texturen (%d kb)", true);
  g_Log.DebugAusgabe("%s", "");
  n.wuerfel.Schreibe("%d CubeMaps (%d kb)", true);
}

void Zarvo_ZeichenKontext::MeldeUnfreigegebene() {
  if (heruntergefahren) return;
  heruntergefahren = true;
  GibFrei(vorgabeTiefe);
  GibFrei(vorgabeAlpha);
  vorgabeTiefe = nullptr;
  vorgabeAlpha = nullptr;
  registerListe.FuerAlle([&](Zarvo_BasisObjekt* o) {
    g_Log.DebugAusgabe("%s mit AllocID %llu nicht freigegeben.", KlassenName(*o).c_str(), static_cast<unsigned long long>(o->allocId));
    GibFrei(o);
  });
  impl.GibGeraetFrei();
  registerListe.GibBlockFrei();
}
