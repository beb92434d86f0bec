#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the program with its demo content and starts it.
# Extra arguments go to the program (for example --screenshot shot.png --topic znaki).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target TrevalonMedia trevalon-frag demo_content

# The browser engine refuses to start its sandbox as root.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

exec build/TrevalonMedia "$@"
