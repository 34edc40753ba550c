#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the program.
# Idempotent: does nothing when every package is already installed.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n qt6-l10n-tools
  libfontconfig-dev
  fonts-ipafont-gothic fonts-ipafont-mincho python3-fonttools python3-brotli
  xvfb xauth openbox xdotool x11-utils imagemagick libxcb-xfixes0-dev
  dbus ibus ibus-anthy ibus-mozc fcitx5 fcitx5-mozc fcitx5-frontend-qt6 x11-xserver-utils
  weston qt6-wayland
  desktop-file-utils appstream
  dpkg-dev file devscripts
)

# Optional groups, named on the command line, for the builds that alone need them.
for group in "$@"; do
  case "$group" in
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    bench) packages+=(gdb libxcb1-dev libxcb-damage0-dev) ;;
    format) packages+=(clang-format) ;;
    *) echo "install-deps.sh: no package group '$group'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
