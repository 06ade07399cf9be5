// One real call into every library the project links, so that a missing or broken dependency
// fails here and now rather than in the part that first needs it.
#include <gtest/gtest.h>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <AL/alc.h>
#include <AL/alext.h>
#include <epoxy/gl.h>  // before GLFW, which would pull in GL/gl.h
#include <GLFW/glfw3.h>
#include <boost/context/continuation.hpp>
#include <concurrentqueue/concurrentqueue.h>
#include <elfutils/libdwfl.h>
#include <fmt/format.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <glslang/Public/ResourceLimits.h>
#include <glslang/Public/ShaderLang.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <libunwind.h>
#include <png.h>
#include <spirv_cross/spirv_cross_c.h>
#include <squish.h>
#include <stb_image.h>
#include <tinyxml.h>
#include <unistd.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// --- Ogg Vorbis ---------------------------------------------------------------------------------

struct SpeicherQuelle {
  const std::vector<unsigned char>* daten;
  size_t position = 0;
};

size_t LiesAusSpeicher(void* ziel, size_t groesse, size_t anzahl, void* quelle) {
  auto* q = static_cast<SpeicherQuelle*>(quelle);
  size_t bytes = std::min(groesse * anzahl, q->daten->size() - q->position);
  std::memcpy(ziel, q->daten->data() + q->position, bytes);
  q->position += bytes;
  return groesse ? bytes / groesse : 0;
}

TEST(Abhaengigkeiten, VorbisfileLehntNichtOggDatenAb) {
  std::vector<unsigned char> daten(16384);
  for (size_t i = 0; i < daten.size(); ++i) daten[i] = static_cast<unsigned char>("keine Ogg-Datei "[i % 16]);
  SpeicherQuelle quelle{&daten};
  ov_callbacks rueckrufe{LiesAusSpeicher, nullptr, nullptr, nullptr};
  OggVorbis_File datei;
  EXPECT_EQ(ov_open_callbacks(&quelle, &datei, nullptr, 0, rueckrufe), OV_ENOTVORBIS);
  EXPECT_GT(quelle.position, 0u);
}

TEST(Abhaengigkeiten, VorbisencRichtetKodiererEin) {
  vorbis_info info;
  vorbis_info_init(&info);
  EXPECT_EQ(vorbis_encode_init_vbr(&info, 2, 44100, 0.4f), 0);
  EXPECT_EQ(info.channels, 2);
  vorbis_info_clear(&info);
}

// --- OpenAL Soft ---------------------------------------------------------------------------------

TEST(Abhaengigkeiten, OpenAlLoopbackRendertStille) {
  ASSERT_TRUE(alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback"));
  auto oeffne = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
  auto rendere = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
  ASSERT_NE(oeffne, nullptr);
  ASSERT_NE(rendere, nullptr);

  ALCdevice* geraet = oeffne(nullptr);
  ASSERT_NE(geraet, nullptr);
  const ALCint attribute[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                              ALC_FREQUENCY, 44100, 0};
  ALCcontext* kontext = alcCreateContext(geraet, attribute);
  ASSERT_NE(kontext, nullptr);
  ASSERT_TRUE(alcMakeContextCurrent(kontext));

  // Float output is not dithered: with no source playing, every sample is exactly zero.
  std::vector<float> proben(2 * 256, 0.5f);
  rendere(geraet, proben.data(), 256);
  EXPECT_TRUE(std::all_of(proben.begin(), proben.end(), [](float p) { return p == 0.0f; }));
  EXPECT_EQ(alcGetError(geraet), ALC_NO_ERROR);

  alcMakeContextCurrent(nullptr);
  alcDestroyContext(kontext);
  EXPECT_TRUE(alcCloseDevice(geraet));
}

// --- Boost.Context -------------------------------------------------------------------------------

TEST(Abhaengigkeiten, BoostContextSpringtHinUndZurueck) {
  namespace ctx = boost::context;
  std::vector<int> schritte;
  ctx::continuation faser = ctx::callcc([&schritte](ctx::continuation&& aufrufer) {
    schritte.push_back(1);
    aufrufer = aufrufer.resume();
    schritte.push_back(3);
    return std::move(aufrufer);
  });
  schritte.push_back(2);
  ASSERT_TRUE(faser);
  faser = faser.resume();
  EXPECT_FALSE(faser);
  EXPECT_EQ(schritte, (std::vector<int>{1, 2, 3}));
}

// --- glslang and SPIRV-Cross ---------------------------------------------------------------------

// A pixel shader in shader model 3 style, through glslang's HLSL front end to SPIR-V.
std::vector<unsigned int> UebersetzeHlsl(std::string& protokoll) {
  const char* quelltext =
      "sampler2D bild : register(s0);\n"
      "float4 faktor : register(c0);\n"
      "float4 main(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(bild, uv) * faktor; }\n";
  const EShMessages meldungen = EShMessages(EShMsgSpvRules | EShMsgVulkanRules | EShMsgReadHlsl |
                                            EShMsgHlslDX9Compatible | EShMsgHlslOffsets);
  std::vector<unsigned int> spirv;
  glslang::TShader shader(EShLangFragment);
  shader.setStrings(&quelltext, 1);
  shader.setEnvInput(glslang::EShSourceHlsl, EShLangFragment, glslang::EShClientVulkan, 100);
  shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
  shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
  shader.setEntryPoint("main");
  shader.setEnvTargetHlslFunctionality1();
  if (!shader.parse(GetDefaultResources(), 100, false, meldungen)) {
    protokoll = shader.getInfoLog();
    return spirv;
  }
  glslang::TProgram programm;
  programm.addShader(&shader);
  if (!programm.link(meldungen)) {
    protokoll = programm.getInfoLog();
    return spirv;
  }
  glslang::GlslangToSpv(*programm.getIntermediate(EShLangFragment), spirv);
  return spirv;
}

class Shaderuebersetzung : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(glslang::InitializeProcess()); }
  static void TearDownTestSuite() { glslang::FinalizeProcess(); }
};

TEST_F(Shaderuebersetzung, GlslangUebersetztHlslNachSpirv) {
  std::string protokoll;
  std::vector<unsigned int> spirv = UebersetzeHlsl(protokoll);
  ASSERT_GT(spirv.size(), 5u) << protokoll;
  EXPECT_EQ(spirv[0], 0x07230203u);  // the SPIR-V magic number
}

TEST_F(Shaderuebersetzung, SpirvCrossSchreibtGlsl330) {
  std::string protokoll;
  std::vector<unsigned int> spirv = UebersetzeHlsl(protokoll);
  ASSERT_FALSE(spirv.empty()) << protokoll;

  spvc_context kontext = nullptr;
  ASSERT_EQ(spvc_context_create(&kontext), SPVC_SUCCESS);
  spvc_parsed_ir ir = nullptr;
  spvc_compiler compiler = nullptr;
  spvc_compiler_options optionen = nullptr;
  const char* glsl = nullptr;
  EXPECT_EQ(spvc_context_parse_spirv(kontext, spirv.data(), spirv.size(), &ir), SPVC_SUCCESS);
  EXPECT_EQ(spvc_context_create_compiler(kontext, SPVC_BACKEND_GLSL, ir, SPVC_CAPTURE_MODE_TAKE_OWNERSHIP, &compiler),
            SPVC_SUCCESS);
  EXPECT_EQ(spvc_compiler_create_compiler_options(compiler, &optionen), SPVC_SUCCESS);
  spvc_compiler_options_set_uint(optionen, SPVC_COMPILER_OPTION_GLSL_VERSION, 330);
  spvc_compiler_options_set_bool(optionen, SPVC_COMPILER_OPTION_GLSL_ES, SPVC_FALSE);
  spvc_compiler_install_compiler_options(compiler, optionen);
  ASSERT_EQ(spvc_compiler_compile(compiler, &glsl), SPVC_SUCCESS) << spvc_context_get_last_error_string(kontext);
  std::string text(glsl);
  EXPECT_EQ(text.rfind("#version 330", 0), 0u) << text;
  EXPECT_NE(text.find("texture("), std::string::npos) << text;
  spvc_context_destroy(kontext);
}

// --- Files and data ------------------------------------------------------------------------------

TEST(Abhaengigkeiten, TinyXmlLiestUtf8Attribute) {
  TiXmlDocument dokument;
  dokument.Parse("<?xml version=\"1.0\" ?><config><var name=\"sprache\" wert=\"Grüße\" /></config>", nullptr,
                 TIXML_ENCODING_UTF8);
  ASSERT_FALSE(dokument.Error()) << dokument.ErrorDesc();
  const TiXmlElement* var = dokument.RootElement()->FirstChildElement("var");
  ASSERT_NE(var, nullptr);
  EXPECT_STREQ(var->Attribute("wert"), "Grüße");
}

TEST(Abhaengigkeiten, FreeTypeRendertDejaVuSansBold) {
  FT_Library bibliothek = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&bibliothek), 0);
  FT_Face schrift = nullptr;
  ASSERT_EQ(FT_New_Face(bibliothek, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 0, &schrift), 0);
  EXPECT_STREQ(schrift->family_name, "DejaVu Sans");
  EXPECT_STREQ(schrift->style_name, "Bold");
  ASSERT_EQ(FT_Set_Pixel_Sizes(schrift, 0, 32), 0);
  ASSERT_EQ(FT_Load_Char(schrift, 'M', FT_LOAD_RENDER), 0);
  EXPECT_GT(schrift->glyph->bitmap.width, 10u);
  EXPECT_GT(schrift->glyph->bitmap.rows, 10u);
  FT_Done_Face(schrift);
  FT_Done_FreeType(bibliothek);
}

TEST(Abhaengigkeiten, ZlibPacktUndEntpackt) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "Morvelunt ";
  std::vector<Bytef> gepackt(compressBound(uLong(text.size())));
  uLongf gepacktLaenge = uLongf(gepackt.size());
  ASSERT_EQ(compress2(gepackt.data(), &gepacktLaenge, reinterpret_cast<const Bytef*>(text.data()), uLong(text.size()),
                      Z_BEST_COMPRESSION),
            Z_OK);
  EXPECT_LT(gepacktLaenge, text.size() / 10);
  std::string entpackt(text.size(), '\0');
  uLongf entpacktLaenge = uLongf(entpackt.size());
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(entpackt.data()), &entpacktLaenge, gepackt.data(), gepacktLaenge), Z_OK);
  EXPECT_EQ(entpackt, text);
}

// A 2x2 RGBA image as PNG, written by libpng into memory.
void SchreibeInVektor(png_structp png, png_bytep daten, png_size_t laenge) {
  auto* ziel = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  ziel->insert(ziel->end(), daten, daten + laenge);
}

std::vector<unsigned char> SchreibePng(const unsigned char (&pixel)[2][8]) {
  std::vector<unsigned char> datei;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &datei, SchreibeInVektor, nullptr);
  png_set_IHDR(png, info, 2, 2, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_bytep zeilen[2] = {const_cast<png_bytep>(pixel[0]), const_cast<png_bytep>(pixel[1])};
  png_set_rows(png, info, zeilen);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return datei;
}

TEST(Abhaengigkeiten, LibpngUndStbImageLesenDasselbeBild) {
  EXPECT_EQ(png_access_version_number(), png_uint_32(PNG_LIBPNG_VER));
  const unsigned char pixel[2][8] = {{255, 0, 0, 255, 0, 255, 0, 128}, {0, 0, 255, 0, 10, 20, 30, 40}};
  std::vector<unsigned char> datei = SchreibePng(pixel);
  ASSERT_GT(datei.size(), 8u);

  int breite = 0, hoehe = 0, kanaele = 0;
  unsigned char* bild = stbi_load_from_memory(datei.data(), int(datei.size()), &breite, &hoehe, &kanaele, 4);
  ASSERT_NE(bild, nullptr) << stbi_failure_reason();
  EXPECT_EQ(breite, 2);
  EXPECT_EQ(hoehe, 2);
  EXPECT_EQ(kanaele, 4);
  EXPECT_EQ(std::memcmp(bild, pixel, sizeof(pixel)), 0);
  stbi_image_free(bild);
}

TEST(Abhaengigkeiten, SquishKomprimiertEinenBlock) {
  unsigned char rgba[16 * 4];
  for (int i = 0; i < 16; ++i) {
    rgba[4 * i + 0] = 255;
    rgba[4 * i + 1] = 0;
    rgba[4 * i + 2] = 0;
    rgba[4 * i + 3] = 255;
  }
  unsigned char block[8] = {};
  squish::Compress(rgba, block, squish::kDxt1);
  EXPECT_EQ(squish::GetStorageRequirements(4, 4, squish::kDxt1), 8);
  unsigned char zurueck[16 * 4] = {};
  squish::Decompress(zurueck, block, squish::kDxt1);
  EXPECT_EQ(std::memcmp(zurueck, rgba, sizeof(rgba)), 0);
}

// --- Threads, formatting -------------------------------------------------------------------------

TEST(Abhaengigkeiten, ConcurrentQueueUebergibtZwischenFaeden) {
  moodycamel::ConcurrentQueue<std::string> schlange;
  std::thread erzeuger([&schlange] {
    for (int i = 0; i < 100; ++i) schlange.enqueue("Zeile " + std::to_string(i));
  });
  erzeuger.join();
  std::string zeile;
  int anzahl = 0;
  while (schlange.try_dequeue(zeile)) EXPECT_EQ(zeile, "Zeile " + std::to_string(anzahl++));
  EXPECT_EQ(anzahl, 100);
}

TEST(Abhaengigkeiten, FmtFormatiert) {
  EXPECT_EQ(fmt::format("{}", 0.1f), "0.1");
  EXPECT_EQ(fmt::format("{:>5}|{}", 42, "ja"), "   42|ja");
}

// --- Crash reports -------------------------------------------------------------------------------

TEST(Abhaengigkeiten, LibunwindLiestDenStapel) {
  void* rahmen[32] = {};
  int tiefe = unw_backtrace(rahmen, 32);
  EXPECT_GT(tiefe, 2);
  EXPECT_NE(rahmen[0], nullptr);
}

TEST(Abhaengigkeiten, LibdwFindetDateiUndZeile) {
  Dwfl_Callbacks rueckrufe{};
  char* suchpfad = nullptr;
  rueckrufe.find_elf = dwfl_linux_proc_find_elf;
  rueckrufe.find_debuginfo = dwfl_standard_find_debuginfo;
  rueckrufe.debuginfo_path = &suchpfad;
  Dwfl* dwfl = dwfl_begin(&rueckrufe);
  ASSERT_NE(dwfl, nullptr);
  EXPECT_EQ(dwfl_linux_proc_report(dwfl, getpid()), 0);
  EXPECT_EQ(dwfl_report_end(dwfl, nullptr, nullptr), 0);

  const Dwarf_Addr adresse = reinterpret_cast<Dwarf_Addr>(&SchreibePng);
  Dwfl_Module* modul = dwfl_addrmodule(dwfl, adresse);
  ASSERT_NE(modul, nullptr) << dwfl_errmsg(-1);
  Dwfl_Line* zeile = dwfl_module_getsrc(modul, adresse);
  ASSERT_NE(zeile, nullptr) << dwfl_errmsg(-1);
  int nummer = 0;
  const char* datei = dwfl_lineinfo(zeile, nullptr, &nummer, nullptr, nullptr, nullptr);
  ASSERT_NE(datei, nullptr);
  EXPECT_NE(std::string(datei).find("Abhaengigkeiten_test.cpp"), std::string::npos) << datei;
  EXPECT_GT(nummer, 0);
  dwfl_end(dwfl);
}

// --- Window and OpenGL (no display needed) -------------------------------------------------------

TEST(Abhaengigkeiten, GlfwUndEpoxyOhneAnzeige) {
  int haupt = 0, neben = 0, revision = 0;
  glfwGetVersion(&haupt, &neben, &revision);
  EXPECT_EQ(haupt, 3);
  EXPECT_GE(neben, 3);
  EXPECT_EQ(std::string(glfwGetVersionString()).rfind(std::to_string(haupt) + "." + std::to_string(neben), 0), 0u);
  EXPECT_TRUE(epoxy_extension_in_string("GL_ARB_texture_swizzle GL_KHR_debug", "GL_KHR_debug"));
  EXPECT_FALSE(epoxy_extension_in_string("GL_ARB_texture_swizzle GL_KHR_debug", "GL_KHR"));
}

}  // namespace
