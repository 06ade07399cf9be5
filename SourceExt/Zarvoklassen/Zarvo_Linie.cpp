#include "Zarvo_Linie.h"

#include "Zarvo_VertexEingabe.h"

namespace {
// Data types of Zarvo_VertexEingabe::AddKanal.
constexpr uint32_t TYP_FLOAT1 = 0;
constexpr uint32_t TYP_FLOAT3 = 2;
constexpr uint32_t TYP_FLOAT4 = 3;
}  // namespace

void Zarvo_Linie::TrageKanaeleEin(Zarvo_VertexEingabe& eingabe, uint32_t stream) {
  eingabe.AddKanal(stream, TYP_FLOAT3, offsetof(Zarvo_Linie, ipos0), true);
  eingabe.AddKanal(stream, TYP_FLOAT3, offsetof(Zarvo_Linie, ipos1), true);
  eingabe.AddKanal(stream, TYP_FLOAT4, offsetof(Zarvo_Linie, ifarbe), true);
  eingabe.AddKanal(stream, TYP_FLOAT1, offsetof(Zarvo_Linie, idicke), true);
}
