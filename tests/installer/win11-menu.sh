#!/usr/bin/env bash
# The 64-bit installer's Windows 11 branch under Wine. Wine reports Windows
# 10, so the shipped installer must keep to the classic handler keys; a test
# build that reads build 22631 instead must register the sparse package
# through PowerShell (a stand-in here, which records each command), leave
# the classic keys out, and take the package and its certificate away on
# uninstall while TorvanExt.dll is still there; and when the registration
# fails it must fall back to the classic keys.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$ROOT"
VERSION="$(cat VERSION)"
SETUP="dist/Torvan-$VERSION-setup-win64.exe"
source tests/checks.sh
checks_begin "win11 installer"

for input in "$SETUP" dist/TorvanShell.msix "dist/Torvan-$VERSION-win64.zip"; do
  [ -f "$input" ] || { echo "win11 installer FAIL: $input missing (run scripts/package.sh)" >&2; exit 1; }
done
source scripts/wine-env.sh
wine_prefix_ready || exit 1
wine_display_ready || exit 1

scratch="$(mktemp -d)"
powershell="$WINEPREFIX/drive_c/windows/system32/WindowsPowerShell/v1.0/powershell.exe"
cp "$powershell" "$scratch/wine-powershell.exe"
trap 'cp "$scratch/wine-powershell.exe" "$powershell"; rm -rf "$scratch"' EXIT
x86_64-w64-mingw32-gcc -O1 -o "$scratch/powershell.exe" tests/installer/StandInPowerShell.c || exit 1
cp "$scratch/powershell.exe" "$powershell"

# The same installer, told it runs on Windows 11.
unzip -q "dist/Torvan-$VERSION-win64.zip" -d "$scratch/stage"
makensis -V1 -INPUTCHARSET UTF8 -DARCH=win64 -DSTAGE="$scratch/stage" \
  -DICON="$ROOT/build-win64/resources/icon/Torvan.ico" -DOUTFILE="$scratch/setup-win11.exe" \
  -DDIST="$ROOT/dist" -DFORCE_WINDOWS_BUILD=22631 resources/installer/Torvan.nsi || exit 1

export TORVAN_POWERSHELL_LOG='C:\torvan-powershell.txt'
LOG="$WINEPREFIX/drive_c/torvan-powershell.txt"
FOLDER='C:\TorvanWin11'
export TORVAN_WATCHED_DLL="$FOLDER\\TorvanExt.dll"
UNIX_FOLDER="$WINEPREFIX/drive_c/TorvanWin11"

# The 64-bit installer writes the 64-bit view of the registry.
classic_keys() {
  timeout 60 wine reg query 'HKCR\*\shellex\ContextMenuHandlers\Torvan' /reg:64 >/dev/null 2>&1 &&
    timeout 60 wine reg query 'HKCR\Directory\shellex\ContextMenuHandlers\Torvan' /reg:64 >/dev/null 2>&1
}
install() { rm -f "$LOG"; TORVAN_WINE_TIMEOUT=180 bash scripts/wine-run.sh "$1" /S "/D=$FOLDER"; }
# _?= keeps the uninstaller where it is, so that the run can be waited for.
uninstall() {
  rm -f "$LOG"
  TORVAN_WINE_TIMEOUT=180 bash scripts/wine-run.sh "$FOLDER\\uninstall.exe" /S "_?=$FOLDER"
  rm -f "$UNIX_FOLDER/uninstall.exe"
}
calls() { cat "$LOG" 2>/dev/null; }

# Wine says Windows 10: the classic menu, no PowerShell, no package.
install "$SETUP" || fail "the installer failed under Wine"
classic_keys && pass "Windows 10: classic handler keys written" || fail "Windows 10: classic keys missing"
[ -z "$(calls)" ] && pass "Windows 10: PowerShell never started" || fail "Windows 10: PowerShell ran: $(calls)"
[ ! -e "$UNIX_FOLDER/TorvanShell.msix" ] || fail "Windows 10: the package was installed"
uninstall

# Windows 11, registration succeeds, over an installation made under
# Windows 10 whose classic keys must go.
install "$SETUP" || fail "the installer failed under Wine"
TORVAN_POWERSHELL_EXIT=0 install "$scratch/setup-win11.exe" || fail "the Windows 11 installer failed"
! classic_keys && pass "Windows 11: classic keys left out" || fail "Windows 11: classic keys written too"
calls | grep -F "Import-Certificate -FilePath '$FOLDER\\TorvanShell.cer'" |
  grep -qF 'Cert:\LocalMachine\TrustedPeople' &&
  pass "Windows 11: certificate imported into TrustedPeople" || fail "Windows 11: no certificate import: $(calls)"
calls | grep -qF "Add-AppxPackage -Path '$FOLDER\\TorvanShell.msix' -ExternalLocation '$FOLDER'" &&
  pass "Windows 11: package registered with the install folder" || fail "Windows 11: no registration: $(calls)"
cmp -s "$UNIX_FOLDER/TorvanShell.msix" dist/TorvanShell.msix || fail "Windows 11: the installed package differs"
# Again in place: the certificate trusted before goes first.
TORVAN_POWERSHELL_EXIT=0 install "$scratch/setup-win11.exe" || fail "the Windows 11 installer failed in place"
calls | head -1 | grep -q "TrustedPeople.*Thumbprint" && pass "in place: the earlier certificate removed first" ||
  fail "in place: the earlier certificate was not removed first: $(calls)"
TORVAN_POWERSHELL_EXIT=0 uninstall
calls | grep -q "Remove-AppxPackage.*dll present" && pass "uninstall: package removed before the DLL" ||
  fail "uninstall: package not removed before the DLL: $(calls)"
calls | grep -q "TrustedPeople.*Thumbprint" && pass "uninstall: certificate removed" ||
  fail "uninstall: certificate not removed: $(calls)"
[ -z "$(ls -A "$UNIX_FOLDER" 2>/dev/null)" ] || fail "uninstall left $(ls "$UNIX_FOLDER")"

# Windows 11, registration fails: the classic keys after all.
TORVAN_POWERSHELL_EXIT=1 install "$scratch/setup-win11.exe" || fail "the Windows 11 installer failed on a refusal"
classic_keys && pass "Windows 11, registration refused: classic keys written" ||
  fail "Windows 11, registration refused: no menu at all"
TORVAN_POWERSHELL_EXIT=0 uninstall
classic_keys && fail "uninstall left the classic keys"

checks_end
