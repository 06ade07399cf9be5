#!/usr/bin/env bash
# Installs what is missing, then builds and tests every preset:
#   standard  all labels but fuzz; the display tests run on a virtual display of their own
#   asan      einheit and programm under AddressSanitizer and UndefinedBehaviorSanitizer
#   tsan      the unit tests of threaded code under ThreadSanitizer
#   fuzz      every libFuzzer target, each for a bounded time
# All run even when one fails, each prints its summary, and the exit code is non-zero
# when any configure, build or test failed.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

JOBS=$(nproc)
TEST_ZEITLIMIT=300        # seconds, for every test without a limit of its own
ANZEIGE_WARTEZEIT=10      # seconds Xvfb may take to report its display number

start_zeit=$SECONDS

if ! bash skripte/abhaengigkeiten.sh spiel tests; then
  echo "teste: die Pakete konnten nicht installiert werden" >&2
  exit 1
fi

arbeit=$(mktemp -d "${TMPDIR:-/tmp}/morvelunt-teste.XXXXXX")
xvfb_pid=""
aufraeumen() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$arbeit"
}
trap aufraeumen EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Building runs the test programs for test discovery, testing runs them: both see a home of their own.
export HOME="$arbeit/home"
export XDG_DATA_HOME="$HOME/.local/share"
mkdir -p "$XDG_DATA_HOME"
export LIBGL_ALWAYS_SOFTWARE=1
export ALSOFT_DRIVERS=null
export OMP_NUM_THREADS=1
export UBSAN_OPTIONS=print_stacktrace=1

# Starts Xvfb on a free display and exports DISPLAY; fails when no display number arrives in time.
# -noreset: an X server resets whenever its last client has gone and closes the connections that
# arrive meanwhile ("Failed to open display"); display tests come and go all the time.
starte_xvfb() {
  local nummer_datei="$arbeit/xvfb-anzeige"
  : >"$nummer_datei"
  Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$nummer_datei" >"$arbeit/xvfb.log" 2>&1 </dev/null &
  xvfb_pid=$!
  local nummer="" versuch
  for ((versuch = 0; versuch < ANZEIGE_WARTEZEIT * 10; versuch++)); do
    if read -r nummer <"$nummer_datei" && [[ "$nummer" =~ ^[0-9]+$ ]]; then
      export DISPLAY=":$nummer"
      echo "teste: Xvfb (PID $xvfb_pid) auf Anzeige $DISPLAY"
      return 0
    fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "teste: Xvfb hat sich beendet, bevor es eine Anzeige meldete:" >&2
      cat "$arbeit/xvfb.log" >&2
      xvfb_pid=""
      return 1
    fi
    sleep 0.1
  done
  echo "teste: Xvfb meldete innerhalb von ${ANZEIGE_WARTEZEIT} s keine Anzeigenummer:" >&2
  cat "$arbeit/xvfb.log" >&2
  return 1
}

if ! starte_xvfb; then
  exit 1
fi

ergebnisse=()
fehlerprotokolle=()
fehlgeschlagen=0

# stufe PRESET CTEST-ARGUMENTE...: configure, build and test one preset; records the result.
stufe() {
  local preset=$1
  shift
  local protokoll="$arbeit/ctest-$preset.txt"
  local ergebnis=""
  echo
  echo "=== $preset: konfigurieren"
  if ! cmake --preset "$preset"; then
    ergebnis="FEHLER: Konfiguration fehlgeschlagen"
  else
    echo "=== $preset: bauen"
    if ! cmake --build --preset "$preset" -j "$JOBS"; then
      ergebnis="FEHLER: Bau fehlgeschlagen"
    else
      echo "=== $preset: testen"
      if ctest --preset "$preset" --output-on-failure -j "$JOBS" --timeout "$TEST_ZEITLIMIT" "$@" 2>&1 | tee "$protokoll"; then
        ergebnis="ok"
      else
        ergebnis="FEHLER: Tests fehlgeschlagen"
      fi
      local zusammenfassung
      zusammenfassung=$(grep -E "tests passed|No tests were found" "$protokoll" | tail -n 1)
      ergebnis="$ergebnis (${zusammenfassung:-keine Zusammenfassung von ctest})"
    fi
  fi
  [ "${ergebnis%% *}" = "ok" ] || fehlgeschlagen=1
  ergebnisse+=("$(printf '%-9s %s' "$preset" "$ergebnis")")
  if [ -f "$protokoll" ] && grep -q "The following tests FAILED:" "$protokoll"; then
    fehlerprotokolle+=("$protokoll")
  fi
}

# auszug PROTOKOLL: the failed tests of one stage, each with the end of its output, so that the
# end of a long log still names them.
auszug() {
  local protokoll=$1 name liste
  liste=$(sed -n '/The following tests FAILED:/,/^Errors while running/p' "$protokoll")
  echo "--- $(basename "$protokoll" .txt)"
  echo "$liste"
  echo "$liste" |
    sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' |
    while read -r name; do
      echo "----- $name (Ende der Ausgabe)"
      awk -v name="$name" '
        $0 ~ ("Test +#[0-9]+: " name " ") && /(\*\*\*|Failed|Exception|Timeout)/ { zeigen = 1; n = 0; next }
        zeigen && /^ *[0-9]+\/[0-9]+ Test +#/ { zeigen = 0 }
        zeigen && /^ *Start +[0-9]+: / { next }
        zeigen { zeilen[n++ % 40] = $0 }
        END { k = n < 40 ? 0 : n - 40; for (i = k; i < n; i++) print zeilen[i % 40] }
      ' "$protokoll"
    done
}

stufe standard -LE fuzz
stufe asan -L 'einheit|programm'
stufe tsan -L einheit
stufe fuzz -L fuzz

echo
for protokoll in "${fehlerprotokolle[@]}"; do
  auszug "$protokoll"
done
echo
echo "=== Zusammenfassung ($((SECONDS - start_zeit)) s)"
for zeile in "${ergebnisse[@]}"; do
  echo "  $zeile"
done
exit "$fehlgeschlagen"
