# Sourced by the test scripts: a private Wine prefix in the Chinese locale,
# quiet, without crash dialogs, with a virtual display. Every wait is bounded.

TORVAN_ROOT="${TORVAN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEPREFIX="${WINEPREFIX:-$TORVAN_ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Code page 936 for the ANSI API, whether or not the Linux locale exists.
export LC_ALL=zh_CN.UTF-8
export WINEARCH=win64

# Whether this machine executes 32-bit x86 code, found out once per run and
# passed on to every script and test below it. Some kernels run 64-bit user
# code only; there /usr/bin/wine still picks the 32-bit loader whenever
# wine32 is installed, and every Wine command, prefix creation first, fails.
# TORVAN_WINE32=no may be set beforehand to try such a machine's path here.
if [ -z "${TORVAN_WINE32:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then TORVAN_WINE32=yes; else TORVAN_WINE32=no; fi
fi
export TORVAN_WINE32

# Where 32-bit code cannot run, `wine` and `wineboot` on PATH go straight
# to the 64-bit loader, for the scripts and for whatever they start.
if [ "$TORVAN_WINE32" = no ] && [ -x /usr/lib/wine/wine64 ]; then
  TORVAN_WINE_SHIM="$TORVAN_ROOT/build/wine64-only"
  if [ ! -x "$TORVAN_WINE_SHIM/wineboot" ]; then
    mkdir -p "$TORVAN_WINE_SHIM"
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' \
      > "$TORVAN_WINE_SHIM/wine"
    printf '#!/bin/sh\nexec "$(dirname "$0")/wine" wineboot.exe "$@"\n' > "$TORVAN_WINE_SHIM/wineboot"
    chmod +x "$TORVAN_WINE_SHIM/wine" "$TORVAN_WINE_SHIM/wineboot"
  fi
  case ":$PATH:" in *":$TORVAN_WINE_SHIM:"*) ;; *) export PATH="$TORVAN_WINE_SHIM:$PATH" ;; esac
fi

# The Windows build folders whose programs this machine can run.
wine_runnable_builds() {
  if [ "$TORVAN_WINE32" = yes ]; then echo build-win64 build-win32; else echo build-win64; fi
}

# The line a run prints near its end when it had to leave the i686 builds out.
wine32_skip_note() {
  [ "$TORVAN_WINE32" = no ] && echo "i686 Windows tests: not run (this machine cannot execute 32-bit code)"
  return 0
}

wine_reg() { timeout 60 wine reg add "$@" /f >/dev/null 2>&1; }

# Creates the prefix once per checkout: fonts mapped, crash dialog off.
wine_prefix_ready() {
  local stamp="$WINEPREFIX/.torvan-ready"
  [ -f "$stamp" ] && return 0
  mkdir -p "$WINEPREFIX"
  echo "wine: creating prefix $WINEPREFIX" >&2
  timeout 300 wineboot -i >/dev/null 2>&1 || { echo "wine: wineboot failed" >&2; return 1; }
  wine_reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  wine_reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1
  wine_reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d ''
  local face
  for face in Tahoma Verdana "MS Shell Dlg" "MS Shell Dlg 2" "MS Sans Serif" SimSun NSimSun "宋体" "Microsoft YaHei"; do
    wine_reg 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d "WenQuanYi Micro Hei"
  done
  timeout 120 wineserver -w || true
  touch "$stamp"
}

# Starts one Xvfb for the whole run (with a tiny window manager when one is
# installed) unless a display is already usable.
wine_display_ready() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=$(( 90 + RANDOM % 400 ))
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  TORVAN_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "wine: Xvfb did not start" >&2
  return 1
}

wine_shutdown() {
  timeout 30 wineserver -k >/dev/null 2>&1 || true
  if [ -n "${TORVAN_XVFB_PID:-}" ]; then kill "$TORVAN_XVFB_PID" 2>/dev/null || true; fi
}
