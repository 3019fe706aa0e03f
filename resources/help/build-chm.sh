#!/usr/bin/env bash
# Compiles the help pages into one CHM file:  build-chm.sh <sources> <out.chm>
# The pages are written in UTF-8; the viewer of a Chinese Windows reads the
# contents and index in code page 936, so every source is turned into GBK
# (and its charset declaration with it) before the compiler sees it.
set -euo pipefail
src="$1"
out="$2"
mkdir -p "$(dirname "$out")"
work="$(dirname "$out")/help-gbk"
rm -rf "$work"
mkdir -p "$work"
for file in "$src"/*.html "$src"/*.hhc "$src"/*.hhk "$src"/*.hhp "$src"/*.css; do
  iconv -f UTF-8 -t GBK "$file" | sed 's/charset=utf-8/charset=gbk/' > "$work/$(basename "$file")"
done
cd "$work"
chmcmd --verbosity 0 TorvanHelp.hhp >chmcmd.log 2>&1 || { cat chmcmd.log >&2; exit 1; }
# chmcmd reports some failures only in its log.
[ -s TorvanHelp.chm ] || { cat chmcmd.log >&2; echo "build-chm: no TorvanHelp.chm" >&2; exit 1; }
mv TorvanHelp.chm "$out"
