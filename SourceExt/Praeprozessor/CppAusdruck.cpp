// Expressions of #if, #elif and #assert: 32-bit wrapping integers, evaluated with explicit value
// and operator stacks of bounded size. After any error the value is 1.
#include <climits>
#include <cstring>

#include "CppZustand.h"

namespace cpp {
namespace {

enum Op {
  NEG, NICHT, KOMPL, MUL, DIV, MOD, ADD, SUB, SHL, SHR, LT, LE, GT, GE, EQ, NE,
  UND, XODER, ODER, LUND, LODER, FRAGE, TERNAER, KLAMMER, KEIN
};

struct OpInfo {
  const char* text;
  int rang;
};
constexpr OpInfo OPS[] = {
    {"-", 11}, {"!", 11}, {"~", 11}, {"*", 10}, {"/", 10}, {"%", 10}, {"+", 9}, {"-", 9},
    {"<<", 8}, {">>", 8}, {"<", 7}, {"<=", 7}, {">", 7}, {">=", 7}, {"==", 6}, {"!=", 6},
    {"&", 5}, {"^", 4}, {"|", 3}, {"&&", 2}, {"||", 1}, {"?", 0}, {":", 0}, {"(", -1}, {"", -2},
};

bool IstUnaer(Op op) { return op == NEG || op == NICHT || op == KOMPL; }

// The binary operator at s[i] (with its length), or KEIN.
Op BinaererOperator(const char* s, int& laenge) {
  static constexpr struct {
    const char* text;
    Op op;
  } TABELLE[] = {{"<<", SHL}, {">>", SHR}, {"<=", LE}, {">=", GE}, {"==", EQ}, {"!=", NE}, {"&&", LUND},
                 {"||", LODER}, {"*", MUL}, {"/", DIV}, {"%", MOD}, {"+", ADD}, {"-", SUB}, {"<", LT},
                 {">", GT}, {"&", UND}, {"^", XODER}, {"|", ODER}, {"?", FRAGE}, {":", TERNAER}};
  for (const auto& e : TABELLE) {
    const size_t n = strlen(e.text);
    if (strncmp(s, e.text, n) == 0) {
      laenge = int(n);
      return e.op;
    }
  }
  return KEIN;
}

int Ziffer(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

struct Eintrag {
  Op op;
  bool ueberspringt;
};

// One evaluation over the expanded text.
class Auswertung {
 public:
  Auswertung(Zustand& z, const std::string& text) : z(z), s(text) {}
  int32_t Ergebnis();

 private:
  Zustand& z;
  const std::string& s;
  size_t i = 0;
  std::vector<uint32_t> werte;
  std::vector<Eintrag> ops;
  int ueberspringen = 0;
  bool fehler = false;
  bool erwarteWert = true;

  void Fehler(int nummer, const char* text = nullptr) {
    if (!fehler) z.melde(nummer, text);
    fehler = true;
  }
  void Wert(uint32_t w);
  void Operator(Op op);
  bool Reduziere();
  uint32_t Rechne(Op op, uint32_t a, uint32_t b);
  void Zahl();
  void Zeichen();
  void Sizeof();
  const char* Vorheriger() const { return ops.empty() ? "none" : OPS[ops.back().op].text; }
};

void Auswertung::Wert(uint32_t w) {
  if (!erwarteWert) return Fehler(11);
  if (werte.size() >= size_t(MAX_STAPEL)) return Fehler(12);
  werte.push_back(w);
  erwarteWert = false;
}

uint32_t Auswertung::Rechne(Op op, uint32_t a, uint32_t b) {
  const int32_t sa = int32_t(a), sb = int32_t(b);
  switch (op) {
    case MUL: return a * b;
    case DIV:
    case MOD:
      if (b == 0) {
        if (ueberspringen == 0) z.melde(45, op == DIV ? "divide" : "mod");
        return 0;
      }
      if (sa == INT_MIN && sb == -1) return op == DIV ? a : 0;
      return op == DIV ? uint32_t(sa / sb) : uint32_t(sa % sb);
    case ADD: return a + b;
    case SUB: return a - b;
    case SHL: return a << (b & 31);
    case SHR: return uint32_t(sa >> (b & 31));
    case LT: return sa < sb;
    case LE: return sa <= sb;
    case GT: return sa > sb;
    case GE: return sa >= sb;
    case EQ: return a == b;
    case NE: return a != b;
    case UND: return a & b;
    case XODER: return a ^ b;
    case ODER: return a | b;
    case LUND: return a && b;
    case LODER: return a || b;
    default: return 0;
  }
}

bool Auswertung::Reduziere() {
  const Eintrag e = ops.back();
  ops.pop_back();
  if (e.ueberspringt) --ueberspringen;
  if (e.op == FRAGE || e.op == KLAMMER) {
    Fehler(e.op == FRAGE ? 17 : 16, e.op == FRAGE ? Vorheriger() : "(");
    return false;
  }
  const size_t noetig = IstUnaer(e.op) ? 1 : e.op == TERNAER ? 3 : 2;
  if (werte.size() < noetig) {
    Fehler(14, OPS[e.op].text);
    return false;
  }
  if (IstUnaer(e.op)) {
    uint32_t& w = werte.back();
    w = e.op == NEG ? 0u - w : e.op == NICHT ? uint32_t(w == 0) : ~w;
    return true;
  }
  const uint32_t b = werte.back();
  werte.pop_back();
  if (e.op == TERNAER) {
    const uint32_t a = werte.back();
    werte.pop_back();
    werte.back() = werte.back() ? a : b;
    return true;
  }
  werte.back() = Rechne(e.op, werte.back(), b);
  return true;
}

void Auswertung::Operator(Op op) {
  if (IstUnaer(op)) {
    if (!erwarteWert) return Fehler(14, OPS[op].text);
  } else {
    if (erwarteWert) return Fehler(14, OPS[op].text);
    const int rang = OPS[op].rang;
    const bool rechts = rang == 0;
    while (!fehler && !ops.empty() && ops.back().op != KLAMMER && ops.back().op != FRAGE &&
           (rechts ? OPS[ops.back().op].rang > rang : OPS[ops.back().op].rang >= rang))
      Reduziere();
    if (fehler) return;
    erwarteWert = true;
  }
  if (ops.size() >= size_t(MAX_STAPEL)) return Fehler(15, OPS[op].text);
  bool ueberspringt = false;
  if (!IstUnaer(op) && werte.empty()) return Fehler(14, OPS[op].text);
  if (op == LUND) ueberspringt = werte.back() == 0;
  if (op == LODER || op == FRAGE) ueberspringt = werte.back() != 0 ? op == LODER : op == FRAGE;
  if (op == TERNAER) {
    // ':' closes the nearest '?': its condition picks the branch that is skipped.
    if (ops.empty() || ops.back().op != FRAGE) return Fehler(17, Vorheriger());
    if (ops.back().ueberspringt) --ueberspringen;
    ops.pop_back();
    ueberspringt = werte[werte.size() - 2] != 0;
  }
  if (ueberspringt) ++ueberspringen;
  ops.push_back({op, ueberspringt});
}

void Auswertung::Zahl() {
  uint32_t wert = 0;
  int basis = 10;
  if (s[i] == '0') {
    basis = 8;
    ++i;
    if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) {
      basis = 16;
      ++i;
    }
  }
  bool oktalGewarnt = false;
  while (i < s.size() && Ziffer(static_cast<unsigned char>(s[i])) < basis + (basis == 8 ? 2 : 0)) {
    const int d = Ziffer(static_cast<unsigned char>(s[i++]));
    if (basis == 8 && d >= 8 && !oktalGewarnt) {
      z.melde(46);
      oktalGewarnt = true;
    }
    wert = wert * uint32_t(basis) + uint32_t(d);
  }
  while (i < s.size() && strchr("uUlL", s[i])) ++i;
  if (i < s.size() && IstNamensZeichen(static_cast<unsigned char>(s[i]))) return Fehler(13);
  Wert(wert);
}

void Auswertung::Zeichen() {
  ++i;
  uint32_t wert = 0;
  int anzahl = 0;
  int erstes = 0;
  while (i < s.size() && s[i] != '\'') {
    int c = static_cast<unsigned char>(s[i++]);
    if (c == '\\' && i < s.size()) {
      c = static_cast<unsigned char>(s[i++]);
      const char* flucht = strchr("n\nt\tr\ra\ab\bf\fv\v", c);
      if (c == 'x') {
        c = 0;
        while (i < s.size() && Ziffer(static_cast<unsigned char>(s[i])) < 16)
          c = (c * 16 + Ziffer(static_cast<unsigned char>(s[i++]))) & 0xFF;
      } else if (c >= '0' && c <= '7') {
        c -= '0';
        for (int k = 0; k < 2 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++k) c = (c * 8 + s[i++] - '0') & 0xFF;
      } else if (flucht && c != 0 && (flucht - "n\nt\tr\ra\ab\bf\fv\v") % 2 == 0) {
        c = static_cast<unsigned char>(flucht[1]);
      }
    }
    if (anzahl++ == 0) erstes = c;
    wert = wert << 8 | uint32_t(c & 0xFF);
  }
  if (i < s.size()) ++i;
  if (anzahl > 1) z.melde(47, erstes);
  Wert(wert);
}

void Auswertung::Sizeof() {
  auto blanks = [&] { while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i; };
  blanks();
  if (i >= s.size() || s[i] != '(') return Fehler(22);
  ++i;
  int typ = -1;
  bool zeiger = false, modifikator = false;
  for (;;) {
    blanks();
    if (i < s.size() && s[i] == ')') break;
    if (i < s.size() && s[i] == '*') {
      zeiger = true;
      ++i;
      continue;
    }
    std::string wort;
    while (i < s.size() && IstNamensZeichen(static_cast<unsigned char>(s[i]))) wort += s[i++];
    if (wort.empty()) return Fehler(22);
    static constexpr const char* TYPEN[] = {"char", "short", "int", "long", "float", "double"};
    int neu = -1;
    for (int k = 0; k < 6; ++k)
      if (wort == TYPEN[k]) neu = k;
    if (wort == "unsigned" || wort == "signed") {
      modifikator = true;
      continue;
    }
    if (neu < 0) return Fehler(23, wort.c_str());
    if (typ >= 0 && !((typ == 1 || typ == 3) && neu == 2)) return Fehler(24);
    if (typ < 0) typ = neu;
  }
  ++i;
  if (typ < 0 && modifikator) typ = 2;
  if (typ < 0 && !zeiger) return Fehler(25);
  Wert(uint32_t(z.sizeofGroessen[zeiger ? 6 : typ]));
}

int32_t Auswertung::Ergebnis() {
  while (i < s.size() && !fehler && !z.abbruch) {
    const unsigned char c = s[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      ++i;
    } else if (c >= '0' && c <= '9') {
      Zahl();
    } else if (c == '\'') {
      Zeichen();
    } else if (IstNamensAnfang(c)) {
      std::string wort;
      while (i < s.size() && IstNamensZeichen(static_cast<unsigned char>(s[i]))) wort += s[i++];
      if (wort == "sizeof")
        Sizeof();
      else
        Wert(0);
    } else if (c == '"') {
      Fehler(18);
    } else if (c == '\\') {
      Fehler(21);
    } else if (c == '=' && (i + 1 >= s.size() || s[i + 1] != '=')) {
      Fehler(20);
    } else if (c == '(') {
      if (!erwarteWert) return Fehler(14, "("), 1;
      if (ops.size() >= size_t(MAX_STAPEL)) return Fehler(15, "("), 1;
      ops.push_back({KLAMMER, false});
      ++i;
    } else if (c == ')') {
      ++i;
      if (erwarteWert) Fehler(14, ")");
      while (!fehler && !ops.empty() && ops.back().op != KLAMMER) Reduziere();
      if (ops.empty()) Fehler(16, ")");
      if (fehler) break;
      ops.pop_back();
    } else if (erwarteWert && (c == '-' || c == '!' || c == '~') && !(c == '!' && i + 1 < s.size() && s[i + 1] == '=')) {
      Operator(c == '-' ? NEG : c == '!' ? NICHT : KOMPL);
      ++i;
    } else {
      int laenge = 0;
      const Op op = BinaererOperator(s.c_str() + i, laenge);
      if (op == KEIN) {
        z.melde(c > ' ' && c < 127 ? 29 : 30, int(c));
        fehler = true;
        break;
      }
      i += size_t(laenge);
      Operator(op);
    }
  }
  if (!fehler && erwarteWert) Fehler(13);
  while (!fehler && !ops.empty()) Reduziere();
  if (fehler || werte.size() != 1) return 1;
  return int32_t(werte.back());
}

}  // namespace

int Zustand::spaehe() const {
  if (eingaben.empty()) return ENDE;
  const Rahmen& r = eingaben.back();
  return r.pos < r.puffer.size() ? static_cast<unsigned char>(r.puffer[r.pos]) : ENDE;
}

// The rest of 'defined NAME' or 'defined(NAME)' as "1" or "0".
std::string Zustand::definiert() {
  int c = lies();
  while (c == ' ' || c == '\t') c = lies();
  const bool klammer = c == '(';
  if (klammer) do c = lies(); while (c == ' ' || c == '\t');
  std::string name;
  while (IstNamensZeichen(c)) {
    name += char(c);
    if (!IstNamensZeichen(spaehe())) break;
    c = lies();
  }
  if (name.empty() || !IstNamensAnfang(static_cast<unsigned char>(name[0]))) {
    melde(19);
    return "1";
  }
  if (klammer) {
    do c = lies(); while (c == ' ' || c == '\t');
    if (c != ')') {
      melde(19);
      return "1";
    }
  }
  return makros.count(name) ? " 1 " : " 0 ";
}

// Macro-expands a directive's text (within #if, 'defined' first).
std::string Zustand::expandiereText(const std::string& text, bool imIf) {
  const size_t basis = eingaben.size();
  schiebeText(Art::Text, "", text);
  std::string aus;
  for (int c = lies(); c != ENDE && !abbruch; c = lies()) {
    if (IstNamensAnfang(c)) {
      std::string name(1, char(c));
      while (IstNamensZeichen(spaehe())) name += char(lies());
      std::string unveraendert;
      if (imIf && name == "defined")
        aus += definiert();
      else if (!expandiere(name, unveraendert))
        aus += unveraendert;
      continue;
    }
    aus += char(c);
    if (c >= '0' && c <= '9')
      while (IstNamensZeichen(spaehe())) aus += char(lies());
    if (c == '"' || c == '\'') {
      for (int d = lies(); d != ENDE; d = lies()) {
        aus += char(d);
        if (d == '\\' && spaehe() != ENDE) aus += char(lies());
        else if (d == c) break;
      }
    }
  }
  while (eingaben.size() > basis) entferneRahmen();
  return aus;
}

int32_t Zustand::werteAus(const std::string& zeile) {
  const int fehlerVorher = fehler;
  const std::string text = expandiereText(zeile, true);
  if (fehler != fehlerVorher) return 1;
  return Auswertung(*this, text).Ergebnis();
}

}  // namespace cpp
