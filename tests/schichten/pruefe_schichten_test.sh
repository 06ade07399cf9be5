#!/usr/bin/env bash
# The layer check itself: a clean tree passes; a tree with violations fails and names each by file:line, nothing else.
set -uo pipefail
pruefung="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../skripte" && pwd)/pruefe_schichten.sh"
arbeit=$(mktemp -d)
trap 'rm -rf "$arbeit"' EXIT
fehler=0

# schreibe WURZEL DATEI ZEILE...: one file of the tree, one argument per line.
schreibe() {
  local wurzel=$1 datei=$2
  shift 2
  mkdir -p "$(dirname "$wurzel/$datei")"
  printf '%s\n' "$@" >"$wurzel/$datei"
}

# Allowed: platform headers, win32::rand, member calls, words that end in "rand", comments,
# strings, GLFW inside the screen.
sauber() {
  local wurzel=$1
  schreibe "$wurzel" SourceExt/Zarvoklassen/Zarvo_Sauber.cpp \
    '#include "Plattform/system/Zufall.h"' \
    '#include <vector>' \
    '// rand() and #include <unistd.h> in a comment, __linux__ too' \
    '/* srand(1);' \
    '   std::rand(); */' \
    'int a = win32::rand();' \
    'int b = operand(a) + zufall.rand() + p->rand();' \
    'const char* t = "rand() __linux__ <GL/gl.h>";' \
    'win32::_write(d, t, 1); win32::SetzeNotAlarm(0); strom.write(t, 1); datei->raise(); Signal(1);'
  schreibe "$wurzel" SourceExt/Zarvoklassen/Zarvo_Screen3D.cpp \
    '#include <GLFW/glfw3.h>' \
    'bool ok = glfwInit();'
  schreibe "$wurzel" SourceExt/Zarvoklassen/Zarvo_Screen3D.h '#include <GLFW/glfw3.h>'
  schreibe "$wurzel" SourceExt/Zarvoklassen/Zarvo_FenstersystemGlfw.cpp \
    '#include <GLFW/glfw3.h>' \
    'void f() { glfwPollEvents(); }'
}

# fall DATEI ZEILE-DES-VERSTOSSES ZEILEN...: one bad file in the tree "verstoesse", expected at that line.
erwartet=()
fall() {
  local datei=$1 zeile=$2
  shift 2
  schreibe "$arbeit/verstoesse" "$datei" "$@"
  erwartet+=("$datei:$zeile: ")
}

sauber "$arbeit/sauber"
if ! ausgabe=$(bash "$pruefung" "$arbeit/sauber" 2>&1); then
  echo "FEHLER sauber: erlaubter Baum abgelehnt:"
  echo "$ausgabe"
  fehler=1
fi

fall Source/spiel/A.cpp                   2  '#include <vector>' '#include <unistd.h>'
fall SourceExt/Gui/B.h                    1  '#  include <sys/stat.h>'
fall SourceExt/OPRIX/C.cpp                1  '#include <pthread.h>'
fall SourceExt/Zarvoklassen/D.cpp         1  '#include <GL/gl.h>'
fall SourceExt/Zarvoklassen/E.cpp         1  '#include <epoxy/gl.h>'
fall Source/spiel/F.cpp                   1  '#include "AL/al.h"'
fall Source/spiel/G.cpp                   1  '#include <vorbis/vorbisfile.h>'
fall Source/spiel/H.cpp                   1  '#include <X11/Xlib.h>'
fall SourceExt/Zarvoklassen/I.h           3  'int a;' 'int b;' '#ifdef __linux__' '#endif'
fall SourceExt/OPRIX/J.cpp                1  '#include <GLFW/glfw3.h>'
fall Source/spiel/K.cpp                   2  'void f() {' '  glfwPollEvents();' '}'
fall SourceExt/Zarvoklassen/Zarvo_FenstersystemFake.cpp 1 'void f() { glfwPollEvents(); }'
fall Source/spiel/L.cpp                   1  'int x = rand() % 6;'
fall Source/spiel/M.cpp                   2  '/* seed */' 'void f() { srand(1); }'
fall SourceExt/Zarvoklassen/N.cpp         1  'int x = std::rand();'
fall SourceExt/Zarvoklassen/O.cpp         1  'int x = ::rand();'
fall SourceExt/Zarvoklassen/P.cpp         3  '/* a' '   b */' 'int x = rand();'
fall SourceExt/Zarvoklassen/Q.cpp         1  '#include <csignal>'
fall Source/spiel/R.cpp                   1  '#include <signal.h>'
fall SourceExt/Zarvoklassen/S.cpp         1  '#include <elfutils/libdwfl.h>'
fall SourceExt/Zarvoklassen/T.cpp         1  'void f() { std::signal(SIGSEGV, SIG_DFL); }'
fall SourceExt/Zarvoklassen/U.cpp         2  'void f() {' '  sigaction(SIGSEGV, &a, nullptr);'
fall Source/spiel/V.cpp                   1  'void f() { raise(SIGABRT); }'
fall SourceExt/Zarvoklassen/W.cpp         1  'void f(int d) { ::write(d, "x", 1); }'
fall SourceExt/Zarvoklassen/X.cpp         1  'bool f(unw_cursor_t* c) { return unw_step(c) > 0; }'
fall SourceExt/Zarvoklassen/Y.cpp         1  'void f(Dwfl* d) { dwfl_end(d); }'

# Together in one tree with the allowed files: exactly the bad lines are reported.
sauber "$arbeit/verstoesse"
ausgabe=$(bash "$pruefung" "$arbeit/verstoesse" 2>&1)
status=$?
if [ "$status" -ne 1 ]; then
  echo "FEHLER: Status $status bei Verstoessen, erwartet 1"
  fehler=1
fi
for stelle in "${erwartet[@]}"; do
  if ! grep -qF -- "$stelle" <<<"$ausgabe"; then
    echo "FEHLER: nicht gemeldet: $stelle"
    fehler=1
  fi
done
gemeldet=$(grep -c '^[^ ]*:[0-9]*: ' <<<"$ausgabe")
if [ "$gemeldet" -ne ${#erwartet[@]} ]; then
  echo "FEHLER: $gemeldet Meldungen, erwartet ${#erwartet[@]}"
  fehler=1
fi
[ "$fehler" -eq 0 ] || echo "$ausgabe"

exit "$fehler"
