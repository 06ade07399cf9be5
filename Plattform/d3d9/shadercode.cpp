#include "Plattform/d3d9/shadercode.h"

#include <cstring>

namespace d3d9 {

namespace {

constexpr size_t KOPF_BYTES = 16;

class Schreiber {
 public:
  void Zahl(uint32_t wert) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(wert >> (8 * i)));
  }
  void Text(const std::string& text) {
    Zahl(uint32_t(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
  }
  std::vector<uint8_t> bytes;
};

class Leser {
 public:
  Leser(const uint8_t* daten, size_t laenge) : daten(daten), laenge(laenge) {}

  bool Zahl(uint32_t& wert) {
    if (laenge - position < 4) return false;
    wert = 0;
    for (int i = 0; i < 4; ++i) wert |= uint32_t(daten[position + i]) << (8 * i);
    position += 4;
    return true;
  }
  bool Text(std::string& text) {
    uint32_t n = 0;
    if (!Zahl(n)) return false;
    if (laenge - position <= n) return false;  // bytes and the NUL must fit
    if (daten[position + n] != 0) return false;
    text.assign(reinterpret_cast<const char*>(daten + position), n);
    if (text.find('\0') != std::string::npos) return false;
    position += size_t(n) + 1;
    return true;
  }
  bool AmEnde() const { return position == laenge; }

 private:
  const uint8_t* daten;
  size_t laenge;
  size_t position = 0;
};

HRESULT Fehler(std::string& ziel, const char* grund) {
  ziel = grund;
  return D3DERR_INVALIDCALL;
}

}  // namespace

int AttributOrt(uint32_t usage, uint32_t index) {
  int ort = -1;
  if (usage == D3DDECLUSAGE_POSITION) ort = int(index);
  if (usage == D3DDECLUSAGE_TEXCOORD) ort = int(index) + 1;
  return ort >= 0 && ort < int(ShaderCode::MAX_ATTRIBUTE) ? ort : -1;
}

std::vector<DWORD> Kodiere(const ShaderCode& code) {
  Schreiber inhalt;
  inhalt.Text(code.quelle);
  inhalt.Text(code.registerBlock);
  inhalt.Zahl(code.registerBlockBytes);
  inhalt.Zahl(uint32_t(code.sampler.size()));
  for (const ShaderCode::Sampler& s : code.sampler) {
    inhalt.Text(s.name);
    inhalt.Zahl(s.register_);
  }
  inhalt.Zahl(uint32_t(code.eingaben.size()));
  for (const ShaderCode::Eingabe& e : code.eingaben) {
    inhalt.Text(e.name);
    inhalt.Zahl(e.usage);
    inhalt.Zahl(e.index);
  }
  inhalt.Text(code.geraeteBlock);
  while (inhalt.bytes.size() % 4) inhalt.bytes.push_back(0);

  Schreiber kopf;
  kopf.Zahl(ShaderCode::MAGIE);
  kopf.Zahl(ShaderCode::VERSION);
  kopf.Zahl(uint32_t(KOPF_BYTES + inhalt.bytes.size()));
  kopf.Zahl(uint32_t(code.stufe));
  kopf.bytes.insert(kopf.bytes.end(), inhalt.bytes.begin(), inhalt.bytes.end());

  std::vector<DWORD> woerter(kopf.bytes.size() / 4);
  std::memcpy(woerter.data(), kopf.bytes.data(), kopf.bytes.size());
  return woerter;
}

namespace {

HRESULT LiesSampler(Leser& leser, const ShaderCode& code, std::vector<ShaderCode::Sampler>& sampler, std::string& fehler) {
  uint32_t anzahl = 0;
  if (!leser.Zahl(anzahl)) return Fehler(fehler, "sampler count past the end");
  const uint32_t grenze = code.stufe == ShaderStufe::Vertex ? ShaderCode::MAX_VERTEX_SAMPLER : ShaderCode::MAX_PIXEL_SAMPLER;
  if (anzahl > grenze) return Fehler(fehler, "too many samplers");
  for (uint32_t i = 0; i < anzahl; ++i) {
    ShaderCode::Sampler s;
    if (!leser.Text(s.name)) return Fehler(fehler, "sampler name past the end or unterminated");
    if (!leser.Zahl(s.register_)) return Fehler(fehler, "sampler register past the end");
    if (s.register_ >= grenze) return Fehler(fehler, "sampler register out of range");
    sampler.push_back(std::move(s));
  }
  return D3D_OK;
}

HRESULT LiesEingaben(Leser& leser, const ShaderCode& code, std::vector<ShaderCode::Eingabe>& eingaben, std::string& fehler) {
  uint32_t anzahl = 0;
  if (!leser.Zahl(anzahl)) return Fehler(fehler, "input count past the end");
  if (code.stufe == ShaderStufe::Pixel && anzahl != 0) return Fehler(fehler, "pixel shader with vertex inputs");
  if (anzahl > ShaderCode::MAX_ATTRIBUTE) return Fehler(fehler, "too many inputs");
  for (uint32_t i = 0; i < anzahl; ++i) {
    ShaderCode::Eingabe e;
    if (!leser.Text(e.name)) return Fehler(fehler, "input name past the end or unterminated");
    if (!leser.Zahl(e.usage) || !leser.Zahl(e.index)) return Fehler(fehler, "input usage past the end");
    if (e.usage != D3DDECLUSAGE_POSITION && e.usage != D3DDECLUSAGE_TEXCOORD) return Fehler(fehler, "unknown input usage");
    if (AttributOrt(e.usage, e.index) < 0) return Fehler(fehler, "input usage index without a location");
    eingaben.push_back(std::move(e));
  }
  return D3D_OK;
}

}  // namespace

HRESULT Dekodiere(const void* daten, size_t verfuegbar, ShaderStufe erwartet, ShaderCode& code, std::string& fehler) {
  if (daten == nullptr) return Fehler(fehler, "no code");
  const uint8_t* bytes = static_cast<const uint8_t*>(daten);
  if (verfuegbar < KOPF_BYTES) return Fehler(fehler, "shorter than the header");
  Leser kopf(bytes, KOPF_BYTES);
  uint32_t magie = 0, version = 0, laenge = 0, stufe = 0;
  kopf.Zahl(magie);
  kopf.Zahl(version);
  kopf.Zahl(laenge);
  kopf.Zahl(stufe);
  if (magie != ShaderCode::MAGIE) return Fehler(fehler, "bad magic");
  if (version != ShaderCode::VERSION) return Fehler(fehler, "unknown version");
  if (laenge < KOPF_BYTES || laenge > verfuegbar) return Fehler(fehler, "bad total length");
  if (stufe != uint32_t(erwartet)) return Fehler(fehler, "wrong stage");

  ShaderCode neu;
  neu.stufe = erwartet;
  Leser leser(bytes + KOPF_BYTES, laenge - KOPF_BYTES);
  if (!leser.Text(neu.quelle)) return Fehler(fehler, "source past the end or unterminated");
  if (!leser.Text(neu.registerBlock)) return Fehler(fehler, "block name past the end or unterminated");
  if (!leser.Zahl(neu.registerBlockBytes)) return Fehler(fehler, "block size past the end");
  const uint32_t register_ = erwartet == ShaderStufe::Vertex ? ShaderCode::MAX_VERTEX_REGISTER : ShaderCode::MAX_PIXEL_REGISTER;
  if (neu.registerBlockBytes > register_ * 16) return Fehler(fehler, "register block too large");
  if (neu.registerBlock.empty() != (neu.registerBlockBytes == 0)) return Fehler(fehler, "register block name and size disagree");
  HRESULT hr = LiesSampler(leser, neu, neu.sampler, fehler);
  if (FAILED(hr)) return hr;
  hr = LiesEingaben(leser, neu, neu.eingaben, fehler);
  if (FAILED(hr)) return hr;
  if (!leser.Text(neu.geraeteBlock)) return Fehler(fehler, "device block name past the end or unterminated");
  code = std::move(neu);
  return D3D_OK;
}

}  // namespace d3d9
