#!/usr/bin/env bash
# Installs what the game needs, builds the game with its data (no tests, fuzz targets or
# benchmarks) in the preset "standard" and starts it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash skripte/abhaengigkeiten.sh spiel
cmake --preset standard -DMORVELUNT_TESTS=OFF
cmake --build --preset standard -j "$(nproc)" --target morvelunt
exec build/bin64/morvelunt
