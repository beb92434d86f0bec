#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program with its demo content and starts it.
# Extra arguments go to the program (for example --screenshot shot.png --topic znaki).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTM_TESTS=OFF -DTM_BENCH=OFF
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"

# The browser engine refuses to start its sandbox as root.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

if [ -x build/TrevalonMedia ]; then
  exec build/TrevalonMedia "$@"
fi
# Until the window exists: show what the bundled fragment files hold.
for f in build/source/*.frag; do
  [ -e "$f" ] || { echo "no demo content was generated"; exit 1; }
  echo "== $f"
  build/tools/trevalon-frag streams "$f"
done
