# shellcheck shell=bash
# Sourced by the unpack benchmarks: data sets, cached archives, scratch
# destinations, one timed run, turns. Both take every figure through these,
# so the native and the Wine numbers are measured alike.

BENCH_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SCRATCH="${BENCH_DIR:-/tmp/torvan-bench}"
RUNS="${RUNS:-5}"

bench_fail() { echo "bench: $*" >&2; exit 1; }

# The folder of one data set of make_datasets.py, generated the first time.
data_set() {
  python3 "$BENCH_ROOT/bench/make_datasets.py" "$SCRATCH" "$1" | tail -n 1
}

# A new scratch folder for destinations below PARENT, which must be on a
# tmpfs or on disk as asked: the targets are meant without the disk's
# moods, and a "disk" figure taken on a tmpfs /tmp would mislead.
dest_dir() {  # parent, tmpfs or disk
  local type; type="$(stat -f -c %T "$1")" || bench_fail "no folder $1"
  if [ "$2" = tmpfs ] && [ "$type" != tmpfs ]; then bench_fail "$1 is not a tmpfs"; fi
  if [ "$2" = disk ] && [ "$type" = tmpfs ]; then bench_fail "$1 is a tmpfs, not a disk (set DISK_DIR)"; fi
  mktemp -d "$1/torvan-unpack.XXXXXX"
}

# Archives live in SCRATCH/archives, made once. A torvan archive is named
# after the binary that packed it, so a new build packs its own (its
# output may differ) and an old one's is not taken for it.
archive_of() {  # data folder, binary, packing command... (the archive's path is appended)
  local data="$1" key; key="$(sha256sum "$2" | cut -c1-12)"; shift 2
  local archive="$SCRATCH/archives/$(basename "$data").$key.dat.gz"
  if [ ! -s "$archive" ]; then
    mkdir -p "$SCRATCH/archives"
    echo "packing $(basename "$data") (build $key)" >&2
    "$@" "$archive.part" >/dev/null || bench_fail "pack failed: $*"
    mv "$archive.part" "$archive"
  fi
  echo "$archive"
}

tar_archive_of() {  # data folder
  local data="$1" archive="$SCRATCH/archives/$(basename "$1").tar.gz"
  if [ ! -s "$archive" ]; then
    mkdir -p "$SCRATCH/archives"
    echo "packing $(basename "$data") with tar and pigz" >&2
    tar -C "$(dirname "$data")" -cf - "$(basename "$data")" | pigz -p 2 > "$archive.part"
    mv "$archive.part" "$archive"
  fi
  echo "$archive"
}

# Runs one command and prints "wall-seconds peak-RSS-KiB". Dirty pages of
# the step before are written out first, or this step would pay for them.
# The wall clock is bash's own, finer than GNU time's hundredths.
timed() {
  local log; log="$(mktemp)"
  sync
  local start=$EPOCHREALTIME
  if ! /usr/bin/time -f %M -o "$log" "$@" >/dev/null 2>"$log.err"; then
    cat "$log.err" >&2; rm -f "$log" "$log.err"; bench_fail "failed: $*"
  fi
  local end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" -v k="$(tail -n 1 "$log")" 'BEGIN {printf "%.3f %d\n", e - s, k}'
  rm -f "$log" "$log.err"
}

# Which tool goes first in run N: they take turns, so neither always
# meets the caches the other left.
turns() {  # run, first tool, second tool
  if [ $(($1 % 2)) -eq 1 ]; then echo "$2 $3"; else echo "$3 $2"; fi
}

# Every file below a folder with its inode and mtime, for telling which
# ones an unpack left alone.
file_ids() { (cd "$1" && find . -type f -printf '%i %T@ %p\n' | LC_ALL=C sort); }
kept_count() { LC_ALL=C comm -12 <(echo "$1") <(echo "$2") | wc -l; }

load_average() { cut -d' ' -f1-3 /proc/loadavg; }
