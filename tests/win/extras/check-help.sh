#!/usr/bin/env bash
# Reads the help copy the Windows test extracted with the build machine's
# CHM reader: every page must be inside, in GBK, with its charset declared.
#   check-help.sh <extracted .chm>
set -uo pipefail
chm="$1"
[ -s "$chm" ] || { echo "check-help: no extracted help file $chm" >&2; exit 1; }
[ "$(head -c 4 "$chm")" = "ITSF" ] || { echo "check-help: $chm has no ITSF header" >&2; exit 1; }
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
extract_chmLib "$chm" "$out" >/dev/null || { echo "check-help: extract_chmLib failed" >&2; exit 1; }
status=0
for page in index pack unpack gzip explorer dragdrop server; do
  file="$out/$page.html"
  if [ ! -s "$file" ]; then echo "check-help: $page.html missing" >&2; status=1; continue; fi
  grep -q 'charset=gbk' "$file" || { echo "check-help: $page.html declares no GBK charset" >&2; status=1; }
  iconv -f GBK -t UTF-8 "$file" >/dev/null 2>&1 || { echo "check-help: $page.html is not GBK" >&2; status=1; }
done
iconv -f GBK -t UTF-8 "$out/explorer.html" | grep -q '缷载集成' \
  || { echo "check-help: the integration page does not name \"缷载集成\"" >&2; status=1; }
[ -s "$out/TorvanHelp.hhc" ] || { echo "check-help: no table of contents" >&2; status=1; }
[ $status -eq 0 ] && echo "check-help: $(ls "$out" | grep -c '\.html$') pages, GBK, contents present"
exit $status
