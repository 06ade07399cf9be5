#!/usr/bin/env bash
# Installs what the game needs, builds the game with its data (no tests, fuzz targets or
# benchmarks) in the preset "standard" and starts it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ -z "${DISPLAY:-}" ]; then
  echo "starte: MORVELUNT braucht eine X-Anzeige (DISPLAY ist nicht gesetzt); ohne Bildschirm zum Beispiel mit xvfb-run -a bash skripte/starte.sh" >&2
  exit 1
fi

bash skripte/abhaengigkeiten.sh spiel
cmake --preset standard -DMORVELUNT_TESTS=OFF
cmake --build --preset standard -j "$(nproc)" --target morvelunt
exec build/bin64/morvelunt
