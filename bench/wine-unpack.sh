#!/usr/bin/env bash
# The Windows console tool (win64) under Wine, unpacking a site's gzip
# archive into an empty folder: the build under test against an earlier
# one, the two taking turns, median of RUNS. Prints the README's table.
#
#   OLD_EXE=old/torvan.exe NEW_EXE=build-win64/cli/torvan.exe bash bench/wine-unpack.sh
#   OLD_REV=a7e6ed1 bash bench/wine-unpack.sh
#
# OLD_REV builds that revision's console tool first (only that target,
# Release, win64), from `git archive` into BENCH_DIR/win64-REV, so no
# worktree changes; it is built once per revision. NEW_EXE defaults to
# build-win64/cli/torvan.exe. Also: RUNS (5), WINE_FILES (3000) and
# WINE_MB (60) for the site, WHERE ("tmpfs"; "tmpfs disk" adds BENCH_DIR's
# disk), WINE_TIMEOUT (300 seconds a run), BENCH_DIR (/tmp/torvan-bench).
set -euo pipefail
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"
NEW_EXE="$(realpath "${NEW_EXE:-$BENCH_ROOT/build-win64/cli/torvan.exe}")"
WINE_FILES="${WINE_FILES:-3000}"
WINE_MB="${WINE_MB:-60}"
WHERE="${WHERE:-tmpfs}"
WINE_TIMEOUT="${WINE_TIMEOUT:-300}"
mkdir -p "$SCRATCH"

build_old() {  # revision; prints the path of its torvan.exe
  local rev
  rev="$(git -C "$BENCH_ROOT" rev-parse --verify --quiet "$1^{commit}")" || bench_fail "no revision $1"
  local dir="$SCRATCH/win64-${rev:0:12}"
  local exe="$dir/build/cli/torvan.exe"
  if [ ! -f "$exe" ]; then
    echo "building torvan.exe (win64) of ${rev:0:12} in $dir" >&2
    rm -rf "$dir"; mkdir -p "$dir/src"
    git -C "$BENCH_ROOT" archive "$rev" | tar -x -C "$dir/src"
    local launcher=()
    if command -v ccache >/dev/null; then
      launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    if ! cmake -S "$dir/src" -B "$dir/build" -DCMAKE_TOOLCHAIN_FILE="$dir/src/cmake/mingw-x86_64.cmake" \
               -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >"$dir/build.log" 2>&1 ||
       ! CCACHE_BASEDIR="$dir" CCACHE_NOHASHDIR=1 \
         cmake --build "$dir/build" -j 2 --target torvan >>"$dir/build.log" 2>&1; then
      bench_fail "the build of ${rev:0:12} failed; see $dir/build.log"
    fi
  fi
  echo "$exe"
}

if [ -z "${OLD_EXE:-}" ]; then
  [ -n "${OLD_REV:-}" ] || bench_fail "set OLD_EXE, or OLD_REV to build it"
  OLD_EXE="$(build_old "$OLD_REV")"
fi
OLD_EXE="$(realpath "$OLD_EXE")"
for exe in "$OLD_EXE" "$NEW_EXE"; do [ -f "$exe" ] || bench_fail "no $exe"; done

# A prefix of the benchmark's own: its wineserver is kept running for the
# whole run (so no run pays for starting one) and stopped at the end
# without touching the test suites' prefix.
export WINEPREFIX="${WINEPREFIX:-$SCRATCH/wineprefix}"
# shellcheck source=scripts/wine-env.sh
source "$BENCH_ROOT/scripts/wine-env.sh"
wine_prefix_ready || bench_fail "no Wine prefix"
timeout 60 wineserver -p || true
dests=()
trap 'wine_shutdown; rm -rf "${dests[@]}"' EXIT

winpath() { echo "Z:${1//\//\\}"; }
wine_run=(timeout -k 10 "$WINE_TIMEOUT" wine)
pack_with_new() { "${wine_run[@]}" "$NEW_EXE" pack -q "$(winpath "$1")" -o "$(winpath "$2")"; }

data="$(data_set "site:$WINE_FILES:$WINE_MB")"
name="$(basename "$data")"
archive="$(archive_of "$data" "$NEW_EXE" pack_with_new "$data")"

samples="$SCRATCH/wine-unpack-samples.tsv"
: > "$samples"
started="$(date -u '+%Y-%m-%d %H:%M')"
load_before="$(load_average)"
for where in $WHERE; do
  if [ "$where" = tmpfs ]; then parent="${TMPFS_DIR:-/dev/shm}"; else parent="${DISK_DIR:-$SCRATCH}"; fi
  dest="$(dest_dir "$parent" "$where")"
  dests+=("$dest")
  echo "== $name under Wine, $where ($(load_average))" >&2
  # One untimed unpack of each first: Wine's first start of a program is
  # slower, and the result is compared with the data once.
  for build in old new; do
    exe="$OLD_EXE"; [ "$build" = new ] && exe="$NEW_EXE"
    rm -rf "${dest:?}/$name"
    "${wine_run[@]}" "$exe" unpack -q "$(winpath "$archive")" -C "$(winpath "$dest")" >/dev/null ||
      bench_fail "the $build build's unpack failed"
    diff -rq "$data" "$dest/$name" >/dev/null || bench_fail "the $build build's unpack differs from $data"
  done
  for run in $(seq 1 "$RUNS"); do
    for build in $(turns "$run" old new); do
      exe="$OLD_EXE"; [ "$build" = new ] && exe="$NEW_EXE"
      rm -rf "${dest:?}/$name"
      read -r secs _ <<<"$(timed "${wine_run[@]}" "$exe" unpack -q "$(winpath "$archive")" -C "$(winpath "$dest")")"
      printf '%s\t%s\t%s\n' "$where" "$build" "$secs" >> "$samples"
    done
  done
done

{
  echo "old: $OLD_EXE${OLD_REV:+ ($OLD_REV)}; new: $NEW_EXE; $(wine --version); $started to $(date -u '+%H:%M') UTC, load average $load_before before, $(load_average) after; $(find "$data" -type f | wc -l) files, gzip, median of $RUNS runs each."
  echo
  python3 - "$samples" <<'PY'
import statistics, sys
from collections import defaultdict
TARGET = 1.1
times = defaultdict(list)
order = []
for line in open(sys.argv[1]):
    where, build, secs = line.split()
    times[(where, build)].append(float(secs))
    if where not in order:
        order.append(where)
# Beside the ratio of the medians, the median of each run's own ratio: the
# two halves of a run are seconds apart, so a change in the machine's
# load between runs cancels out of it.
print("| win64 under Wine, into an empty folder | old build s | new build s | new / old | target | median of each run's new / old |")
print("| --- | ---: | ---: | ---: | ---: | ---: |")
for where in order:
    olds, news = times[(where, "old")], times[(where, "new")]
    old, new = statistics.median(olds), statistics.median(news)
    ratio = new / old
    paired = statistics.median(n / o for o, n in zip(olds, news))
    print("| destination on %s | %.2f | %.2f | %.3f%s | ≤ %.2f | %.3f |" % (
        where, old, new, ratio, " (missed)" if ratio > TARGET else "", TARGET, paired))
PY
} | tee "$SCRATCH/wine-unpack-results.md"
