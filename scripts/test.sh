#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the native
# suite, then the Windows suites of both architectures under Wine and Xvfb.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

bash scripts/setup.sh || exit 1
bash scripts/build.sh || exit 1

status=0
echo "== native tests"
ctest --test-dir build --output-on-failure --timeout 900 || status=1

echo "== fuzzing the archive reader (60 s)"
bash tests/fuzz/run.sh 60 || status=1

echo "== Debian package of the Linux tool"; bash tests/debian/check.sh || status=1

source scripts/wine-env.sh
wine_prefix_ready || exit 1
wine_display_ready || exit 1
trap wine_shutdown EXIT

runnable=" $(wine_runnable_builds) "
for dir in build-win64 build-win32; do
  if [[ "$runnable" == *" $dir "* ]]; then
    echo "== Windows tests ($dir, under Wine)"
    ctest --test-dir "$dir" --output-on-failure --timeout 900 || status=1
  else
    # What needs no execution still holds for this build: imports, exports.
    echo "== Windows checks that run nothing ($dir)"
    ctest --test-dir "$dir" --output-on-failure -L static || status=1
  fi
done

echo "== release packages: contents, DLL dependencies, unpacked under Wine"
bash tests/package/check.sh || status=1
bash tests/installer/check.sh || status=1
bash tests/package/check-msix.sh || status=1

echo "== reproducible releases: two clean builds, byte for byte"
bash scripts/check-reproducible.sh || status=1

echo "== interop: archives between the Linux and the Windows builds"
bash scripts/interop.sh build $(wine_runnable_builds) || status=1

# The Windows tests leave screenshots as BMP files; PNG is what people look at.
shopt -s nullglob
for bmp in build/screenshots/*/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done

wine32_skip_note
exit $status
