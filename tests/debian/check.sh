#!/usr/bin/env bash
# The Debian package of the Linux tool: built by scripts/package-deb.sh, it
# holds exactly the expected files, its torvan packs, tests and unpacks the
# sample site from a scratch root, lintian finds nothing, the manual page
# renders without a warning, and the completion offers what it should.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$ROOT"
VERSION="$(cat VERSION)"
DEB="dist/torvan_${VERSION}_$(dpkg --print-architecture).deb"

source tests/checks.sh
checks_begin "debian"

bash scripts/package-deb.sh || { echo "debian FAIL: scripts/package-deb.sh did not build $DEB" >&2; exit 1; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

files=$(dpkg-deb --contents "$DEB" | awk '$1 !~ /^d/ { print $NF }' | LC_ALL=C sort | tr '\n' ' ')
expected="./usr/bin/torvan ./usr/share/bash-completion/completions/torvan ./usr/share/doc/torvan/changelog.gz \
./usr/share/doc/torvan/copyright ./usr/share/man/man1/torvan.1.gz "
[ "$files" = "$expected" ] && pass "holds $files" || fail "holds '$files', expected '$expected'"

root="$scratch/root"
dpkg-deb -x "$DEB" "$root" || fail "dpkg-deb -x"
tool="$root/usr/bin/torvan"
round_trip() {
  "$tool" pack -q samples/site -o "$scratch/site.dat.gz" &&
    [ "$("$tool" test "$scratch/site.dat.gz" | tail -n 1)" = "ok: $("$tool" list "$scratch/site.dat.gz" | tail -n 1)" ] &&
    mkdir "$scratch/out" && "$tool" unpack -q "$scratch/site.dat.gz" -C "$scratch/out" >/dev/null &&
    diff -r samples/site "$scratch/out/site"
}
check "its torvan packs, tests and unpacks samples/site" round_trip

# Every tag lintian knows, the pedantic ones too, and none suppressed.
lintian_out=$(lintian --pedantic --fail-on error,warning,info,pedantic "$DEB" 2>&1 |
  grep -v 'running with root privileges')
check "lintian reports nothing${lintian_out:+: $lintian_out}" test -z "$lintian_out"

page="$root/usr/share/man/man1/torvan.1.gz"
man_warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
man_warnings+=$(zcat "$page" | groff -man -ww -z 2>&1)
check "the manual page renders without warnings${man_warnings:+: $man_warnings}" test -z "$man_warnings"
check "man -l shows every command" bash -c "man -l '$page' 2>/dev/null | col -b > '$scratch/page.txt' &&
  for c in pack unpack list test; do grep -q \"^       \$c \" '$scratch/page.txt' || exit 1; done"

# What the completion offers after LINE, in a folder with two archives,
# a text file and a sub-folder, one candidate a line, sorted.
complete_line() {
  (
    cd "$scratch/files" || exit 1
    # shellcheck disable=SC1091
    source /usr/share/bash-completion/bash_completion
    # shellcheck disable=SC1090
    source "$root/usr/share/bash-completion/completions/torvan"
    COMP_LINE="$1" COMP_POINT=${#1}
    read -r -a COMP_WORDS <<< "$1"
    [[ $1 == *' ' ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _torvan
    printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' '
  )
}
mkdir -p "$scratch/files/sub"
touch "$scratch/files/site.dat.gz" "$scratch/files/old.dat" "$scratch/files/notes.txt"
completion_offers() {
  local got
  got=$(complete_line "$1")
  [ "$got" = "$2" ] || { echo "  '$1' offers '$got', expected '$2'" >&2; return 1; }
}
check "completion: commands" completion_offers "torvan " "--help --version list pack test unpack "
check "completion: archives for test" completion_offers "torvan test " "old.dat site.dat.gz sub "
check "completion: folders for pack" completion_offers "torvan pack " "sub "
check "completion: options of unpack" completion_offers "torvan unpack site.dat.gz -" \
  "--help --names --quiet --strip-components --verbose -C "
check "completion: options of list" completion_offers "torvan list site.dat.gz -" "--help --names --strip-components "
check "completion: options of pack" completion_offers "torvan pack sub --ex" "--exclude --exclude-from "
check "completion: options of test" completion_offers "torvan test site.dat.gz -" \
  "--help --names --quiet --strip-components -C "
check "completion: name encodings" completion_offers "torvan list --names " "gbk raw "

checks_end
