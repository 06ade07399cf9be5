#pragma once
// A vertex-input declaration: channels (stream, data type, byte offset, per-instance flag) added
// one by one, then Beenden creates the device declaration. The first channel feeds POSITION0..,
// every later element the next TEXCOORDn, n counting in declaration order.
#include <cstdint>

#include "Plattform/d3d9/d3d9.h"
#include "Zarvo_BasisObjekt.h"

class Zarvo_ZeichenKontext;

class Zarvo_VertexEingabe : public Zarvo_BasisObjekt {
 public:
  static constexpr int MAX_KANAELE = 16;
  static constexpr int MAX_ELEMENTE = 16;  // plus the end marker
  static constexpr uint32_t STROEME = 4;
  static constexpr uint32_t TYPEN = 13;

  // Data types 0..12: FLOAT1..4, UBYTE4, UBYTE4N, SHORT2N, SHORT4N, SHORT2, SHORT4, then three
  // FLOAT3 (3 x 3 matrix), three FLOAT4 and four FLOAT4 (4 x 4 matrix).
  struct Typ {
    d3d9::D3DDECLTYPE d3dTyp;
    uint32_t elemente;
    uint32_t schritt;  // bytes between the elements
    uint32_t groesse;
  };
  static const Typ TYP_TABELLE[TYPEN];

  struct Kanal {
    uint32_t stream;
    uint32_t typ;
    uint32_t offset;
    bool instanz;
  };

  explicit Zarvo_VertexEingabe(Zarvo_ZeichenKontext& kontext);
  ~Zarvo_VertexEingabe() override;
  bool BelegtVideoRAM() const override { return false; }

  void AddKanal(uint32_t stream, uint32_t typ, uint32_t offset, bool instanz);
  // Appends the end marker and creates the device declaration; state 1 either way.
  void Beenden();

  uint64_t streamAnzahl = 0;
  uint64_t streamMaske = 0;
  uint64_t instanzMaske = 0;
  uint16_t stride[STROEME] = {};
  Kanal kanaele[MAX_KANAELE] = {};
  uint32_t kanalAnzahl = 0;
  d3d9::D3DVERTEXELEMENT9 elemente[MAX_ELEMENTE + 1] = {};
  uint32_t elementAnzahl = 0;
  d3d9::IDirect3DVertexDeclaration9* deklaration = nullptr;

 private:
  Zarvo_ZeichenKontext& kontext;
};
