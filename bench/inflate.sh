#!/usr/bin/env bash
# Times the gzip input on one gzip file of over 100 MB: zlib's gzread as
# the reader used it before, InflateStream with zlib's and with ISA-L's
# inflater, ISA-L behind ReadAhead, and `pigz -dc` for scale. Each expands
# the file to /dev/null, and then into a file on a tmpfs (a consumer with
# work to do, which ReadAhead overlaps with inflating); the tools take
# turns, RUNS rounds, and the median wall-clock time of each gives MB/s of
# expanded data and the ratio to pigz.
#
#   bash bench/inflate.sh             # data in /tmp/torvan-bench/inflate
#   BENCH_DIR=/somewhere RUNS=7 bash bench/inflate.sh
#
# Not a test: its figures depend on the machine and on its load.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SCRATCH="${BENCH_DIR:-/tmp/torvan-bench}/inflate"
RUNS="${RUNS:-5}"
command -v pigz >/dev/null || { echo "bench: pigz is not installed (scripts/setup.sh)" >&2; exit 1; }

cmake -S "$ROOT" -B "$ROOT/build-bench" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$ROOT/build-bench" -j2 --target torvan_inflate_bench >/dev/null
TOOL="$ROOT/build-bench/bench/torvan_inflate_bench"

# 320 MB from a fixed seed: text that compresses like pages and scripts,
# with a third of random bytes (images, archives) that does not.
mkdir -p "$SCRATCH"
data="$SCRATCH/site.dat.gz"
if [ ! -s "$data" ]; then
  python3 - "$SCRATCH/site.dat" <<'PY'
import random, sys
rng = random.Random(20261209)
words = ("the of and to in is page site server archive folder index style script image "
         "<div> </div> <p> </p> class=\"nav\" function var return if { } ( ) ; = 0 1 42 px "
         "价格 产品 新闻 首页").split()
pool = bytearray()
while len(pool) < 8 << 20:
    pool += (" ".join(rng.choice(words) for _ in range(rng.randint(4, 18))) + "\n").encode()
with open(sys.argv[1], "wb") as out:
    for _ in range(320 * 16):   # 64 KiB pieces
        if rng.random() < 0.3:
            out.write(rng.randbytes(65536))
        else:
            at = rng.randrange(len(pool) - 65536)
            out.write(pool[at:at + 65536])
PY
  pigz -6 -p 2 < "$SCRATCH/site.dat" > "$data.part" && mv "$data.part" "$data"
  rm -f "$SCRATCH/site.dat"
fi
expanded=$(pigz -dc "$data" | wc -c)
echo "file: $data, $(stat -c %s "$data") bytes, $expanded expanded; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

tools=(gzread zlib fastest readahead pigz)
samples="$SCRATCH/samples.tsv"
: > "$samples"
shm_out="/dev/shm/torvan-inflate-bench.$$"
trap 'rm -f "$shm_out"' EXIT
# Wall-clock, user and system seconds of one expansion into $2.
run() {
  local cmd=("$TOOL" "$1" "$data")
  [ "$1" = pigz ] && cmd=(pigz -dc "$data")
  /usr/bin/time -f '%e %U %S' -o "$SCRATCH/time.log" "${cmd[@]}" > "$2" 2>"$SCRATCH/stderr.log" ||
    { cat "$SCRATCH/stderr.log" >&2; exit 1; }
  cat "$SCRATCH/time.log"
}
for sink in /dev/null "$shm_out"; do
  for round in $(seq "$RUNS"); do
    # A different tool goes first in each round.
    for i in "${!tools[@]}"; do
      tool="${tools[$(( (i + round) % ${#tools[@]} ))]}"
      rm -f "$shm_out"
      printf '%s\t%s\t%s\n' "$([ "$sink" = /dev/null ] && echo null || echo tmpfs)" "$tool" \
        "$(run "$tool" "$sink")" >> "$samples"
    done
  done
done

python3 - "$samples" "$expanded" <<'PY'
import statistics, sys
times = {}
cpu = {}
for line in open(sys.argv[1]):
    sink, tool, wall, user, system = line.split()
    times.setdefault((sink, tool), []).append(float(wall))
    cpu.setdefault((sink, tool), []).append(float(user) + float(system))
mb = int(sys.argv[2]) / 1e6
names = {"gzread": "zlib gzread (before)", "zlib": "InflateStream, zlib", "fastest": "InflateStream, ISA-L",
         "readahead": "ReadAhead over ISA-L", "pigz": "pigz -dc"}
print("| into | input | median s | MB/s | CPU s | time / pigz |")
print("| --- | --- | ---: | ---: | ---: | ---: |")
for sink in ("null", "tmpfs"):
    pigz = statistics.median(times[(sink, "pigz")])
    for tool in ("gzread", "zlib", "fastest", "readahead", "pigz"):
        s = statistics.median(times[(sink, tool)])
        into = "/dev/null" if sink == "null" else "a tmpfs file"
        c = statistics.median(cpu[(sink, tool)])
        print(f"| {into} | {names[tool]} | {s:.2f} | {mb / s:.0f} | {c:.2f} | {s / pigz:.2f} |")
PY
