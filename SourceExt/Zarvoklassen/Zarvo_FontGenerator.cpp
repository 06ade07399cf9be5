#include "Zarvo_FontGenerator.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_MODULE_H

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "TBereich.h"
#include "TSpeicher.h"
#include "Zarvo_Ausnahme.h"
#include "Zarvo_Bild.h"
#include "Zarvo_Hilfsfunktionen.h"
#include "Zarvo_Start.h"

// Every exception names the public operation, whichever form was called.
#define WIRF_SCHRIFT(text) \
  WirfZarvoAusnahme((text), "Zarvo_FontGenerator::ErzeugeSchriftart", QuellPfad(__FILE__), __LINE__)

namespace {

constexpr char ZEICHEN[] =
    // ASCII: 89, the apostrophe first
    "'!\"#$%&()*+,-./0123456789:;<>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_abcdefghijklmnopqrstuvwxyz~"
    // Latin-1: 44
    "¡§°¿ÀÁÂÃÄÅÆÇÉÊÍÑÓÔÕÖØÚÜßàáâãäåæçéêíñóôõöøúüý"
    // Latin Extended-A: 31
    "ĄąĆćčďĘęěĞğİıŁłŃńňřŚśŞşšťůŹźŻżž"
    // Cyrillic: 66
    "ЁАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюяё"
    // Hangul syllables: 719
    "가각간갈감갑값갔강같개갱거걱건걷걸겁것겉게겐겠겨격겪견결겸겹겼경계고곡곤곧골곳공"
    "과관광괜괴교구국군굴굶궁권궤귀균그극근금급기긴길김깊까깐깔깡깨꺼께껴꼈꼬꼭꼴꽉꿀"
    "꿔뀌끄끈끊끌끔끗끝끼낀낌나낚난날남납났낯내낸낼냄냐냥너넌널넣네넷녀년녕노놀놈농높"
    "누눈눌뉴느는늘능늦니닉닌닐님다닥단닫달담답당대댄더덕던덤덮데도독돈돌동돼됐되된될"
    "됨됩두둑둔둘둠둡둥둬뒀뒤뒷드득든듣들듯등디딘딜딧딪따딱땅때떠떤떨떻또똑똥뚫뚱뛰뜨"
    "뜰뜻라락란랄람랍랐랑래랜랫랬략량러럭런럴럼럽렀렇레렛려력렵렸령례로록론롤롭롯뢰료"
    "루류률륨르른를름릅리릭린릴림립릿마막만많말맙망맞맡매맥맵머먹먼멀멈멋멍메며면멸명"
    "몇모목몰못무묵문물뭉뭐뭔뭘미민믿밀밌및바박밖반받발밝밤방배백버번벌범법벗베벨벼벽"
    "변병보복본볼봐봤부북분불붙브블비빈빌빔빛빠빨빵뻔뻗뿐뿔뿜쁘쁜사삭산살삶삼상새생샷"
    "서석선설섬성세센셔션셨소속손솟쇄쇠쇼수숙순술숨숲쉬쉴쉽슈슘스슨슬습승시식신실싫심"
    "십싶싸쌀쌍써썩쏘쏜쏠쏴쓰쓸씨씩씬아악안앉않알압았앙앞애액야약양어언얻얼얽엄업없엇"
    "었엉에엔엘여역연열염였영옆예오옥온올옳옵옷와완왔왕왜외왼요욕용우운울움웅워원월웨"
    "위유육율으윽은을음응의이익인일잃임입있잉자작잖잘잠잡장재쟁저적전절젊점접정제젠져"
    "졌조족존좀종좋죄주죽준줄줌중줘줬쥐즈즉즐즘증지직진질짐집짓짜짝짠짧째쨌쩌쩔쩡쪽쯤"
    "찍찢차착찬찮찰참창찾채책챙처척천철첫청체쳐쳤초촉촌총최추축출충춰취츠측층치친칠침"
    "칩칭칵칼캐커컨컬케켓켜켤코콤퀴크큰클큼키킬킵타탁탄탈탑탓탔탕태택터테텐템토통퇴투"
    "트특튼티틱팀파판팔패퍼펌페펠편평폐포폭폰폴표풀품퓨프플피픽필핑하학한할함합항해핵"
    "핸했행향허험헛헤헬현협혔형호혹혼화확환활황횃회획효후훨휘휴흉흔흠흥흩희히힌힐힘";
static_assert(sizeof ZEICHEN == Zarvo_FontGenerator::ZEICHENSATZ_BYTES + 1);

// FreeType's allocation hooks over the C heap; a block over the limit is refused, which FreeType
// reports as out of memory for the face or the glyph at hand.
void* Belege(FT_Memory, long groesse) {
  if (groesse <= 0 || uint64_t(groesse) > Zarvo_FontGenerator::GROESSTER_BLOCK) return nullptr;
  return std::malloc(size_t(groesse));
}
void GibFrei(FT_Memory, void* block) { std::free(block); }
void* Vergroessere(FT_Memory, long, long neueGroesse, void* block) {
  if (neueGroesse <= 0 || uint64_t(neueGroesse) > Zarvo_FontGenerator::GROESSTER_BLOCK) return nullptr;
  return std::realloc(block, size_t(neueGroesse));
}

// The library with its own allocation hooks and the one face, closed in reverse order.
class FreeType {
 public:
  FreeType() {
    if (FT_New_Library(&speicher, &bibliothek) != 0) {
      bibliothek = nullptr;
      return;
    }
    FT_Add_Default_Modules(bibliothek);
  }
  ~FreeType() {
    if (schrift) FT_Done_Face(schrift);
    if (bibliothek) FT_Done_Library(bibliothek);
  }
  FreeType(const FreeType&) = delete;
  FreeType& operator=(const FreeType&) = delete;

  FT_MemoryRec_ speicher{nullptr, Belege, GibFrei, Vergroessere};
  FT_Library bibliothek = nullptr;
  FT_Face schrift = nullptr;
};

void PruefeGroesse(const std::string& name, uint64_t pixelGroesse) {
  if (pixelGroesse < Zarvo_FontGenerator::KLEINSTE_GROESSE || pixelGroesse > Zarvo_FontGenerator::GROESSTE_GROESSE)
    WIRF_SCHRIFT("Failed to render TTF \"" + name + "\"");
}

int32_t KlemmeI32(int64_t wert) {
  return int32_t(std::clamp<int64_t>(wert, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The first byte of row r of a FreeType bitmap; a negative pitch flows upwards in memory.
const uint8_t* BitmapZeile(const FT_Bitmap& bitmap, uint64_t r) {
  const int64_t pitch = bitmap.pitch;
  const uint8_t* oben = bitmap.buffer + (pitch < 0 ? -pitch * (int64_t(bitmap.rows) - 1) : 0);
  return oben + int64_t(r) * pitch;
}

// Coverage of column c in a row: gray as is, mono bits expanded to 0 or 255.
uint8_t Deckung(const FT_Bitmap& bitmap, const uint8_t* zeile, uint64_t c) {
  if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (zeile[c / 8] >> (7 - c % 8) & 1) ? 255 : 0;
  return zeile[c];
}

// Writes the bitmap as white with alpha = coverage at (links, oben) of the scratch image.
void SchreibeBitmap(const FT_Bitmap& bitmap, Zarvo_Bild& schmierbild, uint64_t links, uint64_t oben) {
  for (uint64_t r = 0; r < bitmap.rows; ++r) {
    const uint8_t* quelle = BitmapZeile(bitmap, r);
    uint8_t* ziel = schmierbild.Pixel() + (oben + r) * schmierbild.Zeilenbytes() + 4 * links;
    for (uint64_t c = 0; c < bitmap.width; ++c) {
      const uint32_t pixel = uint32_t(Deckung(bitmap, quelle, c)) << 24 | 0xFFFFFFu;
      std::memcpy(ziel + 4 * c, &pixel, 4);
    }
  }
}

// Renders one code point and adds it to the font; false (nothing added) when the face has no
// glyph for it, FreeType cannot render it, or its bitmap is empty, of another mode or too large.
bool FuegeGlypheHinzu(FT_Face schrift, uint32_t zeichen, uint64_t pixelGroesse, Zarvo_Bild& schmierbild,
                      Zarvo_Font3D& font) {
  const FT_UInt index = FT_Get_Char_Index(schrift, zeichen);
  if (index == 0 || FT_Load_Glyph(schrift, index, FT_LOAD_RENDER) != 0) return false;
  const FT_GlyphSlot glyphe = schrift->glyph;
  const FT_Bitmap& bitmap = glyphe->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return false;
  const uint64_t breite = bitmap.width, zeilen = bitmap.rows;
  const uint64_t links = uint64_t(std::max(0, glyphe->bitmap_left));
  const uint64_t oben = pixelGroesse > zeilen ? pixelGroesse - zeilen : 0;
  if (breite == 0 || zeilen == 0 || bitmap.buffer == nullptr) return false;
  if (links + breite > schmierbild.Breite() || oben + zeilen > schmierbild.Hoehe()) return false;
  SchreibeBitmap(bitmap, schmierbild, links, oben);
  const Zarvo_Font3D::Metrik m = Zarvo_FontGenerator::BerechneMetrik(
      glyphe->metrics.horiBearingX, glyphe->metrics.horiBearingY, glyphe->metrics.horiAdvance, pixelGroesse);
  TBereich bereich;
  schmierbild.LockBereich(bereich);
  font.KopiereBuchstabe(zeichen, bereich, links, oben, breite, zeilen, m.xVersatz, m.yVersatz, m.vorschub);
  return true;
}

}  // namespace

std::string_view Zarvo_FontGenerator::Zeichensatz() { return {ZEICHEN, ZEICHENSATZ_BYTES}; }

Zarvo_Font3D::Metrik Zarvo_FontGenerator::BerechneMetrik(int64_t bearingX, int64_t bearingY, int64_t vorschub,
                                                        uint64_t pixelGroesse) {
  const int64_t yVersatz = std::max<int64_t>(0, int64_t(pixelGroesse) - bearingY / 64);
  return {KlemmeI32(bearingX / 64), KlemmeI32(yVersatz), KlemmeI32(vorschub >> 6)};
}

std::unique_ptr<Zarvo_Font3D> Zarvo_FontGenerator::ErzeugeSchriftart(const std::filesystem::path& pfad,
                                                                    uint64_t pixelGroesse) {
  const std::string name = pfad.string();
  PruefeGroesse(name, pixelGroesse);
  TSpeicher datei;
  if (!datei.LadeAusDatei(pfad, 0)) {
    g_Log.Schreibe("!Kann Schriftart \"%s\" nicht öffnen.", name.c_str());
    WIRF_SCHRIFT("Failed to load TTF \"" + name + "\"");
  }
  return ErzeugeSchriftartAusSpeicher({datei.Daten(), datei.Groesse()}, name, pixelGroesse);
}

std::unique_ptr<Zarvo_Font3D> Zarvo_FontGenerator::ErzeugeSchriftartAusSpeicher(std::span<const uint8_t> daten,
                                                                               const std::string& name,
                                                                               uint64_t pixelGroesse) {
  PruefeGroesse(name, pixelGroesse);
  FreeType ft;
  if (!ft.bibliothek) WIRF_SCHRIFT("Freetype Init failed");
  static const uint8_t KEIN_BYTE = 0;  // FreeType refuses a null buffer even of length 0
  const FT_Error fehler = FT_New_Memory_Face(ft.bibliothek, daten.empty() ? &KEIN_BYTE : daten.data(),
                                             FT_Long(daten.size()), 0, &ft.schrift);
  if (fehler != 0) {
    ft.schrift = nullptr;
    g_Log.Schreibe("!Schriftart \"%s\" nicht lesbar mit Fehlercode %d.", name.c_str(), int(fehler));
    WIRF_SCHRIFT("Failed to load TTF \"" + name + "\"");
  }
  if (!FT_IS_SCALABLE(ft.schrift)) {
    g_Log.Schreibe("?Schriftart \"%s\" ist nicht frei skalierbar.", name.c_str());
    WIRF_SCHRIFT("TTF \"" + name + "\" is not scalable");
  }
  if (FT_Set_Pixel_Sizes(ft.schrift, 0, FT_UInt(pixelGroesse)) != 0) WIRF_SCHRIFT("Failed to render TTF \"" + name + "\"");

  auto font = std::make_unique<Zarvo_Font3D>();
  font->SetNativeHoehe(float(pixelGroesse));
  Zarvo_Bild schmierbild(8 * pixelGroesse, 8 * pixelGroesse, PXFMT_A8R8G8B8, 1);
  for (const char* cursor = ZEICHEN; *cursor != 0;) FuegeGlypheHinzu(ft.schrift, DekodiereUtf8(cursor), pixelGroesse, schmierbild, *font);
  return font;
}
