#!/usr/bin/env bash
# The main job on the bundled sample site: pack it, unpack it elsewhere, and
# compare the two trees.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

bash scripts/setup.sh
bash scripts/build.sh

out="$ROOT/build/sample-run"
rm -rf "$out" && mkdir -p "$out/unpacked"
./build/cli/torvan pack samples/site -o "$out/site.dat.gz"
./build/cli/torvan unpack "$out/site.dat.gz" -C "$out/unpacked"
diff -r samples/site "$out/unpacked/site" && echo "sample: unpacked tree matches samples/site"
echo "Windows builds: build-win64/ and build-win32/ (torvan.exe runs under Wine: scripts/wine-run.sh build-win64/cli/torvan.exe --help)"
