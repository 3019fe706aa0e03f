#!/usr/bin/env bash
# Archives made by the Windows build (under Wine) unpack with the Linux build
# to the same tree, and the other way round; for a tree whose folders each
# hold one item, so that listing order cannot differ, both builds write the
# very same plain archive bytes.
#
# Names: the Windows side packs in code page 936, so a Chinese name is GBK
# bytes in its archives. On Linux the same bytes come either from a file whose
# name is those raw bytes (pack's default, raw names) or from a UTF-8 name with
# --names gbk. Unpacking finds each archive's encoding by itself, so trees
# cross in both directions with the default options, names intact. Wine shows
# Linux UTF-8 names to Windows programs as Unicode.
#
#   bash scripts/interop.sh [build-native [build-win64 build-win32 ...]]
# (without Windows builds named: those this machine can run)
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
NATIVE="${1:-build}"
shift || true
WINDOWS=("$@")

LINUX_TOOL="$ROOT/$NATIVE/cli/torvan"
[ -x "$LINUX_TOOL" ] || { echo "interop: no $LINUX_TOOL; build first" >&2; exit 1; }

source scripts/wine-env.sh
[ ${#WINDOWS[@]} -gt 0 ] || read -ra WINDOWS <<< "$(wine_runnable_builds)"
wine_prefix_ready || exit 1

WORK="$ROOT/$NATIVE/interop"
source tests/checks.sh
checks_begin "interop"

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }

# The Windows tool, paths given in Linux form and handed over as Z:\ paths.
win_tool() {
  local exe="$1"; shift
  timeout -k 10 300 wine "$exe" "$@"
}

GBK_NAME=$(printf '\xb9\xd8\xd3\xda')      # "关于" in code page 936
UTF8_NAME=$(printf '\xe5\x85\xb3\xe4\xba\x8e')

# One folder per level, one item in each, so every listing has one order.
make_chain() {  # ROOT NAME
  mkdir -p "$1/site/docs/$2"
  head -c 300000 /dev/urandom > "$1/site/docs/$2/$2.bin"
}

# A tree with everything the format carries: empty file, empty folder, nesting.
make_full_tree() {
  mkdir -p "$1/site/img" "$1/site/empty/inner" "$1/site/docs"
  printf 'hello' > "$1/site/a.txt"
  : > "$1/site/docs/zero.txt"
  head -c 70000 /dev/urandom > "$1/site/img/b.gif"
  for i in $(seq 1 25); do printf 'page %d\n' "$i" > "$1/site/docs/p$i.html"; done
}

for build in "${WINDOWS[@]}"; do
  exe="$ROOT/$build/cli/torvan.exe"
  if [ ! -f "$exe" ]; then fail "$build: no torvan.exe"; continue; fi
  echo "== interop with $build"
  W="$WORK/$build"
  rm -rf "$W" && mkdir -p "$W"

  # 1. Byte identity, ASCII names, both forms.
  make_chain "$W/ascii" data
  "$LINUX_TOOL" pack -q --plain "$W/ascii/site" -o "$W/ascii-linux.dat" || fail "$build: linux pack ascii"
  win_tool "$exe" pack -q --plain "$(winpath "$W/ascii/site")" -o "$(winpath "$W/ascii-win.dat")" \
    || fail "$build: windows pack ascii"
  cmp -s "$W/ascii-linux.dat" "$W/ascii-win.dat" && pass "$build: ASCII plain archives identical" \
    || fail "$build: ASCII plain archives differ"

  # 2. Byte identity with a Chinese name: Windows (cp936) against Linux raw
  #    GBK bytes and against Linux UTF-8 names with --names gbk.
  make_chain "$W/utf8" "$UTF8_NAME"
  make_chain "$W/gbk" "$GBK_NAME"
  cp "$W/utf8/site/docs/$UTF8_NAME/$UTF8_NAME.bin" "$W/gbk/site/docs/$GBK_NAME/$GBK_NAME.bin"
  win_tool "$exe" pack -q --plain "$(winpath "$W/utf8/site")" -o "$(winpath "$W/cn-win.dat")" \
    || fail "$build: windows pack chinese"
  "$LINUX_TOOL" pack -q --plain "$W/gbk/site" -o "$W/cn-raw.dat" || fail "$build: linux raw pack"
  "$LINUX_TOOL" pack -q --plain --names gbk "$W/utf8/site" -o "$W/cn-gbk.dat" || fail "$build: linux gbk pack"
  grep -q -a "$GBK_NAME" "$W/cn-win.dat" || fail "$build: windows archive lacks the GBK name bytes"
  cmp -s "$W/cn-win.dat" "$W/cn-raw.dat" && pass "$build: Chinese name, Windows = Linux raw bytes" \
    || fail "$build: Chinese name archives differ (windows vs linux raw)"
  cmp -s "$W/cn-win.dat" "$W/cn-gbk.dat" && pass "$build: Chinese name, Windows = Linux --names gbk" \
    || fail "$build: Chinese name archives differ (windows vs linux --names gbk)"

  # 3. Windows packs (gzip), Linux unpacks, and the other way round, all with
  #    the default options: the bundled sample site, whose Chinese names go
  #    as GBK one way and as UTF-8 the other, and a tree with names outside
  #    code page 936 (Korean, an emoji), which only UTF-8 carries.
  make_chain "$W/wide" "$(printf '\xed\x95\x9c\xea\xb5\xad\xf0\x9f\x98\x80')"
  for tree in full sample wide; do
    names=()
    case $tree in
      full) make_full_tree "$W/full"; src="$W/full/site" ;;
      sample) src="$ROOT/samples/site" ;;
      wide) src="$W/wide/site"; names=(--names utf8) ;;
    esac
    win_tool "$exe" pack -q "${names[@]}" "$(winpath "$src")" -o "$(winpath "$W/$tree-win.dat.gz")" \
      || fail "$build: windows pack $tree"
    mkdir -p "$W/$tree-on-linux"
    out=$("$LINUX_TOOL" unpack -q "$W/$tree-win.dat.gz" -C "$W/$tree-on-linux" | tail -n 1)
    diff -r "$src" "$W/$tree-on-linux/site" >/dev/null \
      && pass "$build: $tree tree packed on Windows unpacks on Linux ($out)" \
      || fail "$build: $tree tree packed on Windows differs after unpacking on Linux ($out)"

    "$LINUX_TOOL" pack -q "$src" -o "$W/$tree-linux.dat.gz" || fail "$build: linux pack $tree"
    mkdir -p "$W/$tree-on-windows"
    out=$(win_tool "$exe" unpack "$(winpath "$W/$tree-linux.dat.gz")" -C "$(winpath "$W/$tree-on-windows")" \
          | tr -d '\r' | tail -n 1)
    diff -r "$src" "$W/$tree-on-windows/site" >/dev/null \
      && pass "$build: $tree tree packed on Linux unpacks on Windows ($out)" \
      || fail "$build: $tree tree packed on Linux differs after unpacking on Windows ($out)"
  done
done

timeout 30 wineserver -w 2>/dev/null || true
checks_end
