#!/usr/bin/env bash
# The main job on the bundled sample site: pack it, unpack it elsewhere, and
# compare the two trees; then build the Debian package of the Linux tool and
# the two Windows release packages.
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
bash scripts/package.sh
echo "Windows builds: build-win64/bin/Torvan.exe and TorvanExt.dll, build-win64/cli/torvan.exe (and the same in build-win32/)"
VERSION="$(cat "$ROOT/VERSION")"
echo "Release packages: $ROOT/dist/Torvan-$VERSION-win32.zip and $ROOT/dist/Torvan-$VERSION-win64.zip"
echo "Installers: $ROOT/dist/Torvan-$VERSION-setup-win64.exe and $ROOT/dist/Torvan-$VERSION-setup-win32.exe"
echo "Debian package: $ROOT/dist/torvan_${VERSION}_$(dpkg --print-architecture).deb"
echo "Windows 11 menu package: $ROOT/dist/TorvanShell.msix (certificate: $ROOT/dist/TorvanShell.cer)"
