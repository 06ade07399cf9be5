#include "Plattform/d3dx9/SpirvNachGlsl.h"

#include <spirv_cross/spirv_cross_c.h>

#include <algorithm>
#include <regex>
#include <stdexcept>

namespace d3dx9 {

namespace {

using d3d9::ShaderCode;

// A refusal: the message names the cause.
struct Abgelehnt : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void Pruefe(spvc_result r, spvc_context kontext) {
  if (r != SPVC_SUCCESS) throw Abgelehnt(std::string("SPIR-V translation failed: ") + spvc_context_get_last_error_string(kontext));
}

struct Semantik {
  std::string name;  // without index
  uint32_t index = 0;
};

Semantik ZerlegeSemantik(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  size_t ende = text.size();
  while (ende > 0 && std::isdigit(static_cast<unsigned char>(text[ende - 1]))) --ende;
  Semantik s{text.substr(0, ende), 0};
  if (ende < text.size()) s.index = uint32_t(std::stoul(text.substr(ende, 9)));
  return s;
}

class Uebersetzer {
 public:
  Uebersetzer(spvc_context kontext, spvc_compiler compiler, bool vertex) : k_(kontext), c_(compiler), vertex_(vertex) {}

  void Uebersetze(GlslErgebnis& e) {
    Pruefe(spvc_compiler_create_shader_resources(c_, &res_), k_);
    e.code.stufe = vertex_ ? d3d9::ShaderStufe::Vertex : d3d9::ShaderStufe::Pixel;
    LegeKonstantenAn(e);
    BenenneSampler(e.code);
    BenenneEinUndAusgaben(e.code);
    SetzeOptionen();
    const char* glsl = nullptr;
    Pruefe(spvc_compiler_compile(c_, &glsl), k_);
    e.code.quelle = SchreibeBloecke(glsl, e.code);
    e.ok = true;
  }

 private:
  std::vector<spvc_reflected_resource> Liste(spvc_resource_type typ) const {
    const spvc_reflected_resource* liste = nullptr;
    size_t anzahl = 0;
    Pruefe(spvc_resources_get_resource_list_for_type(res_, typ, &liste, &anzahl), k_);
    return {liste, liste + anzahl};
  }

  // Registers of one value of `typ` (arrays included); sets the layout of nested types.
  uint32_t Register(spvc_type_id typId, bool spirvRowMajor, const std::string& name, Konstante* ziel) {
    spvc_type typ = spvc_compiler_get_type_handle(c_, typId);
    uint32_t elemente = 1;
    for (unsigned d = 0; d < spvc_type_get_num_array_dimensions(typ); ++d) elemente *= spvc_type_get_array_dimension(typ, d);
    uint32_t jeElement = 0;
    D3DXCONSTANT_DESC& desc = ziel->desc;
    desc.RegisterSet = D3DXRS_FLOAT4;
    desc.Type = D3DXPT_FLOAT;
    const spvc_basetype basis = spvc_type_get_basetype(typ);
    if (basis == SPVC_BASETYPE_STRUCT) {
      jeElement = LegeStructAn(typId, ziel);
      desc.Class = D3DXPC_STRUCT;
      desc.Type = D3DXPT_VOID;
      desc.StructMembers = UINT(ziel->glieder.size());
      desc.Rows = desc.Columns = 1;
    } else if (basis != SPVC_BASETYPE_FP32) {
      throw Abgelehnt("constant '" + name + "': int and bool constants are not supported");
    } else {
      const unsigned zeilen = spvc_type_get_vector_size(typ), spalten = spvc_type_get_columns(typ);
      if (spalten > 1) {
        // HLSL floatRxC: R SPIR-V columns of C-vectors; HLSL column_major is SPIR-V RowMajor.
        desc.Rows = spalten;
        desc.Columns = zeilen;
        desc.Class = spirvRowMajor ? D3DXPC_MATRIX_COLUMNS : D3DXPC_MATRIX_ROWS;
        jeElement = spirvRowMajor ? zeilen : spalten;
      } else {
        desc.Rows = 1;
        desc.Columns = zeilen;
        desc.Class = zeilen == 1 ? D3DXPC_SCALAR : D3DXPC_VECTOR;
        jeElement = 1;
      }
    }
    if (spvc_type_get_num_array_dimensions(typ) > 0) spvc_compiler_set_decoration(c_, typId, SpvDecorationArrayStride, 16 * jeElement);
    desc.Elements = elemente;
    desc.RegisterCount = elemente * jeElement;
    desc.Bytes = desc.RegisterCount * 16;
    return desc.RegisterCount;
  }

  uint32_t LegeStructAn(spvc_type_id typId, Konstante* ziel) {
    spvc_type typ = spvc_compiler_get_type_handle(c_, typId);
    // Member layout belongs to the struct type itself (its base type for arrays of structs).
    const spvc_type_id structId = spvc_type_get_base_type_id(typ);
    uint32_t laufend = 0;
    for (unsigned i = 0; i < spvc_type_get_num_member_types(typ); ++i) {
      Konstante glied;
      glied.name = spvc_compiler_get_member_name(c_, structId, i);
      const bool rowMajor = spvc_compiler_has_member_decoration(c_, structId, i, SpvDecorationRowMajor);
      spvc_compiler_set_member_decoration(c_, structId, i, SpvDecorationOffset, 16 * laufend);
      spvc_compiler_set_member_decoration(c_, structId, i, SpvDecorationMatrixStride, 16);
      glied.desc.RegisterIndex = laufend;
      laufend += Register(spvc_type_get_member_type(typ, i), rowMajor, glied.name, &glied);
      ziel->glieder.push_back(std::move(glied));
    }
    return laufend;
  }

  void LegeKonstantenAn(GlslErgebnis& e) {
    const auto bloecke = Liste(SPVC_RESOURCE_TYPE_UNIFORM_BUFFER);
    if (bloecke.empty()) return;
    if (bloecke.size() > 1) throw Abgelehnt("only the global constants are supported (no cbuffer)");
    const spvc_reflected_resource& block = bloecke[0];
    const spvc_buffer_range* bereiche = nullptr;
    size_t anzahl = 0;
    Pruefe(spvc_compiler_get_active_buffer_ranges(c_, block.id, &bereiche, &anzahl), k_);
    std::vector<bool> benutzt(spvc_type_get_num_member_types(spvc_compiler_get_type_handle(c_, block.base_type_id)));
    for (size_t i = 0; i < anzahl; ++i) benutzt.at(bereiche[i].index) = true;
    spvc_type blockTyp = spvc_compiler_get_type_handle(c_, block.base_type_id);
    uint32_t laufend = 0;
    for (unsigned i = 0; i < benutzt.size(); ++i) {
      spvc_compiler_set_member_decoration(c_, block.base_type_id, i, SpvDecorationMatrixStride, 16);
      if (!benutzt[i]) {
        spvc_compiler_set_member_decoration(c_, block.base_type_id, i, SpvDecorationOffset, 0);
        continue;
      }
      Konstante k;
      k.name = spvc_compiler_get_member_name(c_, block.base_type_id, i);
      const bool rowMajor = spvc_compiler_has_member_decoration(c_, block.base_type_id, i, SpvDecorationRowMajor);
      spvc_compiler_set_member_decoration(c_, block.base_type_id, i, SpvDecorationOffset, 16 * laufend);
      k.desc.RegisterIndex = laufend;
      laufend += Register(spvc_type_get_member_type(blockTyp, i), rowMajor, k.name, &k);
      Verankere(k);
      e.konstanten.push_back(std::move(k));
    }
    const uint32_t grenze = vertex_ ? ShaderCode::MAX_VERTEX_REGISTER : ShaderCode::MAX_PIXEL_REGISTER;
    if (laufend > grenze)
      throw Abgelehnt("constants need " + std::to_string(laufend) + " registers, at most " + std::to_string(grenze) + " are available");
    if (laufend == 0) return;
    registerAnzahl_ = laufend;
    spvc_compiler_set_name(c_, block.id, vertex_ ? "zarvo_vc" : "zarvo_pc");
    spvc_compiler_set_name(c_, block.base_type_id, vertex_ ? "zarvo_vc" : "zarvo_pc");
    Pruefe(spvc_compiler_flatten_buffer_block(c_, block.id), k_);
    e.code.registerBlock = vertex_ ? "ZarvoVS" : "ZarvoPS";
    e.code.registerBlockBytes = 16 * laufend;
  }

  void BenenneSampler(ShaderCode& code) {
    const auto sampler = Liste(SPVC_RESOURCE_TYPE_SAMPLED_IMAGE);
    if (!Liste(SPVC_RESOURCE_TYPE_SEPARATE_IMAGE).empty() || !Liste(SPVC_RESOURCE_TYPE_SEPARATE_SAMPLERS).empty())
      throw Abgelehnt("separate textures and sampler states are not supported (use sampler2D, tex2D)");
    const uint32_t grenze = vertex_ ? ShaderCode::MAX_VERTEX_SAMPLER : ShaderCode::MAX_PIXEL_SAMPLER;
    if (sampler.size() > grenze)
      throw Abgelehnt(std::to_string(sampler.size()) + " samplers used, at most " + std::to_string(grenze) + " are available");
    for (size_t i = 0; i < sampler.size(); ++i) {
      const std::string name = (vertex_ ? "vs_" : "") + std::string(sampler[i].name);
      spvc_compiler_set_name(c_, sampler[i].id, name.c_str());
      spvc_compiler_unset_decoration(c_, sampler[i].id, SpvDecorationBinding);
      spvc_compiler_unset_decoration(c_, sampler[i].id, SpvDecorationDescriptorSet);
      code.sampler.push_back({name, uint32_t(i)});
      samplerTypen_.push_back(spvc_type_get_image_dimension(spvc_compiler_get_type_handle(c_, sampler[i].type_id)));
    }
  }

  Semantik SemantikVon(const spvc_reflected_resource& r) const {
    const char* text = spvc_compiler_get_decoration_string(c_, r.id, SpvDecorationUserSemantic);
    if (text == nullptr || *text == '\0') throw Abgelehnt(std::string("'") + r.name + "' has no semantic");
    return ZerlegeSemantik(text);
  }

  void PruefeKeineMatrix(const spvc_reflected_resource& r) const {
    if (spvc_type_get_columns(spvc_compiler_get_type_handle(c_, r.type_id)) > 1)
      throw Abgelehnt(std::string("'") + r.name + "': matrix-typed vertex inputs and varyings are not supported");
  }

  void BenenneVarying(const spvc_reflected_resource& r) {
    PruefeKeineMatrix(r);
    const Semantik s = SemantikVon(r);
    const std::string name = "v_" + s.name + std::to_string(s.index);
    spvc_compiler_set_name(c_, r.id, name.c_str());
    spvc_compiler_unset_decoration(c_, r.id, SpvDecorationLocation);
  }

  void BenenneEingabe(const spvc_reflected_resource& r, ShaderCode& code) {
    PruefeKeineMatrix(r);
    const Semantik s = SemantikVon(r);
    uint32_t usage = 0;
    if (s.name == "POSITION") usage = d3d9::D3DDECLUSAGE_POSITION;
    else if (s.name == "TEXCOORD") usage = d3d9::D3DDECLUSAGE_TEXCOORD;
    else throw Abgelehnt("vertex input '" + std::string(r.name) + "': semantic " + s.name + " is not supported (POSITION or TEXCOORD)");
    const int ort = d3d9::AttributOrt(usage, s.index);
    if (ort < 0 || ort >= int(ShaderCode::MAX_ATTRIBUTE))
      throw Abgelehnt("vertex input '" + std::string(r.name) + "': location " + std::to_string(ort) + " is above 15");
    const std::string name = "a_" + s.name + std::to_string(s.index);
    spvc_compiler_set_name(c_, r.id, name.c_str());
    spvc_compiler_set_decoration(c_, r.id, SpvDecorationLocation, unsigned(ort));
    code.eingaben.push_back({name, usage, s.index});
  }

  void BenenneAusgabe(const spvc_reflected_resource& r) {
    const Semantik s = SemantikVon(r);
    if (s.name != "COLOR" && s.name != "SV_TARGET") throw Abgelehnt("pixel output '" + std::string(r.name) + "': semantic " + s.name + " is not supported");
    const std::string name = "o_COLOR" + std::to_string(s.index);
    spvc_compiler_set_name(c_, r.id, name.c_str());
    spvc_compiler_set_decoration(c_, r.id, SpvDecorationLocation, s.index);
  }

  bool IstPosition(const spvc_reflected_resource& r) const {
    const Semantik s = SemantikVon(r);
    return (s.name == "POSITION" || s.name == "SV_POSITION") && s.index == 0;
  }

  void BenenneEinUndAusgaben(ShaderCode& code) {
    for (const auto& r : Liste(SPVC_RESOURCE_TYPE_STAGE_INPUT)) {
      if (spvc_compiler_has_decoration(c_, r.id, SpvDecorationBuiltIn)) continue;
      if (vertex_) BenenneEingabe(r, code);
      else BenenneVarying(r);
    }
    for (const auto& r : Liste(SPVC_RESOURCE_TYPE_STAGE_OUTPUT)) {
      if (spvc_compiler_has_decoration(c_, r.id, SpvDecorationBuiltIn)) continue;
      if (!vertex_) BenenneAusgabe(r);
      else if (IstPosition(r)) spvc_compiler_set_decoration(c_, r.id, SpvDecorationBuiltIn, SpvBuiltInPosition);
      else BenenneVarying(r);
    }
    if (vertex_) code.geraeteBlock = "ZarvoGeraet";
  }

  void SetzeOptionen() {
    spvc_compiler_options optionen = nullptr;
    Pruefe(spvc_compiler_create_compiler_options(c_, &optionen), k_);
    spvc_compiler_options_set_uint(optionen, SPVC_COMPILER_OPTION_GLSL_VERSION, 330);
    spvc_compiler_options_set_bool(optionen, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
    spvc_compiler_options_set_bool(optionen, SPVC_COMPILER_OPTION_GLSL_ENABLE_420PACK_EXTENSION, SPVC_FALSE);
    spvc_compiler_options_set_bool(optionen, SPVC_COMPILER_OPTION_FIXUP_DEPTH_CONVENTION, SPVC_FALSE);
    spvc_compiler_options_set_bool(optionen, SPVC_COMPILER_OPTION_FLIP_VERTEX_Y, SPVC_FALSE);
    Pruefe(spvc_compiler_install_compiler_options(c_, optionen), k_);
  }

  // The flattened register array becomes the stage's std140 block; vertex shaders get the epilogue.
  std::string SchreibeBloecke(std::string glsl, const ShaderCode& code) const {
    if (!code.registerBlock.empty()) {
      const std::string feld = vertex_ ? "zarvo_vc" : "zarvo_pc";
      const std::regex deklaration("uniform vec4 " + feld + "\\[[0-9]+\\];");
      const std::string block = "layout(std140) uniform " + code.registerBlock + " { vec4 " + feld + "[" + std::to_string(registerAnzahl_) + "]; };";
      if (!std::regex_search(glsl, deklaration)) throw Abgelehnt("register array not found in the generated GLSL");
      glsl = std::regex_replace(glsl, deklaration, block, std::regex_constants::format_first_only);
    }
    if (vertex_) {
      const std::regex einstieg("void main\\(\\)");
      if (!std::regex_search(glsl, einstieg)) throw Abgelehnt("entry point not found in the generated GLSL");
      glsl = std::regex_replace(glsl, einstieg, "void zarvo_main()");
      glsl += "\nlayout(std140) uniform ZarvoGeraet { vec4 zarvo_geraet; };\n"
              "\nvoid main()\n{\n    zarvo_main();\n    gl_Position.xy += zarvo_geraet.xy * gl_Position.w;\n}\n";
    }
    return glsl;
  }

  spvc_context k_;
  spvc_compiler c_;
  bool vertex_;
  spvc_resources res_ = nullptr;
  uint32_t registerAnzahl_ = 0;

 public:
  std::vector<SpvDim> samplerTypen_;
};

D3DXPARAMETER_TYPE SamplerTyp(SpvDim dim) {
  if (dim == SpvDimCube) return D3DXPT_SAMPLERCUBE;
  if (dim == SpvDim3D) return D3DXPT_SAMPLER3D;
  return D3DXPT_SAMPLER2D;
}

void TrageSamplerEin(GlslErgebnis& e, const std::vector<SpvDim>& typen, bool vertex) {
  for (size_t i = 0; i < e.code.sampler.size(); ++i) {
    Konstante k;
    k.name = e.code.sampler[i].name.substr(vertex ? 3 : 0);
    k.desc.RegisterSet = D3DXRS_SAMPLER;
    k.desc.RegisterIndex = e.code.sampler[i].register_;
    k.desc.RegisterCount = 1;
    k.desc.Class = D3DXPC_OBJECT;
    k.desc.Type = SamplerTyp(typen[i]);
    k.desc.Rows = k.desc.Columns = k.desc.Elements = 1;
    k.desc.Bytes = 4;
    e.konstanten.push_back(std::move(k));
  }
}

}  // namespace

GlslErgebnis SpirvNachGlsl(const std::vector<unsigned>& spirv, bool vertex) {
  GlslErgebnis e;
  spvc_context kontext = nullptr;
  if (spvc_context_create(&kontext) != SPVC_SUCCESS) {
    e.meldungen = "error: SPIRV-Cross context not available\n";
    return e;
  }
  try {
    spvc_parsed_ir ir = nullptr;
    Pruefe(spvc_context_parse_spirv(kontext, spirv.data(), spirv.size(), &ir), kontext);
    spvc_compiler compiler = nullptr;
    Pruefe(spvc_context_create_compiler(kontext, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP, &compiler), kontext);
    Uebersetzer uebersetzer(kontext, compiler, vertex);
    uebersetzer.Uebersetze(e);
    TrageSamplerEin(e, uebersetzer.samplerTypen_, vertex);
  } catch (const Abgelehnt& a) {
    e.ok = false;
    e.meldungen += std::string("error: ") + a.what() + "\n";
  }
  spvc_context_destroy(kontext);
  return e;
}

}  // namespace d3dx9
