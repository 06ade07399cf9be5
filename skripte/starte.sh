#!/usr/bin/env bash
# Installs what is missing, builds the preset "standard" and starts the game.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash skripte/abhaengigkeiten.sh
cmake --preset standard
cmake --build --preset standard -j "$(nproc)"
exec build/bin64/morvelunt
