#include "Plattform/d3d9/objekt.h"

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

}  // namespace d3d9
