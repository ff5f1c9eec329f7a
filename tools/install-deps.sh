#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the workbench need, and only those
# that are missing. Usage: tools/install-deps.sh [--fuzz]
set -euo pipefail

packages=(
  cmake ninja-build g++ make          # the build
  qt6-base-dev                        # Qt 6 Widgets, Qt Test, printing and threads
  qt6-charts-dev                      # the voltage profile of the calculation results
  qt6-svg-dev                         # the network diagram saved as SVG
  libqt6opengl6-dev                   # Qt OpenGL's CMake files, which Qt Charts' CMake files ask for
  qt6-translations-l10n               # Russian texts of Qt's own buttons and file dialogs
  nlohmann-json3-dev                  # JSON output of korvane10-tool
  libgl-dev                           # OpenGL headers that Qt 6 Widgets' CMake files ask for
)
if [[ "${1:-}" == "--fuzz" ]]; then
  packages+=(clang libclang-rt-14-dev)  # libFuzzer and the sanitizers' runtime for clang
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
