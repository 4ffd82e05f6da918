#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Lexitor Trainer need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libpulse-dev libqt6sql6-sqlite
  # run
  fonts-liberation qt6-qpa-plugins xdg-utils
  # database tooling
  sqlite3 libsqlite3-dev
  # benchmarks
  time bc
  # desktop and sound testing
  xvfb xauth xdotool x11-utils imagemagick pulseaudio pulseaudio-utils sox
  at-spi2-core python3-pyatspi python3 openbox wmctrl dbus
  # fuzzing (tools/fuzz.sh): clang with libFuzzer and the sanitizer runtimes
  clang libclang-rt-dev
  # packaging checks
  appstream desktop-file-utils dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
