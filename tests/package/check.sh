#!/usr/bin/env bash
# The release packages: built by scripts/package.sh, each holds exactly the
# expected files, its README.txt is GBK with CRLF line ends, its programs
# need no DLL beyond Windows' own, and it unpacks into a fresh folder of the
# Wine prefix; and every program in dist/ is signed by the build's
# certificate.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$ROOT"
VERSION="$(cat "$ROOT/VERSION")"

source tests/checks.sh
checks_begin "package"

bash scripts/package.sh || { echo "package FAIL: scripts/package.sh did not build the packages" >&2; exit 1; }

# Without a certificate of its own the build signs with a throwaway one,
# whose public part it ships.
certificate="$(mktemp)"
trap 'rm -f "$certificate"' EXIT
if openssl x509 -inform DER -in dist/TorvanShell.cer -out "$certificate" 2>/dev/null; then
  check_release_signatures dist "$certificate"
else
  fail "dist/TorvanShell.cer is not a certificate"
fi

# What every Windows installation has; anything else would have to ship too.
SYSTEM_DLLS="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll ole32.dll
oleaut32.dll msvcrt.dll shlwapi.dll comdlg32.dll"

source scripts/wine-env.sh
wine_prefix_ready || exit 1

for arch in win32 win64; do
  zip_file="dist/Torvan-$VERSION-$arch.zip"
  [ -f "$zip_file" ] || { fail "$zip_file missing"; continue; }

  listing=$(unzip -Z1 "$zip_file" | LC_ALL=C sort | tr '\n' ' ')
  expected="README.txt Torvan.exe TorvanExt.dll console/torvan.exe "
  [ "$listing" = "$expected" ] && pass "$arch: holds $listing" || fail "$arch: holds '$listing', expected '$expected'"

  unpacked="$WINEPREFIX/drive_c/torvan-package-$arch"
  rm -rf "$unpacked" && mkdir -p "$unpacked"
  unzip -q "$zip_file" -d "$unpacked" || { fail "$arch: does not unzip"; continue; }
  pass "$arch: unpacked into C:\\torvan-package-$arch"

  readme="$unpacked/README.txt"
  iconv -f GBK -t UTF-8 "$readme" >/dev/null 2>&1 && iconv -f GBK -t UTF-8 "$readme" | grep -q '缷载集成' \
    && pass "$arch: README.txt is GBK" || fail "$arch: README.txt is not GBK text naming \"缷载集成\""
  [ "$(grep -c $'\r$' "$readme")" -eq "$(wc -l < "$readme")" ] \
    && pass "$arch: README.txt has CRLF line ends" || fail "$arch: README.txt has bare LF line ends"

  case $arch in win32) objdump=i686-w64-mingw32-objdump ;; win64) objdump=x86_64-w64-mingw32-objdump ;; esac
  for binary in Torvan.exe TorvanExt.dll console/torvan.exe; do
    foreign=""
    for dll in $(LC_ALL=C "$objdump" -p "$unpacked/$binary" | awk '/DLL Name:/ {print tolower($3)}'); do
      case " $(echo $SYSTEM_DLLS) " in *" $dll "*) ;; *) foreign="$foreign $dll" ;; esac
    done
    [ -z "$foreign" ] && pass "$arch: $binary needs only Windows' own DLLs" \
      || fail "$arch: $binary needs$foreign"
  done

  # Run from where the package was unpacked: integrate from Torvan.exe, let
  # the context-menu item start it on a folder, remove the integration.
  case $arch in win32) build=build-win32 ;; win64) build=build-win64 ;; esac
  harness="$build/tests/win/app/app_e2e_win_tests.exe"
  if [[ " $(wine_runnable_builds) " != *" $build "* ]]; then
    echo "package: $arch: not run under Wine (this machine cannot execute 32-bit code)"
  elif [ -f "$harness" ]; then
    TORVAN_EXE="C:\\torvan-package-$arch\\Torvan.exe" bash scripts/wine-run.sh "$harness" \
        --gtest_filter='ExplorerIntegration.*' >"$ROOT/build/package-$arch-integration.log" 2>&1 \
      && pass "$arch: integrated from the unpacked folder; the menu item starts its Torvan.exe" \
      || { fail "$arch: integration from the unpacked folder (see build/package-$arch-integration.log)"; \
           tail -n 30 "$ROOT/build/package-$arch-integration.log" >&2; }
  else
    fail "$arch: $harness is not built"
  fi
done

checks_end
