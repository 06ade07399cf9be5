#include "Plattform/d3d9/objekt.h"

#include <algorithm>

namespace d3d9 {

Objekt::Objekt(std::shared_ptr<Konto> konto, D3DPOOL pool, uint64_t kosten, std::string art)
    : pool(pool), kosten(kosten), art(std::move(art)), konto(std::move(konto)) {
  this->konto->lebende.insert(this);
}

Objekt::~Objekt() {
  konto->belegt -= kosten;
  konto->lebende.erase(this);
}

UINT Objekt::MehrRef() {
  if (behaelter) return behaelter->MehrRef();
  return ++ref;
}

UINT Objekt::WenigerRef() {
  if (behaelter) return behaelter->WenigerRef();
  const UINT rest = --ref;
  if (rest == 0) delete this;
  return rest;
}

std::string ResetHindernisse(const Konto& konto) {
  std::string namen;
  for (Objekt* o : konto.lebende) {
    if (o->behaelter || o->pool != D3DPOOL_DEFAULT || o->FremdeRefs() == 0) continue;
    if (!namen.empty()) namen += ", ";
    namen += o->art;
  }
  return namen;
}

HRESULT Belaste(Konto& konto, uint64_t bytes) {
  if (konto.budget != 0 && konto.belegt + bytes > konto.budget) return D3DERR_OUTOFVIDEOMEMORY;
  konto.belegt += bytes;
  return D3D_OK;
}

void BelegeHostSpeicher(const Konto& konto, std::vector<uint8_t>& speicher, uint64_t bytes) {
  if ((konto.hostGrenze != 0 && bytes > konto.hostGrenze) || bytes > speicher.max_size()) throw std::bad_alloc();
  speicher.assign(size_t(bytes), 0);
}

void Binde(Objekt*& platz, Objekt* neu) {
  if (platz == neu) return;
  if (neu) {
    neu->MehrRef();
    ++neu->Wurzel()->gebunden;
  }
  Objekt* alt = platz;
  platz = neu;
  if (alt) {
    --alt->Wurzel()->gebunden;
    alt->WenigerRef();
  }
}

UINT VolleKette(UINT breite, UINT hoehe) {
  UINT levels = 1;
  while (breite > 1 || hoehe > 1) {
    breite = std::max(1u, breite / 2);
    hoehe = std::max(1u, hoehe / 2);
    ++levels;
  }
  return levels;
}

uint64_t TexturBytes(D3DFORMAT format, UINT breite, UINT hoehe, UINT levels) {
  uint64_t summe = 0;
  for (UINT l = 0; l < levels; ++l) summe += EbenenGroesse(format, std::max(1u, breite >> l), std::max(1u, hoehe >> l));
  return summe;
}

std::map<DWORD, DWORD> VorgabeRenderZustaende() {
  return {{D3DRS_ZENABLE, 1},
          {D3DRS_ZWRITEENABLE, 1},
          {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
          {D3DRS_CULLMODE, D3DCULL_CCW},
          {D3DRS_ALPHABLENDENABLE, 0},
          {D3DRS_SRCBLEND, D3DBLEND_ONE},
          {D3DRS_DESTBLEND, D3DBLEND_ZERO},
          {D3DRS_BLENDOP, D3DBLENDOP_ADD},
          {D3DRS_SEPARATEALPHABLENDENABLE, 0},
          {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE},
          {D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO},
          {D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD},
          {D3DRS_COLORWRITEENABLE, 0xF},
          {D3DRS_FILLMODE, D3DFILL_SOLID}};
}

std::map<DWORD, DWORD> VorgabeSamplerZustaende() {
  return {{D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP}, {D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP}, {D3DSAMP_ADDRESSW, D3DTADDRESS_WRAP},
          {D3DSAMP_BORDERCOLOR, 0},           {D3DSAMP_MAGFILTER, D3DTEXF_POINT},  {D3DSAMP_MINFILTER, D3DTEXF_POINT},
          {D3DSAMP_MIPFILTER, D3DTEXF_NONE},  {D3DSAMP_MAXMIPLEVEL, 0},            {D3DSAMP_MAXANISOTROPY, 1}};
}

}  // namespace d3d9
