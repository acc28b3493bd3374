#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Vorlink need.
set -euo pipefail
packages=(
  cmake ninja-build g++ ccache pkg-config pxlib-dev
  qt6-base-dev qt6-serialport-dev qt6-multimedia-dev libgl-dev
  qt6-qpa-plugins libqt6multimedia6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  qt6-translations-l10n fonts-dejavu-core
  xvfb xauth pulseaudio pulseaudio-utils sox
  socat
  cups printer-driver-cups-pdf poppler-utils
  openssl
  python3-vobject khard abook python3-icalendar
  radicale xandikos vdirsyncer python3-caldav librapidcheck-dev
  qtkeychain-qt6-dev gnome-keyring libsecret-tools
  trayer desktop-file-utils shared-mime-info appstream
  dpkg-dev fakeroot file lintian man-db bash-completion
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
