#!/usr/bin/env bash
# Installs the Debian packages of the named sets; calls apt-get only when a package is missing.
#   spiel   building and running the game: compiler, CMake, the libraries, the font, the drivers
#   tests   on top of that, what the tests, fuzz targets and benchmarks need
# Usage: abhaengigkeiten.sh [SATZ...]   (no set: all of them)
set -euo pipefail

declare -A SAETZE=(
  [spiel]="build-essential cmake pkg-config libglfw3-dev libepoxy-dev libegl-dev libx11-dev libgl1-mesa-dri
           glslang-tools glslang-dev libspirv-cross-c-shared-dev libopenal-dev libvorbis-dev libogg-dev
           libboost-context-dev libconcurrentqueue-dev libtinyxml-dev libsquish-dev libstb-dev
           libfreetype-dev fonts-dejavu-core zlib1g-dev libfmt-dev libunwind-dev libdw-dev"
  [tests]="xvfb xauth mesa-utils xdotool spirv-cross libgtest-dev libgmock-dev libbenchmark-dev clang-14
           libclang-rt-14-dev sox vorbis-tools lldb-14 libpng-dev"
)
REIHENFOLGE=(spiel tests)

saetze=("$@")
if [ ${#saetze[@]} -eq 0 ]; then
  saetze=("${REIHENFOLGE[@]}")
fi

pakete=()
for satz in "${saetze[@]}"; do
  if [ -z "${SAETZE[$satz]+da}" ]; then
    echo "abhaengigkeiten: unbekannter Satz '$satz' (bekannt: ${REIHENFOLGE[*]})" >&2
    exit 2
  fi
  read -r -a liste <<<"$(echo ${SAETZE[$satz]})"
  pakete+=("${liste[@]}")
done

fehlend=()
for paket in "${pakete[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$paket" 2>/dev/null || true)
  if [ "$status" != "install ok installed" ]; then
    fehlend+=("$paket")
  fi
done

if [ ${#fehlend[@]} -eq 0 ]; then
  echo "abhaengigkeiten: alle ${#pakete[@]} Pakete vorhanden (${saetze[*]})"
  exit 0
fi

echo "abhaengigkeiten: installiere ${fehlend[*]}"
als_root=()
if [ "$(id -u)" -ne 0 ]; then
  als_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# Another apt run (a second setup, or the system's own updates on a fresh machine) holds the lock
# for a while: wait for it instead of failing.
warte_auf_sperre=(-o DPkg::Lock::Timeout=900)
"${als_root[@]}" apt-get "${warte_auf_sperre[@]}" update < /dev/null
"${als_root[@]}" apt-get "${warte_auf_sperre[@]}" install -y "${fehlend[@]}" < /dev/null
