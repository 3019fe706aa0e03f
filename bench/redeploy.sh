#!/usr/bin/env bash
# Re-deploying a site over its own live copy: torvan unpack against
# tar -I 'pigz -p 2' -xf of the same content, over the same copy, taking
# turns. Prints the median seconds of each, the ratio, and how many files
# of the copy the torvan run left with their inode.
#
#   TORVAN=build/cli/torvan FILES=3000 bash bench/redeploy.sh
#
# Runs in BENCH_DIR (default /dev/shm/torvan-redeploy, a tmpfs, so that
# the disk's own moods do not decide).
set -euo pipefail
TORVAN="$(realpath "${TORVAN:-build/cli/torvan}")"
FILES="${FILES:-3000}"
RUNS="${RUNS:-5}"
dir="${BENCH_DIR:-/dev/shm/torvan-redeploy}"
rm -rf "$dir"; mkdir -p "$dir/src/site" "$dir/live"
python3 - "$dir/src/site" "$FILES" <<'PY'
import os, random, sys
root, count = sys.argv[1], int(sys.argv[2])
rnd = random.Random(23)
words = [bytes(rnd.choice(b"abcdefghijklmnop<>/= ") for _ in range(rnd.randint(3, 9))) for _ in range(400)]
for i in range(count):
    path = os.path.join(root, "d%02d" % (i % 40), "f%05d.html" % i)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(b" ".join(rnd.choice(words) for _ in range(rnd.randint(500, 5000))))
PY
"$TORVAN" pack -q "$dir/src/site" -o "$dir/site.dat.gz"
tar -C "$dir/src" -cf - site | pigz -p 2 > "$dir/site.tar.gz"
"$TORVAN" unpack -q "$dir/site.dat.gz" -C "$dir/live" >/dev/null
inodes() { find "$dir/live/site" -type f -printf '%i %p\n' | sort; }
before="$(inodes)"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N); awk -v s="$s" -v e="$e" 'BEGIN {printf "%.3f\n", e - s}'; }
t_torvan=(); t_tar=()
for _ in $(seq "$RUNS"); do
  t_torvan+=("$(seconds "$TORVAN" unpack -q "$dir/site.dat.gz" -C "$dir/live")")
  kept=$(comm -12 <(echo "$before") <(inodes) | wc -l)
  t_tar+=("$(seconds tar -I 'pigz -p 2' -xf "$dir/site.tar.gz" -C "$dir/live")")
  # tar replaced every file: start the next torvan run from a fresh copy.
  rm -rf "$dir/live/site"; "$TORVAN" unpack -q "$dir/site.dat.gz" -C "$dir/live" >/dev/null; before="$(inodes)"
done
mt=$(printf '%s\n' "${t_torvan[@]}" | median); mp=$(printf '%s\n' "${t_tar[@]}" | median)
echo "files $FILES  torvan ${mt}s  tar+pigz ${mp}s  ratio $(awk -v a="$mt" -v b="$mp" 'BEGIN {printf "%.2f", a / b}')  unchanged files kept: $kept of $FILES"
rm -rf "$dir"
