#!/usr/bin/env bash
# Benchmarks torvan against GNU tar (with gzip) and against tar with pigz on
# three data sets and prints the ratio of each pair (median of several
# runs), the peak resident set size and the compressed sizes.
#
#   bash bench/run.sh                 # data and results in /tmp/torvan-bench
#   BENCH_DIR=/somewhere RUNS=5 bash bench/run.sh
#   TORVAN=/path/to/torvan bash bench/run.sh
#
# Not a test: it takes a while and its figures depend on the machine.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SCRATCH="${BENCH_DIR:-/tmp/torvan-bench}"
RUNS="${RUNS:-3}"
SETS="${SETS:-web small big}"
CORES="$(nproc)"
command -v pigz >/dev/null || { echo "bench: pigz is not installed (scripts/setup.sh)" >&2; exit 1; }

if [ -z "${TORVAN:-}" ]; then
  cmake -S "$ROOT" -B "$ROOT/build-bench" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$ROOT/build-bench" -j2 --target torvan >/dev/null
  TORVAN="$ROOT/build-bench/cli/torvan"
fi
[ -x "$TORVAN" ] || { echo "bench: no torvan binary at $TORVAN" >&2; exit 1; }

mkdir -p "$SCRATCH"
python3 "$ROOT/bench/make_datasets.py" "$SCRATCH" >/dev/null

work="$SCRATCH/work"
mkdir -p "$work"
samples="$SCRATCH/samples.tsv"
sizes="$SCRATCH/sizes.tsv"
: > "$samples"
: > "$sizes"

# Runs one command under /usr/bin/time -v; appends "set op tool seconds kib".
measure() {
  local set="$1" op="$2" tool="$3"; shift 3
  local log="$work/time.log"
  # Dirty pages of the previous step would otherwise be written out on
  # this step's time.
  sync
  if ! /usr/bin/time -v -o "$log" "$@" >/dev/null 2>"$work/stderr.log"; then
    echo "bench: failed: $*" >&2; cat "$work/stderr.log" >&2; exit 1
  fi
  local wall kib
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$log")
  kib=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")
  seconds=$(python3 -c "import sys
p=[float(x) for x in sys.argv[1].split(':')]
s=0
for x in p: s=s*60+x
print(s)" "$wall")
  printf '%s\t%s\t%s\t%s\t%s\n' "$set" "$op" "$tool" "$seconds" "$kib" >> "$samples"
}

fresh() { rm -rf "$1"; mkdir -p "$1"; }

for set in $SETS; do
  data="$SCRATCH/data/$set"
  echo "== $set: $(du -sh "$data" | cut -f1), $(find "$data" -type f | wc -l) files" >&2
  for run in $(seq 1 "$RUNS"); do
    echo "   run $run of $RUNS" >&2
    rm -f "$work"/*.dat "$work"/*.gz "$work"/*.tar "$work"/*.tgz
    # Rotate which tool goes first, so none always meets a cold cache.
    case $((run % 3)) in
      1) order="torvan tar pigz" ;;
      2) order="tar pigz torvan" ;;
      0) order="pigz torvan tar" ;;
    esac
    for tool in $order; do
      case $tool in
      torvan)
        measure "$set" pack-gzip torvan "$TORVAN" pack --quiet "$data" -o "$work/t.dat.gz"
        measure "$set" pack-gzip-1 torvan "$TORVAN" pack --quiet --threads 1 "$data" -o "$work/t1.dat.gz"
        measure "$set" pack-plain torvan "$TORVAN" pack --quiet --plain "$data" -o "$work/t.dat"
        fresh "$work/out-t"
        measure "$set" unpack-gzip torvan "$TORVAN" unpack --quiet "$work/t.dat.gz" -C "$work/out-t"
        fresh "$work/out-t"
        measure "$set" unpack-plain torvan "$TORVAN" unpack --quiet "$work/t.dat" -C "$work/out-t"
        ;;
      tar)
        measure "$set" pack-gzip tar tar -czf "$work/a.tgz" -C "$SCRATCH/data" "$set"
        measure "$set" pack-plain tar tar -cf "$work/a.tar" -C "$SCRATCH/data" "$set"
        fresh "$work/out-a"
        measure "$set" unpack-gzip tar tar -xzf "$work/a.tgz" -C "$work/out-a"
        fresh "$work/out-a"
        measure "$set" unpack-plain tar tar -xf "$work/a.tar" -C "$work/out-a"
        ;;
      pigz)
        measure "$set" pack-gzip pigz tar -I "pigz -6 -p $CORES" -cf "$work/p.tgz" -C "$SCRATCH/data" "$set"
        fresh "$work/out-p"
        measure "$set" unpack-gzip pigz tar -I "pigz -p $CORES" -xf "$work/p.tgz" -C "$work/out-p"
        ;;
      esac
    done
    if [ "$run" -eq 1 ]; then
      # Once per set: the unpacked trees must equal the original, the
      # archive must not depend on the number of threads, and its size is
      # set against one zlib stream at level 6 over the same plain archive.
      diff -rq "$data" "$work/out-t/$set" >/dev/null || { echo "bench: torvan round trip differs for $set" >&2; exit 1; }
      cmp -s "$work/t.dat.gz" "$work/t1.dat.gz" || { echo "bench: archive differs with --threads 1 for $set" >&2; exit 1; }
      one=$(python3 -c "import sys, zlib
z = zlib.compressobj(6, zlib.DEFLATED, 31, 8)
n = 0
with open(sys.argv[1], 'rb') as f:
    for block in iter(lambda: f.read(1 << 20), b''):
        n += len(z.compress(block))
print(n + len(z.flush()))" "$work/t.dat")
      printf '%s\t%s\t%s\t%s\t%s\n' "$set" "$(stat -c %s "$work/t.dat.gz")" "$(stat -c %s "$work/a.tgz")" \
        "$(stat -c %s "$work/p.tgz")" "$one" >> "$sizes"
    fi
  done
  rm -rf "$work/out-t" "$work/out-a" "$work/out-p"
done
rm -f "$work"/*.dat "$work"/*.gz "$work"/*.tar "$work"/*.tgz

python3 "$ROOT/bench/report.py" "$samples" "$sizes" "$CORES" | tee "$SCRATCH/results.md"
