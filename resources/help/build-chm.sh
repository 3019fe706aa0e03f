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
# chmcmd writes a few bytes it never set (in the keyword index), and so
# what memory held at that place; with the addresses of its memory fixed,
# and nothing of the caller's environment, that is the same every time.
env -i PATH="$PATH" TZ=UTC setarch "$(uname -m)" -R chmcmd --verbosity 0 TorvanHelp.hhp >chmcmd.log 2>&1 ||
  { cat chmcmd.log >&2; exit 1; }
# chmcmd reports some failures only in its log.
[ -s TorvanHelp.chm ] || { cat chmcmd.log >&2; echo "build-chm: no TorvanHelp.chm" >&2; exit 1; }
# Its two time stamps, of the file header and of #SYSTEM (entry 10, just
# before the compiler's name), are zeroed: no viewer needs them, and the
# same pages then give the same file.
perl -0777 -i -pe '
  die "build-chm: not a CHM file\n" unless substr($_, 0, 4) eq "ITSF";
  substr($_, 0x10, 4) = "\0" x 4;
  s/\x0a\x00\x04\x00.{4}(\x09\x00.\x00HHA Version)/\x0a\x00\x04\x00\0\0\0\0$1/s == 1
    or die "build-chm: no time stamp of #SYSTEM found\n";
' TorvanHelp.chm
mv TorvanHelp.chm "$out"
