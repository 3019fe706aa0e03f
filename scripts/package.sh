#!/usr/bin/env bash
# Builds the Debian package of the Linux tool (scripts/package-deb.sh), then
# the two release packages from the Windows builds:
#   dist/Torvan-<version>-win32.zip  and  dist/Torvan-<version>-win64.zip
# each with Torvan.exe and TorvanExt.dll (from build-<arch>/bin/), the
# console tool as console\torvan.exe (Windows names ignore case, so it cannot
# sit beside Torvan.exe), and README.txt in GBK with CRLF line ends, so that
# Notepad on a Chinese Windows shows it. Run scripts/build.sh first.
#
# Every program is signed first (scripts/sign.sh), and every file in the
# packages carries SOURCE_DATE_EPOCH (scripts/release-date.sh), so two
# builds of one commit with one certificate write the same bytes.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
VERSION="$(cat "$ROOT/VERSION")"
DIST="$ROOT/dist"

bash scripts/package-deb.sh

missing=()
for arch in win32 win64; do
  for file in "build-$arch/bin/Torvan.exe" "build-$arch/bin/TorvanExt.dll" "build-$arch/cli/torvan.exe"; do
    [ -f "$file" ] || missing+=("$file")
  done
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "package: missing build outputs (run scripts/build.sh first):" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi

source scripts/sign.sh
stage=""
trap 'rm -rf "$stage"; signing_end' EXIT
signing_begin

mkdir -p "$DIST"
for arch in win32 win64; do
  stage="$(mktemp -d)"
  mkdir -p "$stage/console"
  cp "build-$arch/bin/Torvan.exe" "build-$arch/bin/TorvanExt.dll" "$stage/"
  cp "build-$arch/cli/torvan.exe" "$stage/console/torvan.exe"
  sed "s/@VERSION@/$VERSION/" resources/README-zh.txt | iconv -f UTF-8 -t GBK | sed 's/$/\r/' > "$stage/README.txt"
  programs=("$stage/Torvan.exe" "$stage/TorvanExt.dll" "$stage/console/torvan.exe")
  sign_files "${programs[@]}"
  # What zip stores besides the bytes: modes, and times in local time.
  chmod 0755 "${programs[@]}"
  chmod 0644 "$stage/README.txt"
  touch --date="@$SOURCE_DATE_EPOCH" "${programs[@]}" "$stage/README.txt"
  zip_file="$DIST/Torvan-$VERSION-$arch.zip"
  rm -f "$zip_file"
  (cd "$stage" && TZ=UTC zip -q -X -D "$zip_file" Torvan.exe TorvanExt.dll console/torvan.exe README.txt)
  rm -rf "$stage"
  echo "package: $zip_file"
done
bash resources/msix/build-msix.sh "$DIST"
bash resources/installer/build.sh "$DIST"
