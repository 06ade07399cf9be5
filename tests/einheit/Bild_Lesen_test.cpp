// PNG reader and writer, DDS and JPEG readers, dispatch by the first bytes, loads on threads.
#include <gtest/gtest.h>
#include <png.h>
#include <stb_image.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <string>
#include <thread>
#include <vector>

#include "TBereich.h"
#include "TSpeicher.h"
#include "Zarvo_Bild.h"
#include "bild/logmitschnitt.h"
#include "bild/testbilder.h"

using namespace testbilder;

namespace {

uint32_t Pixel(const Zarvo_Bild& bild, uint64_t x, uint64_t y) {
  uint32_t wert;
  std::memcpy(&wert, bild.Pixel() + y * bild.Zeilenbytes() + 4 * x, 4);
  return wert;
}

// Compares an A8R8G8B8 image with RGB or RGBA bytes.
::testing::AssertionResult GleichePixel(const Zarvo_Bild& bild, uint32_t w, uint32_t h, int kanaele, const Bytes& rgb) {
  if (bild.Format() != PXFMT_A8R8G8B8 || bild.Breite() != w || bild.Hoehe() != h || bild.MipAnzahl() != 1)
    return ::testing::AssertionFailure() << "Form " << bild.Breite() << "x" << bild.Hoehe() << " " << bild.Format();
  for (uint32_t y = 0; y < h; ++y) {
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t* p = &rgb[(size_t(y) * w + x) * kanaele];
      const uint32_t soll = (kanaele == 4 ? uint32_t(p[3]) << 24 : 0xFF000000u) | uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
      if (Pixel(bild, x, y) != soll)
        return ::testing::AssertionFailure() << "Pixel " << x << "," << y << ": " << std::hex << Pixel(bild, x, y)
                                             << " statt " << soll;
    }
  }
  return ::testing::AssertionSuccess();
}

// Loads from an exactly sized heap copy, so that ASan sees any read past the end.
bool Lade(Zarvo_Bild& bild, const Bytes& datei) {
  const std::unique_ptr<uint8_t[]> kopie(new uint8_t[datei.size() + 1]);
  if (!datei.empty()) std::memcpy(kopie.get(), datei.data(), datei.size());
  return bild.LadeBildAusDatei(std::span<const uint8_t>(kopie.get(), datei.size()));
}

Bytes Angehaengt(Bytes datei, const Bytes& rest) {
  datei.insert(datei.end(), rest.begin(), rest.end());
  return datei;
}

std::filesystem::path TempPfad(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("morvelunt_bild_" + std::to_string(::getpid()) + "_" + name);
}

}  // namespace

TEST(LadePNG, LaedtPixelgenau) {
  struct Fall {
    std::string name;
    uint32_t w, h;
    int kanaele;
    Bytes datei;
  };
  std::vector<Fall> faelle;
  for (int kanaele : {3, 4}) {
    const int farbtyp = kanaele == 4 ? 6 : 2;
    for (int filter = -1; filter <= 4; ++filter)
      faelle.push_back({"filter " + std::to_string(filter) + " kanaele " + std::to_string(kanaele), 13, 7, kanaele,
                        SchreibePng({13, 7, farbtyp, 8, false, filter, 6}, FotoPixel(13, 7, kanaele, 3))});
    faelle.push_back({"1x1", 1, 1, kanaele, SchreibePng({1, 1, farbtyp}, FotoPixel(1, 1, kanaele))});
    faelle.push_back({"stb", 9, 4, kanaele, SchreibePngStb(9, 4, kanaele, FotoPixel(9, 4, kanaele, 5))});
  }
  const Bytes rgba = FotoPixel(31, 17, 4, 7);
  const Bytes basis = SchreibePng({31, 17, 6, 8, false, -1, 9}, rgba);
  faelle.push_back({"IDAT in drei Teilen mit tEXt", 31, 17, 4, TeileIdat(basis, 3, "tEXt")});
  faelle.push_back({"Bytes nach IEND", 31, 17, 4, Angehaengt(basis, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13})});
  for (const Fall& f : faelle) {
    Zarvo_Bild bild;
    ASSERT_TRUE(Lade(bild, f.datei)) << f.name;
    const Bytes soll = f.name == "1x1" ? FotoPixel(1, 1, f.kanaele)
                       : f.name == "stb" ? FotoPixel(9, 4, f.kanaele, 5)
                       : f.w == 31       ? rgba
                                         : FotoPixel(13, 7, f.kanaele, 3);
    EXPECT_TRUE(GleichePixel(bild, f.w, f.h, f.kanaele, soll)) << f.name;
  }
}

TEST(LadePNG, Ablehnungen) {
  LogMitschnitt log;
  const Bytes rgb = FotoPixel(5, 3, 3);
  const Bytes gut = SchreibePng({5, 3, 2}, rgb);
  Bytes falscheKennung = gut;
  falscheKennung[1] = 'Q';
  Bytes scanlines = Scanlines(gut);
  const std::string merkmale = "!Zarvo_Bild::LadePNG(): PNG-Datei enthält nicht unterstützte Merkmale.";
  const std::string kopf = "!Zarvo_Bild::LadePNG(): PNG-Header ist ungültig.";
  const std::string groesse = "!Zarvo_Bild::LadePNG():\n  Picture data doesn't fit picture size.";
  Bytes ihdr14 = IhdrDaten(5, 3, 8, 2);
  ihdr14.push_back(0);
  struct Fall {
    std::string name;
    Bytes datei;
    std::string meldung;
  };
  const Fall faelle[] = {
      {"Kennung", falscheKennung, "!Zarvo_Bild::LadePNG(): Datei ist kein PNG-Bild."},
      {"IHDR 14 Bytes", BauePng({{"IHDR", ihdr14}, {"IEND", {}}}), kopf},
      {"erst tEXt", BauePng({{"tEXt", IhdrDaten(5, 3, 8, 2)}, {"IEND", {}}}), kopf},
      {"nur Kennung und Laenge", Bytes(gut.begin(), gut.begin() + 20), kopf},
      {"Palette", SchreibePng({5, 3, 3}, FotoPixel(5, 3, 1)), merkmale},
      {"grau", SchreibePng({5, 3, 0}, FotoPixel(5, 3, 1)), merkmale},
      {"grau mit Alpha", SchreibePng({5, 3, 4}, FotoPixel(5, 3, 2)), merkmale},
      {"16 Bit", SchreibePng({5, 3, 2, 16}, FotoPixel(10, 3, 3)), merkmale},
      {"Zeilensprung", SchreibePng({5, 3, 2, 8, true}, rgb), merkmale},
      {"Breite 0", BauePng({{"IHDR", IhdrDaten(0, 3, 8, 2)}, {"IEND", {}}}), merkmale},
      {"zu breit", BauePng({{"IHDR", IhdrDaten(16385, 1, 8, 2)}, {"IEND", {}}}), merkmale},
      {"Filter 5", SetzeFilterByte(gut, 2, 5), "!Zarvo_Bild::LadePNG():\n  Unknown filter type 5.\n"},
      {"zu kurz", PngAusScanlines(5, 3, 2, Bytes(scanlines.begin(), scanlines.end() - 1)), groesse},
      {"zu lang", PngAusScanlines(5, 3, 2, Angehaengt(scanlines, {0})), groesse},
      {"abgeschnitten", Bytes(gut.begin(), gut.begin() + 45), groesse},
  };
  for (const Fall& f : faelle) {
    log.Leere();
    Zarvo_Bild bild;
    EXPECT_FALSE(bild.LadePNG(std::span<const uint8_t>(f.datei))) << f.name;
    EXPECT_TRUE(log.Enthaelt(f.meldung)) << f.name << ":\n" << log.Alles();
  }
}

TEST(LadePNG, BombeUndPraefixe) {
  LogMitschnitt log;
  const Bytes bombe = PngAusScanlines(1, 1, 2, Bytes(8 << 20, 0), 9);
  Zarvo_Bild bild;
  EXPECT_FALSE(Lade(bild, bombe));
  EXPECT_TRUE(log.Enthaelt("Picture data doesn't fit picture size."));

  const Bytes rgba = FotoPixel(6, 5, 4, 11);
  const Bytes datei = SchreibePng({6, 5, 6, 8, false, -1, 6}, rgba);
  size_t geladen = 0;
  for (size_t laenge = 0; laenge < datei.size(); ++laenge) {
    Zarvo_Bild teil;
    if (Lade(teil, Bytes(datei.begin(), datei.begin() + laenge))) {
      EXPECT_TRUE(GleichePixel(teil, 6, 5, 4, rgba)) << laenge;
      ++geladen;
    }
  }
  // Only prefixes that lose nothing but the trailing IDAT CRC and IEND load.
  EXPECT_EQ(geladen, 16u);
}

TEST(LadePNG, FehlerVorDemKopfLaesstBildStehen) {
  LogMitschnitt log;
  Zarvo_Bild bild(3, 2, PXFMT_A8, 1);
  std::memset(bild.Pixel(), 0x42, 6);
  for (const Bytes& datei : {Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0B},
                             SchreibePng({5, 3, 0}, FotoPixel(5, 3, 1))}) {
    EXPECT_FALSE(Lade(bild, datei));
    EXPECT_EQ(bild.Format(), PXFMT_A8);
    EXPECT_EQ(bild.Breite(), 3u);
    EXPECT_EQ(bild.Pixel()[5], 0x42);
  }
  // A mip level refuses the resize, so the load fails.
  Zarvo_Bild kette(8, 8, PXFMT_A8R8G8B8, 2);
  EXPECT_FALSE(kette.HoleMipStufe(1)->LadeBildAusDatei(std::span<const uint8_t>(SchreibePng({5, 3, 2}, FotoPixel(5, 3, 3)))));
  EXPECT_EQ(kette.HoleMipStufe(1)->Breite(), 4u);
}

TEST(SpeicherePNG, AndereDecoderLesenEsGleich) {
  const uint32_t w = 37, h = 23;
  const Bytes rgba = FotoPixel(w, h, 4, 9);
  Zarvo_Bild bild;
  ASSERT_TRUE(Lade(bild, SchreibePng({w, h, 6}, rgba)));
  TSpeicher datei;
  ASSERT_TRUE(bild.KodierePNG(datei, 0));
  const Bytes png(datei.Daten(), datei.Daten() + datei.Groesse());
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(png[24], 8);  // bit depth
  EXPECT_EQ(png[25], 2);  // colour type RGB

  png_image bildLibpng{};
  bildLibpng.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&bildLibpng, png.data(), png.size()));
  EXPECT_EQ(bildLibpng.format & PNG_FORMAT_FLAG_ALPHA, 0u);
  bildLibpng.format = PNG_FORMAT_RGB;
  Bytes ausLibpng(PNG_IMAGE_SIZE(bildLibpng));
  ASSERT_TRUE(png_image_finish_read(&bildLibpng, nullptr, ausLibpng.data(), 0, nullptr)) << bildLibpng.message;
  int sw = 0, sh = 0, sk = 0;
  stbi_uc* ausStb = stbi_load_from_memory(png.data(), int(png.size()), &sw, &sh, &sk, 0);
  ASSERT_NE(ausStb, nullptr);
  EXPECT_EQ(sk, 3);
  const Bytes stb(ausStb, ausStb + size_t(w) * h * 3);
  stbi_image_free(ausStb);
  Bytes rgb;
  for (size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
  EXPECT_EQ(ausLibpng, rgb);
  EXPECT_EQ(stb, rgb);
}

TEST(SpeicherePNG, ZeileOhneAlphaUndAndereFormate) {
  Zarvo_Bild zwei(2, 1, PXFMT_A8R8G8B8, 1);
  const uint32_t pixel[2] = {0x11223344, 0x55667788};
  std::memcpy(zwei.Pixel(), pixel, 8);
  TSpeicher datei;
  ASSERT_TRUE(zwei.KodierePNG(datei, 0));
  EXPECT_EQ(Scanlines(Bytes(datei.Daten(), datei.Daten() + datei.Groesse())),
            (Bytes{0, 0x22, 0x33, 0x44, 0x66, 0x77, 0x88}));

  Zarvo_Bild grau(3, 1, PXFMT_A8, 1);
  const uint8_t werte[3] = {0, 128, 255};
  std::memcpy(grau.Pixel(), werte, 3);
  datei.Leere();
  ASSERT_TRUE(grau.KodierePNG(datei, 0));
  EXPECT_EQ(Scanlines(Bytes(datei.Daten(), datei.Daten() + datei.Groesse())), (Bytes{0, 0, 0, 0, 128, 0, 0, 255, 0, 0}));
}

TEST(SpeicherePNG, DateiRundreiseUndFehler) {
  LogMitschnitt log;
  std::mt19937 zufall(5);
  Zarvo_Bild rauschen(1920, 1080, PXFMT_A8R8G8B8, 1);
  for (uint64_t i = 0; i < 1920 * 1080 * 4; ++i) rauschen.Pixel()[i] = uint8_t(zufall());
  const auto pfad = TempPfad("rauschen.png");
  ASSERT_TRUE(rauschen.SpeicherePNG(pfad, 0));
  Zarvo_Bild geladen;
  ASSERT_TRUE(geladen.LadeBildAusDatei(pfad));
  std::filesystem::remove(pfad);
  ASSERT_EQ(geladen.Breite(), 1920u);
  ASSERT_EQ(geladen.Hoehe(), 1080u);
  for (uint64_t y = 0; y < 1080; y += 7)
    for (uint64_t x = 0; x < 1920; x += 13) ASSERT_EQ(Pixel(geladen, x, y), Pixel(rauschen, x, y) | 0xFF000000u);

  const auto ungueltig = std::filesystem::path("/nicht/vorhanden/bild.png");
  EXPECT_FALSE(rauschen.SpeicherePNG(ungueltig, 0));
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Bild::SpeicherePNG( \"/nicht/vorhanden/bild.png\"): Datei konnte nicht geschrieben "
                           "werden."));
  EXPECT_FALSE(std::filesystem::exists(ungueltig));
  const auto leerPfad = TempPfad("leer.png");
  EXPECT_FALSE(Zarvo_Bild().SpeicherePNG(leerPfad, 0));
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Bild::SpeicherePNG( \"" + leerPfad.string() + "\"): Bild ist leer."));
  EXPECT_FALSE(std::filesystem::exists(leerPfad));
}

// A file that is there but cannot be opened for writing is kept: the executable of a running
// program refuses writers (ETXTBSY), even to root.
TEST(SpeicherePNG, VorhandeneDateiBleibtWennSieNichtGeoeffnetWird) {
  LogMitschnitt log;
  const auto belegt = TempPfad("belegt.png");
  std::filesystem::copy_file("/bin/sleep", belegt, std::filesystem::copy_options::overwrite_existing);
  const auto groesse = std::filesystem::file_size(belegt);
  pid_t kind = 0;
  char* argumente[] = {const_cast<char*>("sleep"), const_cast<char*>("30"), nullptr};
  ASSERT_EQ(posix_spawn(&kind, belegt.c_str(), nullptr, nullptr, argumente, environ), 0);
  const int probe = ::open(belegt.c_str(), O_WRONLY);
  const bool besetzt = probe < 0 && errno == ETXTBSY;
  if (probe >= 0) ::close(probe);
  if (besetzt) {
    Zarvo_Bild bild(4, 4, PXFMT_A8R8G8B8, 1);
    EXPECT_FALSE(bild.SpeicherePNG(belegt, 0));
    EXPECT_TRUE(log.Enthaelt("Datei konnte nicht geschrieben werden."));
    std::error_code fehler;
    EXPECT_EQ(std::filesystem::file_size(belegt, fehler), groesse) << fehler.message();
  }
  ::kill(kind, SIGKILL);
  ::waitpid(kind, nullptr, 0);
  std::filesystem::remove(belegt);
  if (!besetzt) GTEST_SKIP() << "this kernel lets a running executable be opened for writing";
}

TEST(SpeicherePNG, Crc32) {
  EXPECT_EQ(BerechneCRC32("IEND", 4), 0xAE426082u);
  EXPECT_EQ(BerechneCRC32("IEND", 0), 0u);
  EXPECT_EQ(BerechneCRC32("123456789", 9), 0xCBF43926u);
}

namespace {

DdsKopf FourCCKopf(const char (&code)[5], uint32_t w, uint32_t h) {
  DdsKopf k;
  k.breite = w;
  k.hoehe = h;
  k.pfFlags = 4;
  k.fourCC = FourCC(code);
  return k;
}

DdsKopf MaskenKopf(uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a, uint32_t w = 2, uint32_t h = 2) {
  DdsKopf k;
  k.breite = w;
  k.hoehe = h;
  k.pfFlags = 0x40;
  k.bitAnzahl = bits;
  k.masken[0] = r;
  k.masken[1] = g;
  k.masken[2] = b;
  k.masken[3] = a;
  return k;
}

Bytes Muster(size_t laenge, uint8_t start) {
  Bytes daten(laenge);
  for (size_t i = 0; i < laenge; ++i) daten[i] = uint8_t(start + i * 13);
  return daten;
}

void MitMips(DdsKopf& k, uint32_t anzahl) {
  k.mipAnzahl = anzahl;
  k.flags |= 0x20000;
  k.caps |= 0x400008;
}

void AlsCube(DdsKopf& k, uint32_t seitenBits = 0xFC00) {
  k.caps |= 0x8;
  k.caps2 = 0x200 | seitenBits;
}

}  // namespace

TEST(LadeDDS, FormateByteFuerByte) {
  struct Fall {
    uint32_t fourCC;
    Zarvo_Pixelformat format;
  };
  const Fall faelle[] = {{FourCC("DXT1"), PXFMT_DXT1}, {FourCC("DXT3"), PXFMT_DXT3}, {FourCC("DXT5"), PXFMT_DXT5},
                         {111, PXFMT_R16F},           {112, PXFMT_G16R16F},        {113, PXFMT_A16B16G16R16F},
                         {114, PXFMT_R32F},           {115, PXFMT_G32R32F},        {116, PXFMT_A32B32G32R32F},
                         {34, PXFMT_G16R16},          {36, PXFMT_A16B16G16R16}};
  for (const Fall& f : faelle) {
    DdsKopf k = FourCCKopf("XXXX", 5, 3);
    k.fourCC = f.fourCC;
    const uint64_t bytes = Zarvo_Bild::BytesProBild(f.format, 5, 3);
    const Bytes daten = Muster(bytes, uint8_t(f.fourCC));
    Zarvo_Bild bild;
    ASSERT_TRUE(Lade(bild, BaueDds(k, daten))) << f.fourCC;
    EXPECT_EQ(bild.Format(), f.format);
    EXPECT_EQ(bild.Breite(), 5u);
    EXPECT_EQ(bild.Hoehe(), 3u);
    EXPECT_EQ(Bytes(bild.Pixel(), bild.Pixel() + bytes), daten) << f.fourCC;
  }
}

TEST(LadeDDS, MipStufenUndKappung) {
  LogMitschnitt log;
  DdsKopf k = FourCCKopf("DXT1", 4, 2);
  MitMips(k, 3);
  const Bytes daten = Muster(24, 1);
  Zarvo_Bild bild;
  ASSERT_TRUE(Lade(bild, BaueDds(k, daten)));
  ASSERT_EQ(bild.MipAnzahl(), 3u);
  const uint64_t groessen[3][2] = {{4, 2}, {2, 1}, {1, 1}};
  for (uint64_t n = 0; n < 3; ++n) {
    const Zarvo_Bild* stufe = bild.HoleMipStufe(n);
    EXPECT_EQ(stufe->Breite(), groessen[n][0]);
    EXPECT_EQ(stufe->Hoehe(), groessen[n][1]);
    EXPECT_EQ(Bytes(stufe->Pixel(), stufe->Pixel() + 8), Bytes(daten.begin() + 8 * n, daten.begin() + 8 * n + 8));
  }
  // Without the caps bit the count is ignored.
  DdsKopf ohneCaps = k;
  ohneCaps.mipAnzahl = 5;
  ohneCaps.caps = 0x1000;
  ASSERT_TRUE(Lade(bild, BaueDds(ohneCaps, daten)));
  EXPECT_EQ(bild.MipAnzahl(), 1u);
  // A huge count: the 2D chain is clamped; a cube would need the skipped levels and is incomplete.
  DdsKopf riesig = FourCCKopf("DXT1", 4, 4);
  MitMips(riesig, 0xFFFFFFFF);
  ASSERT_TRUE(Lade(bild, BaueDds(riesig, Muster(24, 3))));
  EXPECT_EQ(bild.MipAnzahl(), 3u);
  AlsCube(riesig);
  log.Leere();
  EXPECT_FALSE(Lade(bild, BaueDds(riesig, Muster(6 * 24 + 64, 3))));
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Bild::LadeDDS(): DDS-Datei ist unvollständig."));
  // Extra 1x1 levels of a cube are skipped, so every face is found where the file has it.
  DdsKopf fuenf = FourCCKopf("DXT1", 4, 4);
  MitMips(fuenf, 5);
  AlsCube(fuenf);
  Bytes seiten;
  for (int s = 0; s < 6; ++s) {
    const Bytes seite = Muster(5 * 8, uint8_t(s * 40));
    seiten.insert(seiten.end(), seite.begin(), seite.end());
  }
  ASSERT_TRUE(Lade(bild, BaueDds(fuenf, Bytes(seiten.begin(), seiten.end() - 16))));
  const int slot[6] = {2, 3, 0, 1, 4, 5};
  for (int s = 0; s < 6; ++s) {
    EXPECT_EQ(bild.Seite(slot[s])->MipAnzahl(), 3u);
    EXPECT_EQ(bild.Seite(slot[s])->HoleMipStufe(2)->Pixel()[0], seiten[s * 40 + 16]) << s;
  }
}

TEST(LadeDDS, CubeSeitenInIhrenSlots) {
  DdsKopf k = MaskenKopf(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 2, 2);
  AlsCube(k);
  Bytes daten;
  for (int s = 0; s < 6; ++s) daten.insert(daten.end(), 16, uint8_t(s + 1));
  Zarvo_Bild bild;
  ASSERT_TRUE(Lade(bild, BaueDds(k, daten)));
  ASSERT_TRUE(bild.IstCubeMap());
  EXPECT_EQ(bild.Seite(3), &bild);
  const int slot[6] = {2, 3, 0, 1, 4, 5};
  for (int s = 0; s < 6; ++s) EXPECT_EQ(Pixel(*bild.Seite(slot[s]), 1, 1), 0x01010101u * uint32_t(s + 1)) << s;

  DdsKopf fuenfBits = k;
  AlsCube(fuenfBits, 0x7C00);
  ASSERT_TRUE(Lade(bild, BaueDds(fuenfBits, daten)));
  EXPECT_FALSE(bild.IstCubeMap());
  EXPECT_EQ(Pixel(bild, 1, 1), 0x01010101u);
}

TEST(LadeDDS, Masken) {
  struct Fall {
    std::string name;
    DdsKopf kopf;
    Bytes pixel;
    uint32_t erwartet;
  };
  DdsKopf mjlp = MaskenKopf(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 1, 1);
  std::memcpy(mjlp.kennung, "MJLP", 4);
  const Fall faelle[] = {
      {"24 Bit ohne Alpha", MaskenKopf(24, 0xFF0000, 0xFF00, 0xFF, 0, 1, 1), {0x33, 0x22, 0x11}, 0xFF112233},
      {"R5G6B5", MaskenKopf(16, 0xF800, 0x07E0, 0x001F, 0, 1, 1), {0xFF, 0xFF}, 0xFFF8FCF8},
      {"R5G6B5 rot", MaskenKopf(16, 0xF800, 0x07E0, 0x001F, 0, 1, 1), {0x00, 0xF8}, 0xFFF80000},
      {"schneller Weg", MaskenKopf(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 1, 1), {1, 2, 3, 4}, 0x04030201},
      {"ABGR", MaskenKopf(32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, 1, 1), {1, 2, 3, 4}, 0x04010203},
      {"8 Bit Luminanz", MaskenKopf(8, 0xFF, 0, 0, 0, 1, 1), {0x9A}, 0xFF9A0000},
      {"16-Bit-Maske oben", MaskenKopf(32, 0xFFFF0000, 0, 0, 0, 1, 1), {0xFF, 0xFF, 0x34, 0x12}, 0xFF120000},
      {"MJLP", mjlp, {9, 8, 7, 6}, 0x06070809},
  };
  for (const Fall& f : faelle) {
    Zarvo_Bild bild;
    ASSERT_TRUE(Lade(bild, BaueDds(f.kopf, f.pixel))) << f.name;
    EXPECT_EQ(bild.Format(), PXFMT_A8R8G8B8);
    EXPECT_EQ(Pixel(bild, 0, 0), f.erwartet) << f.name;
  }
  // Packed rows of a mask level advance by the destination's pitch.
  Zarvo_Bild bild;
  ASSERT_TRUE(Lade(bild, BaueDds(MaskenKopf(24, 0xFF0000, 0xFF00, 0xFF, 0, 3, 2), Muster(18, 0))));
  EXPECT_EQ(Pixel(bild, 0, 1) & 0xFF, Muster(18, 0)[9]);
}

TEST(LadeDDS, Ablehnungen) {
  LogMitschnitt log;
  const std::string kopf = "!Zarvo_Bild::LadeDDS(): Ungültiger DDS-Header.";
  const std::string unvollstaendig = "!Zarvo_Bild::LadeDDS(): DDS-Datei ist unvollständig.";
  DdsKopf groesse = FourCCKopf("DXT1", 4, 4);
  groesse.groesse = 100;
  DdsKopf flags = FourCCKopf("DXT1", 4, 4);
  flags.flags = 0x8;
  DdsKopf breit = MaskenKopf(32, 0xFF0000, 0xFF00, 0xFF, 0, 4, 2);
  AlsCube(breit);
  DdsKopf null = FourCCKopf("DXT1", 0, 4);
  DdsKopf riesig = FourCCKopf("DXT1", 16388, 4);
  DdsKopf dxt1 = FourCCKopf("DXT1", 8, 4);
  DdsKopf cube = FourCCKopf("DXT5", 4, 4);
  AlsCube(cube);
  const Bytes nurKopf = BaueDds(dxt1, {});
  struct Fall {
    std::string name;
    Bytes datei;
    std::string meldung;
  };
  const Fall faelle[] = {
      {"FourCC unbekannt", BaueDds(FourCCKopf("ABCD", 4, 4), Muster(64, 0)),
       "!Zarvo_Bild::LadeDDS(): Pixelformat 44434241 wird nicht unterstützt."},
      {"DX10", BaueDds(FourCCKopf("DX10", 4, 4), Muster(64, 0)),
       "!Zarvo_Bild::LadeDDS(): Pixelformat 30315844 wird nicht unterstützt."},
      {"Kopfgroesse", BaueDds(groesse, Muster(8, 0)), kopf},
      {"Flags", BaueDds(flags, Muster(8, 0)), kopf},
      {"12 Bit", BaueDds(MaskenKopf(12, 0xF00, 0xF0, 0xF, 0), Muster(64, 0)), kopf},
      {"Cube nicht quadratisch", BaueDds(breit, Muster(6 * 32, 0)), kopf},
      {"Breite 0", BaueDds(null, {}), kopf},
      {"zu breit", BaueDds(riesig, {}), kopf},
      {"Kopf abgeschnitten", Bytes(nurKopf.begin(), nurKopf.begin() + 127), kopf},
      {"Daten abgeschnitten", BaueDds(dxt1, Muster(15, 0)), unvollstaendig},
      {"Cube abgeschnitten", BaueDds(cube, Muster(6 * 16 - 1, 0)), unvollstaendig},
      {"Masken abgeschnitten", BaueDds(MaskenKopf(24, 0xFF0000, 0xFF00, 0xFF, 0), Muster(11, 0)), unvollstaendig},
  };
  for (const Fall& f : faelle) {
    log.Leere();
    Zarvo_Bild bild(2, 2, PXFMT_A8, 1);
    std::memset(bild.Pixel(), 0x42, 4);
    EXPECT_FALSE(Lade(bild, f.datei)) << f.name;
    EXPECT_TRUE(log.Enthaelt(f.meldung)) << f.name << ":\n" << log.Alles();
    EXPECT_EQ(bild.Format(), PXFMT_A8) << f.name;
    EXPECT_EQ(bild.Pixel()[3], 0x42) << f.name;
  }
  log.Leere();
  Zarvo_Bild bild;
  EXPECT_FALSE(bild.LadeDDS(std::span<const uint8_t>(Muster(200, 0))));
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Bild::LadeDDS(): Datei ist keine DDS-Datei."));
}

namespace {

Bytes Verlauf(uint32_t w, uint32_t h, int kanaele) {
  Bytes pixel(size_t(w) * h * kanaele);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x)
      for (int k = 0; k < kanaele; ++k) pixel[(size_t(y) * w + x) * kanaele + k] = uint8_t(40 + 3 * x + 2 * y + 30 * k);
  return pixel;
}

}  // namespace

TEST(LadeJPG, GrauUndFarbe) {
  const Bytes bloecke = {0, 37, 128, 200, 255, 90};
  Zarvo_Bild bild;
  ASSERT_TRUE(Lade(bild, SchreibeGrauJpg(24, 16, bloecke)));
  EXPECT_EQ(bild.Format(), PXFMT_A8);
  ASSERT_EQ(bild.Breite(), 24u);
  ASSERT_EQ(bild.Hoehe(), 16u);
  for (uint32_t y = 0; y < 16; ++y)
    for (uint32_t x = 0; x < 24; ++x) EXPECT_NEAR(bild.Pixel()[y * 24 + x], bloecke[y / 8 * 3 + x / 8], 1) << x << "," << y;
  const Bytes farbe = Verlauf(24, 16, 3);
  ASSERT_TRUE(Lade(bild, SchreibeJpg(24, 16, 3, farbe)));
  EXPECT_EQ(bild.Format(), PXFMT_A8R8G8B8);
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 24; ++x) {
      const uint32_t p = Pixel(bild, x, y);
      const uint8_t* soll = &farbe[(y * 24 + x) * 3];
      EXPECT_EQ(p >> 24, 255u);
      EXPECT_NEAR(int(p >> 16 & 0xFF), soll[0], 8);
      EXPECT_NEAR(int(p >> 8 & 0xFF), soll[1], 8);
      EXPECT_NEAR(int(p & 0xFF), soll[2], 8);
    }
  }
}

TEST(LadeJPG, Ablehnungen) {
  LogMitschnitt log;
  Zarvo_Bild bild(2, 2, PXFMT_A8, 1);
  EXPECT_FALSE(Lade(bild, {0xFF, 0xD8, 0x12, 0x34, 0x56, 0x00, 0xFF}));
  EXPECT_TRUE(log.Enthaelt("Failed to decode jpeg."));
  // A header claiming 60000 x 60000 is refused before decoding.
  Bytes gross = SchreibeJpg(8, 8, 3, Verlauf(8, 8, 3));
  bool gefunden = false;
  for (size_t i = 2; i + 9 < gross.size() && !gefunden; ++i) {
    if (gross[i] == 0xFF && gross[i + 1] == 0xC0) {
      gross[i + 5] = 0xEA, gross[i + 6] = 0x60, gross[i + 7] = 0xEA, gross[i + 8] = 0x60;
      gefunden = true;
    }
  }
  ASSERT_TRUE(gefunden);
  int w = 0, h = 0, k = 0;
  ASSERT_TRUE(stbi_info_from_memory(gross.data(), int(gross.size()), &w, &h, &k));
  EXPECT_EQ(w, 60000);
  log.Leere();
  EXPECT_FALSE(Lade(bild, gross));
  EXPECT_TRUE(log.Enthaelt("Failed to decode jpeg."));
  EXPECT_EQ(bild.Format(), PXFMT_A8);
  EXPECT_EQ(bild.Breite(), 2u);
  // A scan using an AC table that no DHT defined: stb_image would decode with uninitialised tables.
  const Bytes ohneAcTabelle = {
      0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0xA3, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4, 0x00,
      0x31, 0x00, 0x00, 0x01, 0x05, 0x01, 0x01, 0x01, 0x01, 0x00, 0x01, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01,
      0x00, 0x00, 0x3F, 0x00, 0xFE, 0x13, 0xDF, 0xEB, 0xE0, 0xFF, 0xD9};
  // A baseline scan whose spectral range ends at 0 still decodes AC with its (undefined) table.
  const Bytes basisOhneAcTabelle = {
      0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x59, 0x01, 0x01, 0x01, 0x01, 0xA1, 0x01, 0x01, 0x01, 0x01, 0x01,
      0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0xFF, 0xFE, 0xFE,
      0xFE, 0xFE, 0xFE, 0xFE, 0x01, 0x01, 0x01, 0x27, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
      0x01, 0x01, 0x01, 0x01, 0x00, 0xFF, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0x01, 0x01, 0x01, 0x27, 0x01, 0x01,
      0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x98, 0x01, 0x01, 0x25, 0x02, 0x00, 0x10, 0x61, 0x00, 0x00, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF,
      0xC0, 0x00, 0x0B, 0x08, 0x00, 0x48, 0x00, 0x09, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4, 0x00, 0x31, 0x00, 0x00,
      0x01, 0x05, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02,
      0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4A, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x01, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x98, 0x01, 0x01, 0x25, 0x02, 0x00, 0x10, 0x61, 0x00, 0x00, 0x01, 0x01, 0x01,
      0x01, 0x01, 0x01, 0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x48, 0x00, 0x09, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4,
      0x00, 0x31, 0x00, 0x00, 0x01, 0x05, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x10, 0x01, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4A, 0xFF, 0xDA, 0x00, 0x08, 0x01,
      0x01, 0x00, 0x00, 0x3F, 0x00, 0xFE, 0x13, 0xDF, 0xEB, 0xE0, 0xFF, 0xD9};
  for (const Bytes* datei : {&ohneAcTabelle, &basisOhneAcTabelle}) {
    log.Leere();
    EXPECT_FALSE(Lade(bild, *datei));
    EXPECT_TRUE(log.Enthaelt("Failed to decode jpeg."));
  }
  // Other formats stb_image knows are not taken by the JPEG reader.
  log.Leere();
  EXPECT_FALSE(bild.LadeJPG(std::span<const uint8_t>(SchreibePngStb(2, 2, 3, Verlauf(2, 2, 3)))));
  EXPECT_TRUE(log.Enthaelt("Failed to decode jpeg."));
}

TEST(LadeBildAusDatei, Verteilung) {
  LogMitschnitt log;
  const std::string unbekannt = "!Zarvo_Bild::LadeBildAusDatei():  Dateiformat nicht erkennbar.";
  struct Fall {
    std::string name;
    Bytes datei;
    std::string meldung;
  };
  const Fall faelle[] = {
      {"PNG", {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0}, "!Zarvo_Bild::LadePNG(): PNG-Header ist ungültig."},
      {"DDS", {'D', 'D', 'S', ' ', 1}, "!Zarvo_Bild::LadeDDS(): Ungültiger DDS-Header."},
      {"MJLP", {'M', 'J', 'L', 'P'}, "!Zarvo_Bild::LadeDDS(): Ungültiger DDS-Header."},
      {"JPEG", {0xFF, 0xD8}, "Failed to decode jpeg."},
      {"BM", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0}, unbekannt},
      {"0 Bytes", {}, unbekannt},
      {"1 Byte", {0xFF}, unbekannt},
      {"3 Bytes", {'D', 'D', 'S'}, unbekannt},
      {"halbe PNG-Kennung", {0x89, 0x50, 0x4E, 0x47}, unbekannt},
  };
  for (const Fall& f : faelle) {
    log.Leere();
    Zarvo_Bild bild;
    EXPECT_FALSE(Lade(bild, f.datei)) << f.name;
    EXPECT_TRUE(log.Enthaelt(f.meldung)) << f.name << ":\n" << log.Alles();
  }
  // The memory form reads from the cursor.
  TSpeicher speicher;
  speicher.SchreibeMem("xyz", 3);
  const Bytes png = SchreibePng({3, 2, 2}, FotoPixel(3, 2, 3));
  speicher.SchreibeMem(png.data(), png.size());
  speicher.SetzePosition(3);
  Zarvo_Bild bild;
  EXPECT_TRUE(bild.LadeBildAusDatei(speicher));
  EXPECT_TRUE(GleichePixel(bild, 3, 2, 3, FotoPixel(3, 2, 3)));

  log.Leere();
  EXPECT_FALSE(bild.LadeBildAusDatei(std::filesystem::path("/nicht/da.png")));
  EXPECT_TRUE(log.Enthaelt("!Zarvo_Bild::LadeBildAusDatei( \"/nicht/da.png\"):  Datei konnte nicht geladen werden."));
}

TEST(Bild, AchtFaedenGleichzeitig) {
  const Bytes png = SchreibePng({64, 48, 6}, FotoPixel(64, 48, 4, 2));
  const Bytes jpg = SchreibeJpg(64, 48, 3, FotoPixel(64, 48, 3, 2));
  struct Ergebnis {
    bool ok = false;
    Bytes png, jpg, geschrieben;
  };
  auto arbeite = [&](Ergebnis& e) {
    Zarvo_Bild a, b;
    e.ok = a.LadeBildAusDatei(std::span<const uint8_t>(png)) && b.LadeBildAusDatei(std::span<const uint8_t>(jpg));
    if (!e.ok) return;
    e.png.assign(a.Pixel(), a.Pixel() + 64 * 48 * 4);
    e.jpg.assign(b.Pixel(), b.Pixel() + 64 * 48 * 4);
    TSpeicher datei;
    e.ok = a.KodierePNG(datei, 0);
    e.geschrieben.assign(datei.Daten(), datei.Daten() + datei.Groesse());
  };
  Ergebnis referenz;
  arbeite(referenz);
  ASSERT_TRUE(referenz.ok);
  std::vector<Ergebnis> ergebnisse(8);
  std::vector<std::thread> faeden;
  for (Ergebnis& e : ergebnisse) faeden.emplace_back([&arbeite, &e] {
      for (int i = 0; i < 5; ++i) arbeite(e);
    });
  for (std::thread& f : faeden) f.join();
  for (const Ergebnis& e : ergebnisse) {
    EXPECT_TRUE(e.ok);
    EXPECT_EQ(e.png, referenz.png);
    EXPECT_EQ(e.jpg, referenz.jpg);
    EXPECT_EQ(e.geschrieben, referenz.geschrieben);
  }
}
