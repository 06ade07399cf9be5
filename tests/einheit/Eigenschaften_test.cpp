#include <gtest/gtest.h>

#include <tinyxml.h>

#include <locale>

#include "EigenerOrdner.h"
#include "TEigenschaften.h"
#include "TEigenschaften_Serialisierung.h"
#include "Zarvo_Ausnahme.h"

namespace {

class Eigenschaften : public ::testing::Test {
 protected:
  TEigenschaften Lade(const std::string& xml) {
    const std::filesystem::path pfad = ordner / "eigenschaften.xml";
    SchreibeDatei(pfad, xml);
    TEigenschaften wurzel("wurzel");
    TEigenschaften_Serialisierung::LadeEigenschaftenAusXml(wurzel, pfad, false);
    return wurzel;
  }
  Zarvo_Ausnahme LadeFehler(const std::string& xml) {
    try {
      Lade(xml);
    } catch (const Zarvo_Ausnahme& ausnahme) {
      return ausnahme;
    }
    ADD_FAILURE() << "keine Ausnahme";
    return Zarvo_Ausnahme("", "", "", 0);
  }
  EigenerOrdner ordner;
};

std::string Verschachtelt(int tiefe) {
  std::string xml;
  for (int i = 0; i < tiefe; ++i) xml += "<e>";
  for (int i = 0; i < tiefe; ++i) xml += "</e>";
  return xml;
}

TEST_F(Eigenschaften, FarbeAusDemText) {
  TEigenschaften wurzel = Lade("<stil><farbe typ=\"TAlphaFarbe\">1 0.5 0 1</farbe></stil>");
  const TEigenschaften* farbe = wurzel.Kind("farbe");
  ASSERT_NE(farbe, nullptr);
  EXPECT_EQ(farbe->name, "farbe");
  EXPECT_STREQ(farbe->TypName(), "TAlphaFarbe");
  ASSERT_NE(farbe->Lies<TAlphaFarbe>(), nullptr);
  EXPECT_EQ(*farbe->Lies<TAlphaFarbe>(), (TAlphaFarbe{1, 0.5f, 0, 1}));
  EXPECT_EQ(farbe->AlsText(), "1 0.5 0 1\n");
  EXPECT_FALSE(wurzel.HatWert());
  EXPECT_EQ(wurzel.name, "wurzel");  // the root element's name does not rename the given node
}

TEST_F(Eigenschaften, FloatOhneTyp) {
  TEigenschaften wurzel = Lade("<?xml version=\"1.0\"?>\n<w><wert>2.5</wert><leer></leer></w>");
  ASSERT_NE(wurzel.Kind("wert"), nullptr);
  EXPECT_STREQ(wurzel.Kind("wert")->TypName(), "float");
  EXPECT_EQ(*wurzel.Kind("wert")->Lies<float>(), 2.5f);
  ASSERT_NE(wurzel.Kind("leer"), nullptr);
  EXPECT_FALSE(wurzel.Kind("leer")->HatWert());
  EXPECT_EQ(wurzel.Kind("leer")->TypName(), nullptr);
}

TEST_F(Eigenschaften, NurKindElementeGebenKeinenWert) {
  TEigenschaften wurzel = Lade("<w><gruppe>\n  <a typ=\"int\">-3</a>\n  <b typ=\"TVektor\">1 2 3</b>\n</gruppe></w>");
  const TEigenschaften* gruppe = wurzel.Kind("gruppe");
  ASSERT_NE(gruppe, nullptr);
  EXPECT_FALSE(gruppe->HatWert());
  ASSERT_EQ(gruppe->kinder.size(), 2u);
  EXPECT_EQ(*gruppe->Kind("a")->Lies<int32_t>(), -3);
  const TVektor* b = gruppe->Kind("b")->Lies<TVektor>();
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->x, 1);
  EXPECT_EQ(b->y, 2);
  EXPECT_EQ(b->z, 3);
}

TEST_F(Eigenschaften, GleichnamigeGeschwisterVerschmelzenDerSpaetereGewinnt) {
  TEigenschaften wurzel = Lade(
      "<w><x typ=\"int\">1<k>5</k></x><x typ=\"string\">zwei<j typ=\"int\">7</j></x><x><k>6</k></x></w>");
  ASSERT_EQ(wurzel.kinder.size(), 1u);
  const TEigenschaften* x = wurzel.Kind("x");
  ASSERT_NE(x, nullptr);
  ASSERT_NE(x->Lies<std::string>(), nullptr);
  EXPECT_EQ(*x->Lies<std::string>(), "zwei");  // the third x has no text and keeps the value
  ASSERT_EQ(x->kinder.size(), 2u);
  EXPECT_EQ(*x->Kind("k")->Lies<float>(), 6.0f);
  EXPECT_EQ(*x->Kind("j")->Lies<int32_t>(), 7);
}

TEST_F(Eigenschaften, NichtLadbareDateienWerfen) {
  struct Fall {
    const char* fall;
    std::string xml;
  };
  const Fall faelle[] = {
      {"kein XML", "das ist kein XML"},
      {"leer", ""},
      {"nicht geschlossen", "<w><x>1</w>"},
      {"4097 verschachtelt", Verschachtelt(4097)},
      {"50000 verschachtelt", Verschachtelt(50000)},
  };
  for (const Fall& f : faelle) {
    Zarvo_Ausnahme ausnahme = LadeFehler(f.xml);
    EXPECT_EQ(ausnahme.meldung, "Datei nicht geladen") << f.fall;
    EXPECT_EQ(ausnahme.funktion, "TEigenschaften_Serialisierung::LadeEigenschaftenAusXml") << f.fall;
    EXPECT_EQ(ausnahme.datei, "SourceExt\\Zarvoklassen\\TEigenschaften_Serialisierung") << f.fall;
  }
}

TEST_F(Eigenschaften, FehlendeDateiWirft) {
  TEigenschaften wurzel;
  try {
    TEigenschaften_Serialisierung::LadeEigenschaftenAusXml(wurzel, ordner / "fehlt.xml", true);
    ADD_FAILURE() << "keine Ausnahme";
  } catch (const Zarvo_Ausnahme& ausnahme) {
    EXPECT_EQ(ausnahme.meldung, "Datei nicht geladen");
  }
  EXPECT_TRUE(wurzel.kinder.empty());
}

TEST_F(Eigenschaften, VerschachtelungBisZurGrenzeWirdGeladen) {
  TEigenschaften wurzel = Lade(Verschachtelt(4096));
  int tiefe = 1;
  for (const TEigenschaften* knoten = &wurzel; (knoten = knoten->Kind("e")) != nullptr;) ++tiefe;
  EXPECT_EQ(tiefe, 4096);
}

TEST_F(Eigenschaften, StringTextMitZusammengefasstenLeerzeichenUndUmlauten) {
  TEigenschaften wurzel = Lade("<w><s typ=\"string\">  Größe   &amp; &lt;Maß&gt;  </s></w>");
  ASSERT_NE(wurzel.Kind("s")->Lies<std::string>(), nullptr);
  EXPECT_EQ(*wurzel.Kind("s")->Lies<std::string>(), "Größe & <Maß>");
}

TEST(LiesWert, NachTypName) {
  struct Fall {
    const char* typ;
    const char* text;
    TEigenschaften::Wert erwartet;
  };
  const Fall faelle[] = {
      {"TVektor", "1 -2.5 3", TVektor{1, -2.5f, 3}},
      {"TVektor", "1 2", TVektor{1, 2, 0}},
      {"TVektor", "1 x 3", TVektor{1, 0, 0}},
      {"TAlphaFarbe", "0.25 0.5 0.75 1", TAlphaFarbe{0.25f, 0.5f, 0.75f, 1}},
      {"TAlphaFarbe", "1", TAlphaFarbe{1, 0, 0, 0}},
      {"string", "  a  b ", std::string("  a  b ")},
      {"int", "-7", int32_t(-7)},
      {"int", " 12x", int32_t(12)},
      {"int", "abc", int32_t(0)},
      {"unsigned int", "4294967295", uint32_t(4294967295u)},
      {"unsigned int", "x", uint32_t(0)},
      {"float", "0.1", 0.1f},
      {nullptr, "-1e3", -1000.0f},
      {"unbekannt", "2.5", 2.5f},
      {nullptr, "abc", 0.0f},
  };
  for (const Fall& f : faelle) {
    TEigenschaften knoten;
    knoten.Setze(std::string("alt"));
    TEigenschaften_Serialisierung::LiesWert(knoten, f.typ, f.text);
    EXPECT_EQ(knoten.wert, f.erwartet) << (f.typ ? f.typ : "(kein typ)") << " " << f.text;
  }
}

// A locale with a decimal comma and digit grouping: readers and writers must not follow it.
struct KommaPunkt : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

class GlobaleLocale : public ::testing::Test {
 protected:
  void SetUp() override { alt = std::locale::global(std::locale(std::locale::classic(), new KommaPunkt)); }
  void TearDown() override { std::locale::global(alt); }
  std::locale alt;
};

TEST_F(GlobaleLocale, SchreiberGebenZahlenMitPunktUndSechsStellen) {
  struct Fall {
    TEigenschaften::Wert wert;
    const char* text;
  };
  const Fall faelle[] = {
      {2.5f, "2.5"},
      {0.1f, "0.1"},
      {1234567.0f, "1.23457e+06"},
      {TVektor{1, 0.5f, -2}, "1 0.5 -2\n"},
      {TAlphaFarbe{1, 0.5f, 0, 1}, "1 0.5 0 1\n"},
      {std::string("Größe"), "Größe"},
      {int32_t(-1234567), "-1234567"},
      {uint32_t(4294967295u), "4294967295"},
      {std::monostate(), ""},
  };
  for (const Fall& f : faelle) {
    TEigenschaften knoten;
    knoten.wert = f.wert;
    EXPECT_EQ(knoten.AlsText(), f.text);
  }
  std::string text = "alt";
  TEigenschaften::FloatAlsText(text, 3.25f);
  EXPECT_EQ(text, "3.25");
  TEigenschaften::UnsignedIntAlsText(text, 1000);
  EXPECT_EQ(text, "1000");
}

TEST_F(GlobaleLocale, LeserLesenDenPunkt) {
  TEigenschaften knoten;
  TEigenschaften_Serialisierung::LiesWert(knoten, "TVektor", "1.5 2.5 1.000");
  EXPECT_EQ(*knoten.Lies<TVektor>(), (TVektor{1.5f, 2.5f, 1.0f}));
  TiXmlElement element("e");
  element.SetAttribute("x", "2.5");
  EXPECT_EQ(LiesFloatAttribut(element, "x", 9), 2.5f);
}

TEST(LiesFloatAttribut, ZaehltNurBisZumEndeGeleseneZahlen) {
  struct Fall {
    const char* text;  // null: no such attribute
    float erwartet;
  };
  const Fall faelle[] = {
      {"2.5", 2.5f}, {" 2.5", 2.5f}, {"-1e3", -1000.0f}, {"abc", 9.0f}, {"2.5x", 9.0f},
      {"2.5 ", 9.0f}, {nullptr, 9.0f}, {"", 0.0f},
  };
  for (const Fall& f : faelle) {
    TiXmlElement element("effekt");
    if (f.text) element.SetAttribute("staerke", f.text);
    EXPECT_EQ(LiesFloatAttribut(element, "staerke", 9.0f), f.erwartet) << (f.text ? f.text : "(fehlt)");
  }
}

TEST(EigenschaftenDokument, SchritteEinzeln) {
  TiXmlDocument dokument;
  EXPECT_FALSE(TEigenschaften_Serialisierung::LiesDokument(Verschachtelt(4097), dokument));
  TiXmlDocument nurKommentar;
  ASSERT_TRUE(TEigenschaften_Serialisierung::LiesDokument("<!-- nur ein Kommentar --> <w typ=\"int\">3</w>", nurKommentar));
  TEigenschaften wurzel;
  TEigenschaften_Serialisierung::FuelleAus(wurzel, nurKommentar, false);
  EXPECT_EQ(*wurzel.Lies<int32_t>(), 3);
  TiXmlDocument leer;
  TEigenschaften unberuehrt;
  TEigenschaften_Serialisierung::FuelleAus(unberuehrt, leer, false);
  EXPECT_FALSE(unberuehrt.HatWert());
  EXPECT_TRUE(unberuehrt.kinder.empty());
}

}  // namespace
