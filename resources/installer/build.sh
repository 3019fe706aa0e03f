#!/usr/bin/env bash
# Builds the two Windows installers from the release zips that
# scripts/package.sh has just written, so that an installation holds exactly
# what a zip holds:
#   Torvan-<version>-setup-win64.exe  64-bit stub, the x86_64 binaries
#   Torvan-<version>-setup-win32.exe  32-bit stub, the i686 binaries
# Usage: build.sh [dist folder]   (default: dist/ at the top of the tree)
#
# makensis has scripts/sign.sh sign each uninstaller before it goes into its
# installer, and then the installer itself.
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
VERSION="$(cat "$ROOT/VERSION")"
DIST="$(cd "${1:-$ROOT/dist}" && pwd)"  # absolute: makensis works in this folder

source "$ROOT/scripts/sign.sh"
stage=""
trap 'rm -rf "$stage"; signing_end' EXIT
signing_begin

for arch in win64 win32; do
  zip_file="$DIST/Torvan-$VERSION-$arch.zip"
  icon="$ROOT/build-$arch/resources/icon/Torvan.ico"
  for input in "$zip_file" "$icon"; do
    [ -f "$input" ] || { echo "installer: $input missing (build and package first)" >&2; exit 1; }
  done
  stage="$(mktemp -d)"
  unzip -q "$zip_file" -d "$stage"
  out="$DIST/Torvan-$VERSION-setup-$arch.exe"
  makensis -V2 -INPUTCHARSET UTF8 -DARCH="$arch" -DSTAGE="$stage" -DICON="$icon" \
           -DOUTFILE="$out" -DDIST="$DIST" \
           -DSIGN="$ROOT/scripts/sign.sh" "$HERE/Torvan.nsi"
  rm -rf "$stage"
  echo "installer: $out"
done
