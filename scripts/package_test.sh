#!/usr/bin/env bash
# Builds the Debian package, checks it (lintian, desktop-file-validate, the MIME file), and
# installs it into a fresh minimal Debian 12 root where the program takes a screenshot and
# trevalon-frag checks the demo content.
#
#   scripts/package_test.sh              build and check the package, then the install test
#   scripts/package_test.sh --no-install build and check only
#
# The install test needs root and debootstrap. The minimal root is made once from this
# machine's own Debian mirror and kept in build/package-test/minbase (downloaded packages
# in build/package-test/archives), so re-runs take a copy of it and are fast.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
build=$top/build
work=$build/package-test
install_test=1
[ "${1:-}" = "--no-install" ] && install_test=0

echo "== package: build and cpack"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTM_WERROR=ON
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target TrevalonMedia trevalon-frag \
  demo_content ruffle_player help_pages man_pages app_icons
rm -f "$build"/trevalonmedia_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/trevalonmedia_*_amd64.deb)
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"

echo "== package: lintian, desktop-file-validate, MIME file"
lintian --fail-on error "$deb"
desktop-file-validate packaging/trevalonmedia.desktop

if [ "$install_test" -eq 0 ]; then
  echo "package: install test not asked for (--no-install)"
  exit 0
fi
if [ "$(id -u)" -ne 0 ] || ! command -v debootstrap >/dev/null; then
  echo "package: install test SKIPPED (needs root and debootstrap)"
  exit 0
fi

# The machine's own Debian mirror (deb822 or one-line sources); TM_DEBIAN_MIRROR overrides.
mirror=${TM_DEBIAN_MIRROR:-$( (cat /etc/apt/sources.list /etc/apt/sources.list.d/*.sources \
  /etc/apt/sources.list.d/*.list 2>/dev/null || true) | grep -E '^(URIs:|deb )' |
  grep -oE 'https?://[^ ]*/debian/?( |$)' | head -n1 | tr -d ' ' || true)}
mirror=${mirror:-http://deb.debian.org/debian}

mkdir -p "$work/archives"
if [ ! -x "$work/minbase/usr/bin/apt-get" ]; then
  echo "== package: debootstrap bookworm from $mirror (once; kept in $work/minbase)"
  rm -rf --one-file-system "$work/minbase"
  nice debootstrap --variant=minbase bookworm "$work/minbase" "$mirror"
fi

root=$work/root
mounts=()
cleanup() {
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[$i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
bind() { mount "$@"; mounts+=("${*: -1}"); }

# Nothing may stay mounted inside the old root before it goes.
if findmnt -rn -o TARGET | grep -q "^$root/"; then
  echo "package: something is still mounted under $root; not removing it" >&2
  exit 1
fi
echo "== package: a fresh root from the cached minimal one"
rm -rf --one-file-system "$root"
cp -a "$work/minbase" "$root"
suite_security=$(echo "$mirror" | sed 's|/debian/*$|/debian-security|')
cat >"$root/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $suite_security bookworm-security main
SOURCES
bind -t proc proc "$root/proc"
bind -t tmpfs tmpfs "$root/dev/shm"
mkdir -p "$root/dev/pts" && bind -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
bind -t tmpfs tmpfs "$root/tmp"
bind --bind "$work/archives" "$root/var/cache/apt/archives"
cp "$deb" "$root/tmp/"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

echo "== package: apt-get install ./$(basename "$deb")"
start=$(date +%s)
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$deb")" >"$work/apt.log"
echo "package: installed in $(($(date +%s) - start)) s ($(du -sm --exclude=proc "$root" | cut -f1) MiB root)"

echo "== package: the installed programs"
in_root trevalonmedia --version
in_root env QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
  trevalonmedia --screenshot /tmp/installed.png --topic znaki
cp "$root/tmp/installed.png" "$work/installed.png"
[ -s "$work/installed.png" ] || { echo "package: no screenshot" >&2; exit 1; }
echo "package: screenshot $work/installed.png"
in_root sh -c 'trevalon-frag check /usr/lib/trevalonmedia/source/*.frag'
in_root man -w trevalonmedia trevalon-frag >/dev/null 2>&1 || \
  test -f "$root/usr/share/man/man1/trevalonmedia.1.gz"
test -f "$root/usr/lib/trevalonmedia/help/index.html"
test -f "$root/usr/lib/trevalonmedia/ruffle/ruffle.js" || echo "package: note: no Flash player in the package"

echo "== package: a lesson's file type"
cp "$build/source/def1.frag" "$root/tmp/lesson.les"
type=$(in_root env XDG_DATA_DIRS=/usr/share xdg-mime query filetype /tmp/lesson.les)
echo "package: xdg-mime says $type"
[ "$type" = "application/x-trevalon-lesson" ]
default=$(in_root env XDG_DATA_DIRS=/usr/share xdg-mime query default application/x-trevalon-lesson)
echo "package: lessons open with $default"
[ "$default" = "trevalonmedia.desktop" ]
echo "== package: all checks passed"
