#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Idempotent: packages already present are left alone. Works as root or via sudo.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build pkg-config git ccache
  clang libclang-rt-14-dev clang-format
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  qt6-webengine-dev qt6-multimedia-dev qt6-image-formats-plugins qt6-translations-l10n
  libgl-dev libxkbcommon-dev
  # compound files
  libgsf-1-dev libgsf-bin
  # media playback and clip generation
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav gstreamer1.0-tools
  # headless runs and fonts
  xvfb xauth fonts-liberation2 xdotool
  # a window manager for the end-to-end runs, as every desktop has one (xprop sees it ready)
  openbox x11-utils
  # a headless Wayland desktop with XWayland for the GNOME-on-Wayland run
  weston xwayland
  # a private session bus for the screen-saver test
  dbus
  # independent checks of the files we write
  python3 python3-olefile libolecf-utils
  # the handouts' PDF, rendered as a reader shows it
  poppler-utils
  # the Debian package and its checks (the install test's minimal root needs debootstrap)
  dpkg-dev lintian desktop-file-utils librsvg2-bin shared-mime-info xdg-utils
  libfile-mimeinfo-perl debootstrap
  # the Flash player over a picture (Ruffle's web build) comes from npm at build time
  nodejs
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
else
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Debian's nodejs comes without npm (a package of its own); NodeSource's includes it.
if ! command -v npm >/dev/null 2>&1; then
  echo "setup: installing npm"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends npm
fi
