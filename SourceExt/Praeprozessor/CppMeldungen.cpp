// The numbered messages and their report with the chain of enclosing inputs.
#include <cstdarg>
#include <cstdio>

#include "CppZustand.h"

namespace cpp {
namespace {

constexpr const char* MELDUNGEN[67] = {
    "#%s must be in an #if",
    "#%s may not follow #else",
    "#error directive encountered",
    "Preprocessor assertion failure",
    "#if, #ifdef, or #ifndef without an argument",
    "#include syntax error",
    "#define syntax error",
    "Redefining defined variable \"%s\"",
    "Illegal #undef argument",
    "Recursive macro definition of \"%s\"(Defined by \"%s\")",
    "end of file within macro argument",
    "misplaced constant in #if",
    "#if value stack overflow",
    "Illegal #if line",
    "Operator %s in incorrect context",
    "expression stack overflow at op \"%s\"",
    "unbalanced paren's, op is \"%s\"",
    "Misplaced '?' or ':', previous operator is %s",
    "Can't use a string in an #if",
    "Bad #if ... defined() syntax",
    "= not allowed in #if",
    "Unexpected \\ in #if",
    "#if ... sizeof() syntax error",
    "#if sizeof, unknown type \"%s\"",
    "#if ... sizeof: illegal type combination",
    "#if sizeof() error, no type specified",
    "Unterminated string",
    "EOF in comment",
    "Inside #ifdef block at end of input, depth = %d",
    "illegal character '%c' in #if",
    "illegal character (%d decimal) in #if",
    "#if ... sizeof: bug, unknown type code 0x%x",
    "#if bug, operand = %d.",
    "Strange character '%c' after ##",
    "Strange character (%d.) after ##",
    "",
    "Control line \"%s\" within macro expansion",
    "Illegal # command \"%s\"",
    "Unexpected text in #control line ignored",
    "too few values specified to sizeof",
    "too many values specified to sizeof! Not used.",
    "\"%s\" wasn't defined",
    "Internal error!",
    "Macro \"%s\" needs arguments",
    "Wrong number of macro arguments for \"%s\"",
    "%s by zero in #if, zero result assumed",
    "Illegal digit in octal number",
    "multi-byte constant '%c' isn't portable",
    "Cannot open include file \"%s\"",
    "Illegal bracket '[]' balance, depth = %d",
    "Illegal parentheses '()' balance, depth = %d",
    "Illegal brace '{}' balance, depth = %d",
    "Nested comment",
    "",
    "Too many nested #%s statements",
    "Filename work buffer overflow",
    "Too many include directories",
    "Too many include files",
    "Too many arguments for macro",
    "Macro work area overflow",
    "Bug: Illegal __ macro \"%s\"",
    "Too many arguments in macro expansion",
    "Out of space in macro \"%s\" arg expansion",
    "work buffer overflow doing %s ##",
    "Work buffer overflow",
    "Out of memory",
    "Too much pushback",
};

const char* Schwere(int nummer) {
  if (nummer <= 34) return "Error";
  if (nummer <= 52) return "Warning";
  return "Fatal";
}

}  // namespace

void Zustand::sende(const char* format, ...) {
  va_list argumente;
  va_start(argumente, format);
  if (melder)
    melder(daten, format, argumente);
  else
    vfprintf(stderr, format, argumente);
  va_end(argumente);
}

void Zustand::melde(int nummer, ...) {
  if (nummer < 0 || nummer > 66) nummer = 42;
  if (nummer <= 34) ++fehler;
  if (nummer >= 53) abbruch = true;
  if (meldungenAbgeschnitten) return;

  const int datei = aktuelleDatei();
  const std::vector<int> kette = umgebendeEingaben(datei);
  if (meldezeilen + 1 + kette.size() > MAX_MELDEZEILEN) {
    meldungenAbgeschnitten = true;
    sende("cpp: too many messages, the rest are not shown\n");
    return;
  }
  meldezeilen += 1 + kette.size();

  const std::string& name = datei >= 0 ? eingaben[datei].name : eingabeName;
  sende("%s\"%s\", line %d: %s: ", "cpp: ", name.c_str(), aktuelleZeile(), Schwere(nummer));
  va_list argumente;
  va_start(argumente, nummer);
  if (melder)
    melder(daten, MELDUNGEN[nummer], argumente);
  else
    vfprintf(stderr, MELDUNGEN[nummer], argumente);
  va_end(argumente);
  sende("\n");

  for (size_t k = 0; k < kette.size(); ++k) {
    const Rahmen& r = eingaben[kette[k]];
    const char* ende = k + 1 == kette.size() ? "." : ",";
    if (r.art == cpp::Art::Makro)
      sende(" from macro %s%s\n", r.name.c_str(), ende);
    else
      sende(" from file %s, line %d%s\n", r.name.c_str(), r.zeile, ende);
  }
}

// The inputs enclosing the current file, innermost first: the chain a message lists.
std::vector<int> Zustand::umgebendeEingaben(int datei) const {
  std::vector<int> kette;
  for (int i = int(eingaben.size()) - 1; i >= 0; --i) {
    if (i == datei) continue;
    const cpp::Art a = eingaben[i].art;
    if (a == cpp::Art::Makro || a == cpp::Art::Datei || a == cpp::Art::Hauptleser) kette.push_back(i);
  }
  return kette;
}

}  // namespace cpp
