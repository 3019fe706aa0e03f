# Sourced by the test scripts: a private Wine prefix in the Chinese locale,
# quiet, without crash dialogs, with a virtual display. Every wait is bounded.

TORVAN_ROOT="${TORVAN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export WINEPREFIX="${WINEPREFIX:-$TORVAN_ROOT/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Code page 936 for the ANSI API, whether or not the Linux locale exists.
export LC_ALL=zh_CN.UTF-8
export WINEARCH=win64

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
