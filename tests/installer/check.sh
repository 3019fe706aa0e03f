#!/usr/bin/env bash
# The Windows installers. Static checks of both (machine type, imports,
# version block, icon); then, under Wine in fresh prefixes of their own:
# silent installs into the default folder and into a Chinese-named one, what
# Explorer does with the installed keys, a second install over the first, an
# uninstall that spares the user's own files and leaves the registry as it
# was before the install. The win32 installer runs in a 32-bit prefix where
# the machine runs 32-bit code, and must refuse a 64-bit one.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$ROOT"
VERSION="$(cat VERSION)"
CLSID="$(sed -n 's/^#define PACKMENU_CLSID_TEXT "\(.*\)"$/\1/p' resources/PackMenuClsid.h)"

source tests/checks.sh
checks_begin "installer"

bash scripts/package.sh >/dev/null || { echo "installer FAIL: scripts/package.sh" >&2; exit 1; }
setup_of() { echo "$ROOT/dist/Torvan-$VERSION-setup-$1.exe"; }
# The build's throwaway certificate, which signs the uninstallers too.
SIGNER="$ROOT/build/installer-signer.pem"
openssl x509 -inform DER -in dist/TorvanShell.cer -out "$SIGNER" || fail "dist/TorvanShell.cer is not a certificate"

# A version block naming this version, and an icon.
version_text() { wrestool -x --raw -t 16 "$1" 2>/dev/null | iconv -c -f UTF-16LE -t UTF-8 | tr -d '\0'; }
check_resources() {  # label, file
  check "$1 has a version block naming $VERSION" grep -q "ProductVersion$VERSION" <(version_text "$2")
  check "$1 carries an icon" test -n "$(wrestool -l -t 14 "$2" 2>/dev/null)"
}

# ---- static checks ---------------------------------------------------------
SYSTEM_DLLS=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll ole32.dll "
for arch in win64 win32; do
  setup="$(setup_of $arch)"
  [ -f "$setup" ] || { fail "$setup missing"; continue; }
  case $arch in win64) objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 ;;
                win32) objdump=i686-w64-mingw32-objdump format=pei-i386 ;; esac
  check "$arch: a PE of machine $format" grep -q "file format $format" <(LC_ALL=C "$objdump" -f "$setup")
  foreign=""
  for dll in $(LC_ALL=C "$objdump" -p "$setup" | awk '/DLL Name:/ {print tolower($3)}'); do
    case "$SYSTEM_DLLS" in *" $dll "*) ;; *) foreign="$foreign $dll" ;; esac
  done
  check "$arch: imports only Windows' own DLLs${foreign:+ (not$foreign)}" test -z "$foreign"
  check_resources "$arch: the installer" "$setup"
  echo "installer: $(basename "$setup") $(stat -c %s "$setup") bytes"
done

# ---- under Wine --------------------------------------------------------------
source scripts/wine-env.sh
wine_display_ready || exit 1
trap wine_shutdown EXIT

# Whether this machine runs 32-bit Windows code (found out by wine-env.sh).
runs_32bit() { [ "$TORVAN_WINE32" = yes ]; }

fresh_prefix() {  # folder, win64|win32
  export WINEPREFIX="$1" WINEARCH="$2"
  timeout 60 wineserver -k >/dev/null 2>&1  # a server left from an earlier run
  case $2 in win64) VIEW=/reg:64 ;; win32) VIEW="" ;; esac
  rm -rf "$WINEPREFIX"
  wine_prefix_ready
}

settle() { timeout 120 wineserver -w; }
unix_path() { local p="${1#C:\\}"; echo "$WINEPREFIX/drive_c/${p//\\//}"; }
# A key's text, or nothing when it is not there (reg says so on stdout).
query() {
  local text
  text="$(timeout 60 wine reg query "$@" $VIEW 2>/dev/null)" || return 0
  printf '%s\n' "$text" | iconv -f GBK -t UTF-8 | tr -d '\r'
}
# The data of one value ("" for the default one).
value() {
  local key="$1" name="$2"
  if [ -z "$name" ]; then query "$key" /ve; else query "$key" /v "$name"; fi \
    | awk -F'    ' 'NF >= 4 && /REG_/ {print $4; exit}'
}

UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
APPROVED_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved'
HANDLER_KEYS=('HKCR\*\shellex\ContextMenuHandlers\Torvan' 'HKCR\Directory\shellex\ContextMenuHandlers\Torvan')
CLASS_KEY="HKCR\\CLSID\\$CLSID"
START_MENU_LINK='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Torvan.lnk'
DESKTOP_LINK='C:\users\Public\Desktop\Torvan.lnk'

install() {  # arch, folder ("" for the default); returns the exit code
  timeout 300 wine "$(setup_of "$1")" /S ${2:+"/D=$2"} >/dev/null 2>&1
}

# A process that holds the installed extension as Explorer does, until
# release_extension.
RELEASE='C:\torvan-release'
hold_extension() {  # arch; returns once the library is loaded
  rm -f "$(unix_path "$RELEASE")" "$(unix_path "$RELEASE").held"
  TORVAN_RELEASE="$RELEASE" timeout 300 wine "build-$1/tests/win/app/app_e2e_win_tests.exe" \
    --gtest_filter='InstalledMenu.HoldsTheExtensionUntilReleased' >"$ROOT/build/installer-$1-hold.log" 2>&1 &
  HOLDER=$!
  wait_for 600 test -f "$(unix_path "$RELEASE").held"
}
entry_gone() { test -z "$(query "$UNINSTALL_KEY\\Torvan")"; }
release_extension() { touch "$(unix_path "$RELEASE")"; wait "$HOLDER"; }
restart() { timeout 300 wine wineboot -r >/dev/null 2>&1; settle; }
pending_renames() { query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations; }

same_as_zip() {  # arch, folder
  local arch="$1" dir="$(unix_path "$2")" file
  for file in Torvan.exe TorvanExt.dll console/torvan.exe README.txt; do
    cmp -s <(unzip -p "dist/Torvan-$VERSION-$arch.zip" "$file") "$dir/$file" || return 1
  done
  [ -f "$dir/uninstall.exe" ]
}

expect_value() {  # label, key, name, expected
  local got; got="$(value "$2" "$3")"
  [ "$got" = "$4" ] && pass "$1: ${3:-(default)} = $got" || fail "$1: ${2##*\\} ${3:-(default)} is '$got', expected '$4'"
}

expect_installed() {  # arch, folder
  local arch="$1" dir="$2" entry="$UNINSTALL_KEY\\Torvan" key size
  check "$arch: files of the zip in $dir" same_as_zip "$arch" "$dir"
  expect_value "$arch class" "$CLASS_KEY\\InprocServer32" "" "$dir\\TorvanExt.dll"
  for key in "${HANDLER_KEYS[@]}"; do expect_value "$arch handler" "$key" "" "$CLSID"; done
  expect_value "$arch approved" "$APPROVED_KEY" "$CLSID" "Torvan"
  expect_value "$arch entry" "$entry" DisplayName "Torvan"
  expect_value "$arch entry" "$entry" DisplayVersion "$VERSION"
  expect_value "$arch entry" "$entry" Publisher "Torvan 项目"
  expect_value "$arch entry" "$entry" DisplayIcon "$dir\\Torvan.exe,0"
  expect_value "$arch entry" "$entry" InstallLocation "$dir"
  expect_value "$arch entry" "$entry" UninstallString "\"$dir\\uninstall.exe\""
  expect_value "$arch entry" "$entry" QuietUninstallString "\"$dir\\uninstall.exe\" /S"
  expect_value "$arch entry" "$entry" NoModify 0x1
  expect_value "$arch entry" "$entry" NoRepair 0x1
  size="$(value "$entry" EstimatedSize)"
  check "$arch entry: EstimatedSize $((size)) KB" test "$((size))" -gt 100
  check "$arch: Start-menu shortcut, none on the desktop" \
    test -f "$(unix_path "$START_MENU_LINK")" -a ! -e "$(unix_path "$DESKTOP_LINK")"
}

# A COM client does what Explorer does with the installed keys.
expect_menu_starts_installed() {  # arch, folder
  local harness="build-$1/tests/win/app/app_e2e_win_tests.exe" log="$ROOT/build/installer-$1-menu.log"
  TORVAN_INSTALLED="$2" timeout 300 wine "$harness" --gtest_filter='InstalledMenu.*' >"$log" 2>&1 \
    && grep -q '\[  PASSED  \] 1 test' "$log" \
    && pass "$1: the context menu of a folder starts $2\\Torvan.exe" \
    || { fail "$1: the context menu from $2 (see $log)"; tail -n 20 "$log" >&2; }
}

# Exactly one entry named Torvan, in either registry view, and one handler
# per key.
expect_single() {  # arch
  local entries handlers
  entries=$( (query "$UNINSTALL_KEY" /s; [ -n "$VIEW" ] && timeout 60 wine reg query "$UNINSTALL_KEY" /s /reg:32 2>/dev/null) \
             | grep -c 'DisplayName    REG_SZ    Torvan$')
  check "$1: one uninstall entry ($entries)" test "$entries" -eq 1
  handlers=$(for key in "${HANDLER_KEYS[@]}"; do query "${key%\\Torvan}" /s; done | grep -c "$CLSID")
  check "$1: one handler per key ($handlers for two keys)" test "$handlers" -eq 2
}

expect_removed() {  # arch, folder
  local key
  check "$1: class removed" test -z "$(query "$CLASS_KEY")"
  for key in "${HANDLER_KEYS[@]}"; do check "$1: ${key%%\\shellex*} handler removed" test -z "$(query "$key")"; done
  check "$1: approved value removed" test -z "$(value "$APPROVED_KEY" "$CLSID")"
  check "$1: uninstall entry removed" test -z "$(query "$UNINSTALL_KEY\\Torvan")"
  check "$1: shortcut removed" test ! -e "$(unix_path "$START_MENU_LINK")"
}

# The whole registry as text (HKLM in the view of the prefix's system, with
# the 32-bit view inside it, and HKCU). Keys that Wine itself rewrites when a
# prefix starts again are left out:
#  - the display adapter (Control\Video and the display class
#    {4D36E968-...}): registered again, under a new key and with a new driver
#    date, every time;
#  - the device interfaces of Wine's own HID bus (Control\DeviceClasses),
#    marked linked once the bus has started, which in a fresh prefix may come
#    after the first export;
#  - Control\ServiceCurrent, a counter that Wine's service manager sets each
#    time it starts (the restart of the held-file steps starts it again).
WINE_OWN_KEYS='^\[(HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\(Video|DeviceClasses|ServiceCurrent\]|Class\\\{4D36E968-E325-11CE-BFC1-08002BE10318\}))'
registry_text() {  # output file
  local root tmp="$(mktemp)"
  for root in HKLM HKCU; do
    timeout 120 wine reg export "$root" 'C:\registry.reg' /y $VIEW >/dev/null 2>&1
    iconv -f UTF-16LE -t UTF-8 "$WINEPREFIX/drive_c/registry.reg" | tr -d '\r'
    rm -f "$WINEPREFIX/drive_c/registry.reg"
  done >"$tmp"
  skip="$WINE_OWN_KEYS" awk '/^\[/ { hidden = ($0 ~ ENVIRON["skip"]) } !hidden' "$tmp" >"$1"
  rm -f "$tmp"
}

# One installer through its whole life in a fresh prefix.
life_of() {  # arch, prefix kind
  local arch="$1" default='C:\Program Files\Torvan' chinese='C:\软件\托万' before after rc
  fresh_prefix "$ROOT/build/wineprefix-installer-$arch" "$2" || { fail "$arch: no prefix"; return; }
  before="$ROOT/build/installer-$arch-registry-before.txt" after="$ROOT/build/installer-$arch-registry-after.txt"
  registry_text "$before"
  check "$arch: registry exported ($(wc -l <"$before") lines)" grep -q 'HKEY_CURRENT_USER\\Software' "$before"

  install "$arch" ""; rc=$?
  check "$arch: silent install into the default folder (exit code $rc)" test $rc -eq 0
  expect_installed "$arch" "$default"
  check_resources "$arch: the uninstaller" "$(unix_path "$default")/uninstall.exe"
  check "$arch: the uninstaller is signed" signed_by "$(unix_path "$default")/uninstall.exe" "$SIGNER"
  expect_menu_starts_installed "$arch" "$default"

  # Once more over it, while the extension is held: the held file moves
  # aside for the restart and the new one is in place at once.
  check "$arch: a process holds the installed extension" hold_extension "$arch"
  install "$arch" ""; rc=$?
  check "$arch: installed a second time, extension held (exit code $rc)" test $rc -eq 0
  check "$arch: the new files are in place" same_as_zip "$arch" "$default"
  check "$arch: the held extension is deleted at the restart" grep -q 'Torvan\\ns.*\.tmp' <(pending_renames)
  release_extension
  restart
  check "$arch: after the restart nothing is pending or left aside" \
    test -z "$(pending_renames)" -a -z "$(find "$(unix_path "$default")" -name '*.tmp')"
  expect_single "$arch"

  install "$arch" "$chinese"; rc=$?
  check "$arch: installed again into $chinese (exit code $rc)" test $rc -eq 0
  check "$arch: the earlier installation went" test ! -e "$(unix_path "$default")"
  expect_installed "$arch" "$chinese"
  expect_single "$arch"
  expect_menu_starts_installed "$arch" "$chinese"

  # Uninstalled while the extension is held: that file goes at the restart.
  # A file of the user's own keeps the folder; everything else goes.
  echo note >"$(unix_path "$chinese")/我的笔记.txt"
  check "$arch: a process holds the installed extension" hold_extension "$arch"
  timeout 300 wine "$(unix_path "$chinese")/uninstall.exe" /S >/dev/null 2>&1; rc=$?
  # The uninstaller runs on as a copy of itself, which must not wait for the
  # holder to end; the entry is the last thing it removes.
  check "$arch: silent uninstall (exit code $rc)" wait_for 300 entry_gone
  check "$arch: the held extension is deleted at the restart" grep -q 'TorvanExt\.dll' <(pending_renames)
  release_extension
  settle
  restart
  check "$arch: only the user's file is left in the folder" \
    test "$(cd "$(unix_path "$chinese")" 2>/dev/null && find . -mindepth 1)" = "./我的笔记.txt"
  expect_removed "$arch"
  rm -rf "$(unix_path "$chinese")"

  registry_text "$after"
  diff -u "$before" "$after" >"$ROOT/build/installer-$arch-registry.diff" \
    && pass "$arch: registry after the uninstall equals the one before the install" \
    || { fail "$arch: registry differs (build/installer-$arch-registry.diff)"; head -n 40 "$ROOT/build/installer-$arch-registry.diff" >&2; }
}

# The pages a user sees, driven with xdotool: screenshots of the welcome and
# finish pages (build/screenshots/installer), the run box unticked and the
# desktop box ticked on the finish page, which must then give a shortcut.
# The welcome and finish pages have the dark wizard bitmap on their left,
# the pages between them do not; every wait is bounded.
SHOTS="$ROOT/build/screenshots/installer"
side_bitmap_shown() {  # window
  local pixel
  pixel="$(import -window "$1" -crop 1x1+20+200 -format '%[fx:int(255*(r+g+b)/3)]' info: 2>/dev/null)"
  [ -n "$pixel" ] && [ "$pixel" -lt 128 ]
}
wait_for() {  # tries (a fifth of a second each), command...
  local tries="$1" i; shift
  for i in $(seq 1 "$tries"); do "$@" && return 0; sleep 0.2; done
  return 1
}
not() { ! "$@"; }
# Once the page shows, two screenshots in a row must agree: drawing is over.
shoot_when_still() {  # window, file
  local previous="" now i
  for i in $(seq 1 50); do
    now="$(import -window "$1" rgb:- 2>/dev/null | md5sum)"
    if [ "$now" = "$previous" ]; then import -window "$1" "$2"; return; fi
    previous="$now"; sleep 0.2
  done
  return 1
}

pages_of_an_install() {
  local window pid
  mkdir -p "$SHOTS"
  timeout 300 wine "$(setup_of win64)" >/dev/null 2>&1 &
  pid=$!
  window="$(timeout 60 xdotool search --sync --onlyvisible --name '^Torvan 安装$' 2>/dev/null | head -n 1)"
  [ -n "$window" ] || { fail "win64: no installer window"; kill "$pid" 2>/dev/null; return; }
  check "win64: welcome page shown" wait_for 150 side_bitmap_shown "$window"
  check "win64: welcome page in $SHOTS/welcome.png" shoot_when_still "$window" "$SHOTS/welcome.png"
  xdotool key --window "$window" Return 2>/dev/null                      # 下一步
  check "win64: folder page shown" wait_for 150 not side_bitmap_shown "$window"
  xdotool key --window "$window" Return 2>/dev/null                      # 安装
  check "win64: finish page shown" wait_for 600 side_bitmap_shown "$window"
  check "win64: finish page in $SHOTS/finish.png" shoot_when_still "$window" "$SHOTS/finish.png"
  xdotool mousemove --window "$window" 217 202 click 1 2>/dev/null       # 在桌面上创建快捷方式
  xdotool key --window "$window" alt+r 2>/dev/null                       # 运行 Torvan, off
  shoot_when_still "$window" "$SHOTS/finish-chosen.png"
  xdotool key --window "$window" Return 2>/dev/null                      # 完成
  wait "$pid"
  check "win64: installed from the pages (exit code $?)" test -f "$(unix_path 'C:\Program Files\Torvan\Torvan.exe')"
  check "win64: desktop shortcut when asked for" test -f "$(unix_path "$DESKTOP_LINK")"
  timeout 300 wine "$(unix_path 'C:\Program Files\Torvan')/uninstall.exe" /S >/dev/null 2>&1
  settle
  expect_removed win64
  check "win64: desktop shortcut removed" test ! -e "$(unix_path "$DESKTOP_LINK")"
}

# An extension that does not register stops the installation with a
# non-zero exit code, and what was installed before it can be uninstalled.
registration_failure() {
  local stage broken="$ROOT/build/installer-unregistrable-setup.exe" dir='C:\Program Files\Torvan' rc
  stage="$(mktemp -d)"
  unzip -q "dist/Torvan-$VERSION-win64.zip" -d "$stage"
  echo "not a library" >"$stage/TorvanExt.dll"
  makensis -V1 -INPUTCHARSET UTF8 -DARCH=win64 -DSTAGE="$stage" -DOUTFILE="$broken" \
    -DICON="$ROOT/build-win64/resources/icon/Torvan.ico" resources/installer/Torvan.nsi
  rm -rf "$stage"
  timeout 300 wine "$broken" /S >/dev/null 2>&1; rc=$?
  check "win64: a failed registration gives exit code $rc" test $rc -ne 0
  check "win64: no menu keys after a failed registration" test -z "$(query "${HANDLER_KEYS[1]}")"
  timeout 300 wine "$(unix_path "$dir")/uninstall.exe" /S >/dev/null 2>&1
  settle
  expect_removed win64
  check "win64: the folder went" test ! -e "$(unix_path "$dir")"
}

life_of win64 win64
pages_of_an_install
registration_failure
if runs_32bit; then
  # On 64-bit Windows the win32 installer points to the win64 one and stops.
  timeout 120 wine "$(setup_of win32)" /S >/dev/null 2>&1; rc=$?
  settle
  check "win32 installer refuses a 64-bit system (exit code $rc)" test $rc -ne 0
  check "win32 installer left nothing on a 64-bit system" \
    test -z "$(VIEW=/reg:32 query "$UNINSTALL_KEY\\Torvan")" -a ! -e "$(unix_path 'C:\Program Files (x86)\Torvan')"
  life_of win32 win32
else
  echo "installer: this machine runs no 32-bit code; the win32 installer had its static checks only"
fi

checks_end
