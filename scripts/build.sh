#!/usr/bin/env bash
# Builds Torvan natively (build/) and for Windows, 64-bit (build-win64/) and
# 32-bit (build-win32/). Pass "native" to build only the Linux side, or
# "release" to build only what scripts/package.sh needs: the shipped
# programs and, natively, the tools that make the Windows 11 package.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
JOBS="${JOBS:-$(nproc)}"
WHAT="${1:-all}"

native_targets=() windows_targets=()
if [ "$WHAT" = release ]; then
  native_targets=(--target msixpack bmp-to-png pixelmap-to-bmp)
  windows_targets=(--target torvan_gui TorvanExt torvan)
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS" "${native_targets[@]}"

if [ "$WHAT" = native ]; then exit 0; fi

for arch in win64:x86_64 win32:i686; do
  dir="build-${arch%%:*}"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-${arch##*:}.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$dir" -j "$JOBS" "${windows_targets[@]}"
done
