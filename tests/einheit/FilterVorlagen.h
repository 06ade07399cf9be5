#pragma once
// Effect files for the filter tests and the seeds of fuzz_filtereffekt: builders for <filter>
// and <filtereffekt> texts around a copy pass, and the table of effect-file cases, each with the
// log lines its loading writes and the effect it yields (as BeschreibeEffekt in the tests
// writes it), debug lines on. An expected line ending in '*' matches every line it begins.
#include <string>
#include <vector>

namespace filtervorlagen {

// The vertex shader of the shipped filters.
inline const std::string KOPIE_VS = R"(float4 gPosOffset;
$rein float4 ePos;
$rein float2 eTex;
$raus float4 aPos;
$raus float2 aTex;
$main() {
  aPos = ePos;
#if GRAFIK_DIRECTX == 9
  aPos.xy += 2.0 * gPosOffset.xy * ePos.w;
#endif
  aTex = eTex;
}
)";

// Copies the image sampled as sQuelle.
inline const std::string KOPIE_PS = R"(DEF_SAMPLER_2D(sQuelle);
float4 gQuelleInfo;
$rein float2 aTex;
$raus float4 farbe;
$main() {
  farbe = SAMPLE_2D(sQuelle, TEXKOORD_RT(aTex) * gQuelleInfo.xy);
}
)";

inline std::string Cdata(const std::string& text) { return "<![CDATA[" + text + "]]>"; }

// A <filter> element with `attribute` (e.g. name="a"), the children `inhalt` and the two shaders
// in CDATA.
inline std::string Filter(const std::string& attribute, const std::string& inhalt, const std::string& vs = KOPIE_VS,
                          const std::string& ps = KOPIE_PS) {
  return "<filter" + (attribute.empty() ? "" : " " + attribute) + ">" + inhalt + "<vertexShader>" + Cdata(vs) +
         "</vertexShader><pixelShader>" + Cdata(ps) + "</pixelShader></filter>";
}

// A filter reading `eingabe` through sQuelle (point, clamp) and writing the output element `ausgabe`.
inline std::string Kopie(const std::string& name, const std::string& eingabe, const std::string& ausgabe = "") {
  return Filter("name=\"" + name + "\"", "<eingabe name=\"" + eingabe + "\" sampler=\"sQuelle\" konstante=\"gQuelleInfo\"/>" + ausgabe);
}

inline std::string Effekt(const std::string& inhalt) { return "<filtereffekt>" + inhalt + "</filtereffekt>"; }

inline const std::string ERGEBNIS = "<eingabe name=\"ergebnis\"/>";

struct EffektFall {
  std::string name;
  std::string text;
  std::vector<std::string> zeilen;  // the log lines of loading it as effect "e"
  std::string effekt;               // the loaded effect, or "" for none
};

// "teiler" values that are refused (message, divider 1).
inline std::vector<EffektFall> TeilerFaelle() {
  std::vector<EffektFall> faelle;
  const std::string meldung = "!Filter::LadeAus(...): Ungültige Angabe im Attribut \"teiler\" der Ausgabebild-Angabe.";
  int n = 0;
  for (const char* teiler : {"0", "-4", "4x", "", " 4", "+4", "18446744073709551616"})
    faelle.push_back({"teiler_falsch_" + std::to_string(n++),
                      Effekt(Kopie("f", "ergebnis", std::string("<ausgabe name=\"x\" teiler=\"") + teiler + "\"/>")), {meldung},
                      "E[] F f(ergebnis:sQuelle:gQuelleInfo:21:0)>x/1/0"});
  return faelle;
}

inline std::vector<EffektFall> EffektFaelle() {
  const std::string in = "<eingabe name=\"ergebnis\" sampler=\"sQuelle\" konstante=\"gQuelleInfo\"";
  const std::string filterFehler = "!FilterEffekt::LadeAus(...): Fehler beim Laden des 0. Filters in Effekt \"e\" - Laden des Filters gescheitert.";
  std::vector<EffektFall> faelle = {
      {"leer", Effekt(""), {}, "E[]"},
      {"beschreibung_und_eingaben", Effekt("<beschreibung>Ein Test</beschreibung>" + ERGEBNIS + "<eingabe name=\"tiefe\"/>"), {},
       "E[ergebnis,tiefe] B(Ein Test)"},
      {"eingabe_ohne_name", Effekt("<eingabe/>" + ERGEBNIS),
       {"!FilterEffekt::LadeAus(...): Element \"eingabe\" in Effekt \"e\" muss Attribut \"name\" mit dem Namen des Engine-Ergebnisses definieren."},
       "E[ergebnis]"},
      {"ohne_ausgabe", Effekt(Kopie("f", "ergebnis")), {}, "E[] F f(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0"},
      {"ohne_namen", Effekt(Kopie("a", "ergebnis") + Filter("", in + "/>") + Filter("", in + "/>")), {},
       "E[] F a(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0 F Filter2(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0"
       " F Filter3(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0"},
      {"teiler_vier", Effekt(Kopie("f", "ergebnis", "<ausgabe name=\"hell\" teiler=\"4\" pxfmt=\"a16b16g16r16\"/>")), {},
       "E[] F f(ergebnis:sQuelle:gQuelleInfo:21:0)>hell/4/5"},
      {"teiler_auf_ergebnis_ungelesen", Effekt(Kopie("f", "ergebnis", "<ausgabe name=\"ergebnis\" teiler=\"4x\"/>")), {},
       "E[] F f(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0"},
      {"teiler_gross", Effekt(Kopie("f", "ergebnis", "<ausgabe name=\"x\" teiler=\"4096\"/>")), {},
       "E[] F f(ergebnis:sQuelle:gQuelleInfo:21:0)>x/4096/0"},
      {"ausgabe_ohne_name", Effekt(Kopie("f", "ergebnis", "<ausgabe teiler=\"2\"/>")),
       {"!Filter::LadeAus(...): Die Ausgabe muss einen Namen über \"name\" definieren.", filterFehler}, "E[]"},
      {"pxfmt_unbekannt", Effekt(Kopie("f", "ergebnis", "<ausgabe name=\"x\" pxfmt=\"A8R8G8B8\"/>")),
       {"!Filter::LadeAus(...): Ungültiges PixelFormat \"A8R8G8B8\"im Attribut \"pxfmt\", gültig sind a8r8g8b8, r5g6b5, r10g10b10a2, "
        "r16, g16r16, a16b16g16r16, r32, g32b32, a32b32g32r32, g16r16_fix, a16b16g16r16_fix, r8"},
       "E[] F f(ergebnis:sQuelle:gQuelleInfo:21:0)>x/1/0"},
      {"pxfmt_fix_und_r8", Effekt(Kopie("a", "ergebnis", "<ausgabe name=\"x\" pxfmt=\"g16r16_fix\"/>") +
                                  Kopie("b", "ergebnis", "<ausgabe name=\"y\" pxfmt=\"r8\"/>") +
                                  Kopie("c", "ergebnis", "<ausgabe name=\"z\" pxfmt=\"g32b32\"/>")),
       {},
       "E[] F a(ergebnis:sQuelle:gQuelleInfo:21:0)>x/1/9 F b(ergebnis:sQuelle:gQuelleInfo:21:0)>y/1/14"
       " F c(ergebnis:sQuelle:gQuelleInfo:21:0)>z/1/7"},
      {"eingabe_codes", Effekt(Filter("name=\"f\"", in + " koords=\"wiederholen\" filter=\"linear\"/>" +
                                                       "<eingabe name=\"x\" sampler=\"s2\" konstante=\"k2\" koords=\"begrenzen\" filter=\"punkt\"/>")),
       {}, "E[] F f(ergebnis:sQuelle:gQuelleInfo:0:21,x:s2:k2:21:0)>ergebnis/1/0"},
      {"eingabe_ohne_name", Effekt(Filter("name=\"f\"", in + "/><eingabe sampler=\"s\" konstante=\"k\"/>")),
       {"!Filter::LadeAus(...): 2. Eingabe muss einen Namen über \"name\" definieren.", filterFehler}, "E[]"},
      {"eingabe_ohne_sampler", Effekt(Filter("name=\"f\"", "<eingabe name=\"x\" konstante=\"k\"/>")),
       {"!Filter::LadeAus(...): 1. Eingabe muss einen Textursampler über \"sampler\" definieren.", filterFehler}, "E[]"},
      {"eingabe_ohne_konstante", Effekt(Filter("name=\"f\"", "<eingabe name=\"x\" sampler=\"s\"/>")),
       {"!Filter::LadeAus(...): 1. Eingabe muss eine Shaderkonstante über \"konstante\" definieren.", filterFehler}, "E[]"},
      // A bad value drops that filter only; the count names the filters loaded before it.
      {"koords_falsch", Effekt(Kopie("gut", "ergebnis") + Filter("name=\"f\"", in + " koords=\"Begrenzen\"/>")),
       {"!Filter::LadeAus(...): Ungültige Texkoord-Einstellung in der 1. Eingabe. Gültige Werte sind \"begrenzen\" und \"wiederholen\".",
        "!FilterEffekt::LadeAus(...): Fehler beim Laden des 1. Filters in Effekt \"e\" - Laden des Filters gescheitert."},
       "E[] F gut(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0"},
      {"filter_falsch", Effekt(Filter("name=\"f\"", in + " filter=\"bilinear\"/>") + Kopie("gut", "ergebnis")),
       {"!Filter::LadeAus(...): Ungültige Texturfilter-Einstellung in der 1. Eingabe. Gültige Werte sind \"punkt\" und \"linear\".",
        filterFehler},
       "E[] F gut(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0"},
      {"blend_eins_null", Effekt(Kopie("f", "ergebnis", "<alphablending quelle=\"eins\" ziel=\"null\"/>")), {},
       "E[] F f(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0"},
      {"blend_alpha_invalpha", Effekt(Kopie("f", "ergebnis", "<alphablending quelle=\"alpha\" ziel=\"invalpha\"/>")), {},
       "E[] F f(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0/a2,4"},
      {"blend_nur_ziel", Effekt(Kopie("f", "ergebnis", "<alphablending ziel=\"eins\"/>")), {},
       "E[] F f(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0/a1,1"},
      {"blend_quelle_falsch", Effekt(Kopie("f", "ergebnis", "<alphablending quelle=\"one\"/>")),
       {"!Filter::LadeAus(...): Ungültige AlphaBlending-Angabe im Attribut \"quelle\". Gültige Werte sind \"eins\", \"null\", \"alpha\" und \"invalpha\".",
        filterFehler},
       "E[]"},
      {"blend_ziel_falsch", Effekt(Kopie("f", "ergebnis", "<alphablending quelle=\"null\" ziel=\"Eins\"/>")),
       {"!Filter::LadeAus(...): Ungültige AlphaBlending-Angabe im Attribut \"ziel\". Gültige Werte sind \"eins\", \"null\", \"alpha\" und \"invalpha\".",
        filterFehler},
       "E[]"},
      {"alphatest", Effekt(Kopie("f", "ergebnis", "<alphatest/>")), {"?Filter::LadeAus(...): Element <alphatest> wird nicht mehr unterstützt."},
       "E[] F f(ergebnis:sQuelle:gQuelleInfo:21:0)>ergebnis/1/0"},
      {"ohne_vertexshader", Effekt("<filter name=\"f\"><pixelShader>" + Cdata(KOPIE_PS) + "</pixelShader></filter>"),
       {"!Filter::LadeAus(...): Filter muss VertexShader-Code definieren.", filterFehler}, "E[]"},
      {"leerer_pixelshader", Effekt("<filter name=\"f\"><vertexShader>" + Cdata(KOPIE_VS) + "</vertexShader><pixelShader/></filter>"),
       {"!Filter::LadeAus(...): Filter muss ein PixelShader-Skript definieren.", filterFehler}, "E[]"},
      {"vertexshader_fehler", Effekt(Filter("name=\"f\"", "", "$raus float4 aPos;\n$main() { aPos = float4(1, 2, 3); }\n")),
       {"!Filter::LadeAus(...): Fehler beim Kompilieren des VertexShaders.", "!*", filterFehler}, "E[]"},
      {"pixelshader_fehler", Effekt(Filter("name=\"f\"", "", KOPIE_VS, "$raus float4 farbe;\n$main() { farbe = gibtsnicht; }\n")),
       {"!Filter::LadeAus(...): Fehler beim Kompilieren des PixelShaders.", "!*", filterFehler}, "E[]"},
      // Plain text is condensed onto one line, so the "#if" swallows the rest; CDATA keeps the lines.
      {"shader_als_text", Effekt("<filter name=\"f\"><vertexShader>" + KOPIE_VS + "</vertexShader><pixelShader>" + Cdata(KOPIE_PS) +
                                 "</pixelShader></filter>"),
       {"!Filter::LadeAus(...): Fehler beim Kompilieren des VertexShaders.", "!*", filterFehler}, "E[]"},
      {"shader_in_zwei_cdata", Effekt("<filter name=\"f\"><vertexShader>" + Cdata(KOPIE_VS.substr(0, 40)) + Cdata(KOPIE_VS.substr(40)) +
                                      "</vertexShader><pixelShader>" + Cdata(KOPIE_PS) + "</pixelShader></filter>"),
       {}, "E[] F f()>ergebnis/1/0"},
      {"texturen", Effekt("<textur name=\"rauschen\" beschreibung=\"Rauschen\" standard=\"rauschen.png\"/><textur name=\"leer\"/><textur/>"),
       {"!FilterEffekt::LadeAus(...): Textureintrag in Filtereffekt \"e\" hat kein \"name\"-Atribut."},
       "E[] T rauschen(Rauschen,rauschen.png) T leer(,)"},
      {"parameter", Effekt("<param name=\"voll\"><beschreibung>b</beschreibung><standard r=\"0.5\" g=\"1\" b=\"2\" a=\"0.25\"/>"
                           "<konstante wert=\"gVoll\"/></param>"
                           "<param name=\"ohne_a\"><standard r=\"1\" g=\"2\" b=\"3\"/><konstante wert=\"gOhneA\"/></param>"
                           "<param name=\"ohne_standard\"><konstante wert=\"gOhne\"/></param>"),
       {}, "E[] P voll=gVoll(0.5,1,2,0.25) P ohne_a=gOhneA(1,2,3,1) P ohne_standard=gOhne(0,0,0,1)"},
      {"parameter_fehler", Effekt("<param><konstante wert=\"g\"/></param><param name=\"ohne_konstante\"/>"
                                  "<param name=\"ohne_wert\"><konstante/></param>"),
       {"!FilterEffekt::LadeAus(...): Parameter in Filtereffekt \"e\" hat kein \"name\"-Atribut.",
        "!FilterEffekt::LadeAus(...): Der 2. Parameter in Filtereffekt \"e\" hat kein \"konstante\"-Element.",
        "!FilterEffekt::LadeAus(...): Der Konstanteneintrag im 3. Parameter des Filtereffekts \"e\" hat kein \"wert\"-Atribut."},
       "E[] P ohne_konstante=(0,0,0,1) P ohne_wert=(0,0,0,1)"},
      {"nicht_wohlgeformt", "<filtereffekt>\n<filter name=\"f\">\n</filtereffekt>", {"!Zeile 3: *"}, ""},
      // More elements than the XML readers take are refused before parsing.
      {"zu_viele_elemente", "<filtereffekt>" + [] {
         std::string e;
         for (int i = 0; i < 4096; ++i) e += "<x/>";
         return e;
       }() + "</filtereffekt>",
       {"!Zeile 0: mehr als 4096 Elemente"}, ""},
      // Another root is no effect: a debug line, no error for the "eingabe" inside.
      {"andere_wurzel", "<gui><eingabe typ=\"float\">1</eingabe></gui>",
       {"FilterVerwaltung::InternLadeEffekt(): \"e\" ist kein Filtereffekt (Wurzel <gui>)."}, ""},
  };
  for (EffektFall& fall : TeilerFaelle()) faelle.push_back(std::move(fall));
  return faelle;
}

}  // namespace filtervorlagen
