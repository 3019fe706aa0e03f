#!/usr/bin/env bash
# Whether anyone can rebuild a release byte for byte: two release builds of
# the last commit, each from a clean clone, in two folders of different
# depths, one after the other, with different time zones and umasks, both
# signing with one test certificate through TORVAN_SIGN_PFX. Every file of
# their dist/ folders must have the same sha256sum; those that differ are
# named, and both builds are kept for a look. Every program of the first
# build must be signed by that certificate.
#
#   bash scripts/check-reproducible.sh
#
# Both builds compile and link every shipped program; ccache is kept out,
# or the second build would only read the first's objects back.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"
source tests/checks.sh
source scripts/sign.sh
checks_begin "reproducible"

unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER TORVAN_SIGNING
export CCACHE_DISABLE=1
# What the clones are built from, dated as the clones will date it.
commit="$(git rev-parse HEAD)" || { echo "reproducible FAIL: $ROOT is not a git work tree" >&2; exit 1; }
git diff --quiet HEAD 2>/dev/null || echo "reproducible: uncommitted changes are not part of this check"
source scripts/release-date.sh

work="$(mktemp -d)"
keep=no
trap '[ $keep = yes ] || rm -rf "$work"' EXIT

# The test certificate, made as a throwaway one would be, in a PFX file.
make_throwaway_certificate "$work/signer" "$(release_publisher)"
export TORVAN_SIGN_PASSWORD
TORVAN_SIGN_PASSWORD="$(openssl rand -hex 16)"
openssl pkcs12 -export -inkey "$work/signer/key.pem" -in "$work/signer/cert.pem" -passout env:TORVAN_SIGN_PASSWORD \
  -out "$work/signer/test.pfx" || { echo "reproducible FAIL: cannot make the test certificate" >&2; exit 1; }
export TORVAN_SIGN_PFX="$work/signer/test.pfx"

release_build() {  # folder, time zone, umask
  local dir="$1" log="$work/$(basename "$1").log" start
  start=$SECONDS
  git clone -q "$ROOT" "$dir" && git -C "$dir" checkout -q --detach "$commit" || return 1
  (
    cd "$dir" && export TZ="$2" && umask "$3" &&
      bash scripts/build.sh release && bash scripts/package.sh
  ) >"$log" 2>&1 || { tail -n 30 "$log" >&2; return 1; }
  echo "reproducible: built in $dir ($((SECONDS - start)) s, TZ=$2, umask $3)"
}

first="$work/one"
second="$work/two/a/folder/further/down"
release_build "$first" UTC 0022 || { echo "reproducible FAIL: the first build failed" >&2; exit 1; }
release_build "$second" Asia/Shanghai 0077 || { echo "reproducible FAIL: the second build failed" >&2; exit 1; }

sums() { (cd "$1/dist" && find . -type f | LC_ALL=C sort | xargs -r sha256sum); }
sums "$first" > "$work/one.sha256"
sums "$second" > "$work/two.sha256"
count=$(wc -l < "$work/one.sha256")
check "the first build wrote its packages ($count files in dist/)" test "$count" -ge 7
differing="$(diff <(awk '{print $2, $1}' "$work/one.sha256") <(awk '{print $2, $1}' "$work/two.sha256") |
             awk '/^[<>]/ {print $2}' | LC_ALL=C sort -u)"
if [ -z "$differing" ]; then
  pass "both builds wrote the same $count files, byte for byte"
else
  for file in $differing; do fail "differs between the builds: dist/${file#./}"; done
  keep=yes
  echo "reproducible: both builds are kept in $work" >&2
fi

check_release_signatures "$first/dist" "$work/signer/cert.pem"
checks_end
