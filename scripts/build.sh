#!/usr/bin/env bash
# Builds Torvan natively (build/) and for Windows, 64-bit (build-win64/) and
# 32-bit (build-win32/). Pass "native" to build only the Linux side.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
JOBS="${JOBS:-$(nproc)}"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS"

if [ "${1:-all}" = "native" ]; then exit 0; fi

for arch in win64:x86_64 win32:i686; do
  dir="build-${arch%%:*}"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-${arch##*:}.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$dir" -j "$JOBS"
done
