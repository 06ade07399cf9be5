#!/usr/bin/env bash
# Layer check over Source/ and SourceExt/: engine and game code reach the platform only through
# Plattform/ headers. Reports every violation as "file:line: reason" and fails when there is one:
#   - no platform test (__linux__, __unix__, __gnu_linux__, _WIN32, _WIN64)
#   - no POSIX, system, OpenGL, epoxy, EGL, OpenAL, Ogg/Vorbis, X11 or Windows header
#   - GLFW (header and glfw... calls) only in the screen's files, SourceExt/Zarvoklassen/Zarvo_Screen3D.* and
#     its window system, SourceExt/Zarvoklassen/Zarvo_FenstersystemGlfw.*
#   - no rand/srand/std::rand (win32::rand from Plattform/system/Zufall.h instead)
#   - no signal header or call (signal, sigaction, raise, ...), no raw write, no libunwind or libdw
#     call (the crash handler's stand-ins in Plattform/system/ instead)
# Comments and string literals are not code; the include check reads the directive as written.
# Usage: pruefe_schichten.sh [repository root]   (default: the root this script belongs to)
set -euo pipefail

wurzel=${1:-"$(dirname "${BASH_SOURCE[0]}")/.."}
cd "$wurzel"

ordner=()
for o in Source SourceExt; do
  [ -d "$o" ] && ordner+=("$o")
done
if [ ${#ordner[@]} -eq 0 ]; then
  echo "pruefe_schichten: weder Source/ noch SourceExt/ in $(pwd)" >&2
  exit 2
fi

mapfile -d '' dateien < <(find "${ordner[@]}" -type f \
  \( -name '*.h' -o -name '*.hpp' -o -name '*.hh' -o -name '*.inl' -o -name '*.ipp' \
     -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' -o -name '*.cxx' \) -print0 | sort -z)

if [ ${#dateien[@]} -eq 0 ]; then
  echo "pruefe_schichten: keine Quelldateien"
  exit 0
fi

perl -e '
use strict;
use warnings;

my $posix = qr{^(?:unistd|fcntl|pthread|dlfcn|dirent|pwd|grp|poll|sched|semaphore|spawn|termios|
                  ucontext|execinfo|link|elf|libunwind|syslog|strings|glob|fnmatch|wordexp|libgen|
                  utime|aio|mqueue|netdb|iconv|langinfo|nl_types|windows|winsock2|signal|dwarf)\.h$
                  |^csignal$}x;
my $ordner = qr{^(?:sys|arpa|netinet|net|linux|asm|bits|gnu|elfutils|GL|GLES|GLES2|GLES3|EGL|KHR|
                   epoxy|AL|vorbis|ogg|X11|xcb)/}x;
my $bildschirm = qr{^SourceExt/Zarvoklassen/Zarvo_(?:Screen3D|FenstersystemGlfw)\.[^/]+$};

my $funde = 0;
sub melde { my ($datei, $zeile, $text) = @_; print "$datei:$zeile: $text\n"; $funde++; }

for my $datei (@ARGV) {
  open(my $fh, "<", $datei) or die "pruefe_schichten: $datei: $!\n";
  my $imKommentar = 0;
  my $nr = 0;
  my $glfwErlaubt = $datei =~ $bildschirm;
  while (my $roh = <$fh>) {
    $nr++;
    # Code without comments and string or character literals.
    my $code = "";
    my $rest = $roh;
    while (length $rest) {
      if ($imKommentar) {
        if ($rest =~ s{^.*?\*/}{}s) { $imKommentar = 0; $code .= " "; } else { $rest = ""; }
        next;
      }
      if ($rest =~ s{^//.*}{}s) { next; }
      if ($rest =~ s{^/\*}{}) { $imKommentar = 1; next; }
      if ($rest =~ s{^"(?:[^"\\]|\\.)*"}{}s) { $code .= q{""}; next; }
      if ($rest =~ s{^\x27(?:[^\x27\\]|\\.)*\x27}{}s) { $code .= "0"; next; }
      $rest =~ s{^(.)}{}s;
      $code .= $1;
    }

    if ($code =~ /\b(__linux__|__gnu_linux__|__unix__|_WIN32|_WIN64)\b/) {
      melde($datei, $nr, "Plattformabfrage $1 (Plattform-Code gehoert nach Plattform/)");
    }
    if ($code =~ /^\s*#\s*include\b/ && $roh =~ /^\s*#\s*include\s*[<"]([^>"]+)[>"]/) {
      my $kopf = $1;
      if ($kopf =~ $posix || $kopf =~ $ordner) {
        melde($datei, $nr, "Systemkopf <$kopf> (nur ueber Plattform/ erreichbar)");
      } elsif ($kopf =~ m{^GLFW/} && !$glfwErlaubt) {
        melde($datei, $nr, "GLFW-Kopf <$kopf> ausserhalb von Zarvo_Screen3D.* und Zarvo_FenstersystemGlfw.*");
      }
    }
    if (!$glfwErlaubt && $code =~ /\b(glfw[A-Z]\w*)\s*\(/) {
      melde($datei, $nr, "GLFW-Aufruf $1 ausserhalb von Zarvo_Screen3D.* und Zarvo_FenstersystemGlfw.*");
    }
    if ($code =~ /(?<![\w:.>])((?:std\s*)?(?:::\s*)?s?rand)\s*\(/) {
      (my $aufruf = $1) =~ s/\s+//g;
      melde($datei, $nr, "$aufruf() (win32::rand aus Plattform/system/Zufall.h benutzen)");
    }
    if ($code =~ /(?<![\w:.>])((?:std\s*)?(?:::\s*)?(?:write|signal|sigaction|sigaltstack|sigprocmask|pthread_sigmask|raise|kill|alarm))\s*\(/) {
      (my $aufruf = $1) =~ s/\s+//g;
      melde($datei, $nr, "$aufruf() (Signale und rohes write nur in Plattform/)");
    }
    if ($code =~ /(?<![\w:.>])((?:unw|dwfl|dwarf)_\w+)\s*\(/) {
      melde($datei, $nr, "$1() (Stapel und Symbole nur in Plattform/)");
    }
  }
  close($fh);
}

if ($funde) {
  print STDERR "pruefe_schichten: Schichtung verletzt ($funde Fundstellen)\n";
  exit 1;
}
print "pruefe_schichten: ", scalar(@ARGV), " Dateien, keine Verstoesse\n";
' "${dateien[@]}"
