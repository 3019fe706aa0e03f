#!/usr/bin/env bash
# Times two builds of torvan unpacking the small data set, taking turns:
# into an empty folder and then again over the copy that left, plain and
# gzip. Prints the median seconds of each and the ratio new / old.
#
#   OLD=/path/to/old/torvan NEW=/path/to/new/torvan bash bench/unpack-over.sh
#   OLD=old/torvan.exe NEW=new/torvan.exe WINE=1 bash bench/unpack-over.sh
#
# The data set comes from bench/run.sh (or make_datasets.py) under
# BENCH_DIR, /tmp/torvan-bench by default.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SCRATCH="${BENCH_DIR:-/tmp/torvan-bench}"
RUNS="${RUNS:-5}"
data="$SCRATCH/data/small"
work="$SCRATCH/work-unpack-over"
[ -d "$data" ] || { echo "bench: no data set at $data (run bench/run.sh first)" >&2; exit 1; }
[ -n "${OLD:-}" ] && [ -n "${NEW:-}" ] || { echo "bench: set OLD and NEW" >&2; exit 1; }

if [ -n "${WINE:-}" ]; then
  # shellcheck source=/dev/null
  source "$ROOT/scripts/wine-env.sh"
  wine_prefix_ready >/dev/null
  native() { echo "Z:${1//\//\\}"; }
  run() { wine "$@"; }
else
  native() { echo "$1"; }
  run() { "$@"; }
fi

rm -rf "$work"
mkdir -p "$work"
run "$NEW" pack --quiet --plain "$(native "$data")" -o "$(native "$work/s.dat")"
run "$NEW" pack --quiet "$(native "$data")" -o "$(native "$work/s.dat.gz")"

samples="$work/samples.tsv"
: > "$samples"
# One unpack, its wall-clock seconds appended as "tool archive where seconds".
timed() {
  local tool="$1" archive="$2" where="$3" exe="$4"
  sync
  local start end
  start=$(date +%s.%N)
  run "$exe" unpack --quiet "$(native "$work/$archive")" -C "$(native "$work/out")" >/dev/null
  end=$(date +%s.%N)
  echo "$tool $archive $where $(echo "$end - $start" | bc)" >> "$samples"
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
for r in $(seq 1 "$RUNS"); do
  if [ $((r % 2)) -eq 1 ]; then order="old new"; else order="new old"; fi
  for tool in $order; do
    exe="$OLD"; [ "$tool" = new ] && exe="$NEW"
    for archive in s.dat s.dat.gz; do
      rm -rf "$work/out"; mkdir -p "$work/out"
      timed "$tool" "$archive" empty "$exe"
      timed "$tool" "$archive" over "$exe"
    done
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
rm -rf "$work/out"

python3 - "$samples" <<'EOF'
import statistics, sys
times = {}
for line in open(sys.argv[1]):
    tool, archive, where, seconds = line.split()
    times.setdefault((archive, where, tool), []).append(float(seconds))
print("| archive | into | old s | new s | new / old |")
print("| --- | --- | ---: | ---: | ---: |")
for archive in ("s.dat", "s.dat.gz"):
    for where in ("empty", "over"):
        old = statistics.median(times[(archive, where, "old")])
        new = statistics.median(times[(archive, where, "new")])
        kind = "plain" if archive == "s.dat" else "gzip"
        print("| %s | %s | %.2f | %.2f | %.3f |" % (kind, "empty folder" if where == "empty" else "existing copy",
                                                  old, new, new / old))
EOF
