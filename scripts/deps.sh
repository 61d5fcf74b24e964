#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
# One list for the whole project: build tools, libraries of every subsystem,
# fonts, the General MIDI soundfont, test and benchmark frameworks.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev
  # data: archives, pictures
  zlib1g-dev libpng-dev libjpeg62-turbo-dev
  # window, input, sound device
  libsdl2-dev
  # fonts
  libfreetype-dev libfontconfig-dev fonts-ipafont-gothic fonts-ipafont-mincho
  # media back end
  libvorbis-dev libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libswscale-dev
  # MIDI
  libfluidsynth-dev timgm6mb-soundfont
  # HTTP component
  libcurl4-openssl-dev
  # in-window dialogs
  libimgui-dev libstb-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev xvfb xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

cmd="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages. Run as root:" >&2
  echo "  apt-get update && $cmd" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
$cmd
