#!/usr/bin/env bash
# Installs every Debian package Veltrin needs to build, run and test.
# Does nothing (and asks for nothing) when they are all present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang clang-format libclang-rt-14-dev python3
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-multimedia-dev libqt6svg6
  libjpeg-dev libgif-dev libxxhash-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev tzdata libical-dev
  python3-icalendar python3-vobject khal khard
  libcurl4-openssl-dev libpugixml-dev qtkeychain-qt6-dev gnome-keyring libsecret-1-0 dbus radicale vdirsyncer openssl
  xvfb xauth xdotool fonts-liberation fonts-dejavu-core tango-icon-theme
  desktop-file-utils appstream lintian dpkg-dev file trayer x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
