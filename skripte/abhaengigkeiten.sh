#!/usr/bin/env bash
# Installs the Debian packages the project builds, runs and tests with.
# Calls apt-get only when a package is missing.
set -euo pipefail

PAKETE=(
  build-essential cmake pkg-config libglfw3-dev libepoxy-dev libgl1-mesa-dri libegl-dev
  xvfb xauth mesa-utils xdotool glslang-tools glslang-dev spirv-cross
  libspirv-cross-c-shared-dev libopenal-dev libvorbis-dev libogg-dev libboost-context-dev
  libconcurrentqueue-dev libtinyxml-dev libsquish-dev libstb-dev libfreetype-dev
  fonts-dejavu-core zlib1g-dev libfmt-dev libunwind-dev libgtest-dev libgmock-dev
  libbenchmark-dev clang-14 libclang-rt-14-dev sox vorbis-tools
  libdw-dev lldb-14 libpng-dev libx11-dev
)

fehlend=()
for paket in "${PAKETE[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$paket" 2>/dev/null || true)
  if [ "$status" != "install ok installed" ]; then
    fehlend+=("$paket")
  fi
done

if [ ${#fehlend[@]} -eq 0 ]; then
  echo "abhaengigkeiten: alle ${#PAKETE[@]} Pakete vorhanden"
  exit 0
fi

echo "abhaengigkeiten: installiere ${fehlend[*]}"
als_root=()
if [ "$(id -u)" -ne 0 ]; then
  als_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${als_root[@]}" apt-get update < /dev/null
"${als_root[@]}" apt-get install -y "${fehlend[@]}" < /dev/null
