#!/usr/bin/env bash
# gzip unpack speed of torvan against `tar -I 'pigz -p 2' -xf` of the same
# content, the two taking turns in one run: into an empty folder (a site,
# one big log, bench's 1 GiB "big" set), over an unchanged copy of the site
# and over a copy with 1% of its files changed, each with the destination
# on a tmpfs (where the targets hold) and on disk (whose own times vary
# fivefold here, so they are shown beside, not judged). Prints the
# README's table: medians, ratios, how many unchanged files kept their
# inode and mtime, torvan's peak RSS against manifest + 32 MiB.
#
#   TORVAN=build/cli/torvan bash bench/unpack.sh
#
# RUNS (5), BENCH_DIR (/tmp/torvan-bench: data sets, archives, results),
# TMPFS_DIR (/dev/shm) and DISK_DIR (BENCH_DIR), below which a scratch
# destination is made and removed again, SITE_FILES (6000), SITE_MB (120), LOG_MB (300),
# SETS ("site log big"), WHERE ("tmpfs disk").
set -euo pipefail
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"
TORVAN="$(realpath "${TORVAN:-$BENCH_ROOT/build/cli/torvan}")"
SITE_FILES="${SITE_FILES:-6000}"
SITE_MB="${SITE_MB:-120}"
LOG_MB="${LOG_MB:-300}"
SETS="${SETS:-site log big}"
WHERE="${WHERE:-tmpfs disk}"
[ -x "$TORVAN" ] || bench_fail "no torvan binary at $TORVAN (set TORVAN)"
command -v pigz >/dev/null || bench_fail "pigz is not installed (scripts/setup.sh)"

mkdir -p "$SCRATCH"
tmpfs_dest="$(dest_dir "${TMPFS_DIR:-/dev/shm}" tmpfs)"
trap 'rm -rf "$tmpfs_dest"' EXIT
disk_dest="$(dest_dir "${DISK_DIR:-$SCRATCH}" disk)"
trap 'rm -rf "$tmpfs_dest" "$disk_dest"' EXIT

# The previous build of 1% of a set's files: every hundredth, half of them
# of the same size with one byte changed (no size check can tell), half
# with a line more.
old_versions() {
  local data="$1" old="$SCRATCH/data/$(basename "$1").old"
  if [ ! -e "$old.done" ]; then
    rm -rf "$old"
    python3 - "$data" "$old" <<'PY'
import os, sys
data, old = sys.argv[1:]
files = sorted(os.path.relpath(os.path.join(d, f), data) for d, _, fs in os.walk(data) for f in fs)
for i, rel in enumerate(files[::100]):
    body = open(os.path.join(data, rel), "rb").read()
    if i % 2:
        body += b"\n<!-- previous build -->\n"
    else:
        mid = len(body) // 2
        body = body[:mid] + bytes([body[mid] ^ 1]) + body[mid + 1:]
    path = os.path.join(old, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, "wb").write(body)
PY
    touch "$old.done"
  fi
  echo "$old"
}

# The preamble's second number is the manifest's length.
manifest_bytes() {
  local preamble
  preamble="$(set +o pipefail; gzip -dc "$1" 2>/dev/null | head -c 32)"
  echo $((10#${preamble:16:16}))
}

samples="$SCRATCH/unpack-samples.tsv"
sets="$SCRATCH/unpack-sets.tsv"
: > "$samples"
: > "$sets"

# One case, RUNS times each tool. Before every run the destination is put
# back to what the case starts from; only the unpack itself is timed.
measure() {  # kind (empty, unchanged, changed), data folder, where (tmpfs, disk)
  local kind="$1" data="$2" where="$3"
  local name; name="$(basename "$data")"
  local ours theirs; theirs="$(tar_archive_of "$data")"
  ours="$(archive_of "$data" "$TORVAN" "$TORVAN" pack -q "$data" -o)"
  local dest="$disk_dest"; [ "$where" = tmpfs ] && dest="$tmpfs_dest"
  dest="$dest/$kind"
  local total expected old=""
  total="$(find "$data" -type f | wc -l)"
  expected="$total"
  rm -rf "$dest"; mkdir -p "$dest"
  if [ "$kind" != empty ]; then
    "$TORVAN" unpack -q "$ours" -C "$dest" >/dev/null
  fi
  if [ "$kind" = changed ]; then
    old="$(old_versions "$data")"
    expected=$((total - $(find "$old" -type f | wc -l)))
  fi
  echo "== $name, $kind, $where (load average $(load_average))" >&2
  local begun=$SECONDS run tool secs kib kept before
  for run in $(seq 1 "$RUNS"); do
    for tool in $(turns "$run" torvan tar); do
      case $kind in
        empty) rm -rf "${dest:?}/$name" ;;
        changed) cp -r "$old/." "$dest/$name/" ;;
      esac
      kept=-
      if [ "$tool" = torvan ]; then
        [ "$kind" = empty ] || before="$(file_ids "$dest/$name")"
        read -r secs kib <<<"$(timed "$TORVAN" unpack -q "$ours" -C "$dest")"
        [ "$kind" = empty ] || kept="$(kept_count "$before" "$(file_ids "$dest/$name")")"
        # A build that is fast because it got something wrong must not
        # pass: its first result of each case is compared with the data.
        if [ "$run" -eq 1 ]; then
          diff -rq "$data" "$dest/$name" >/dev/null || bench_fail "torvan's unpack differs from $data ($kind, $where)"
        fi
      else
        read -r secs kib <<<"$(timed tar -I 'pigz -p 2' -xf "$theirs" -C "$dest")"
      fi
      printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$kind" "$where" "$tool" "$secs" "$kib" "$kept" "$expected" >> "$samples"
    done
  done
  rm -rf "$dest"
  echo "   took $((SECONDS - begun)) s" >&2
  grep -q "^$name	" "$sets" ||
    printf '%s\t%s\t%s\t%s\n' "$name" "$total" "$(find "$data" -type f -printf '%s\n' | awk '{n += $1} END {print n}')" "$(manifest_bytes "$ours")" >> "$sets"
}

started="$(date -u '+%Y-%m-%d %H:%M')"
load_before="$(load_average)"
for set in $SETS; do
  case $set in
    site) data="$(data_set "site:$SITE_FILES:$SITE_MB")"; kinds="empty unchanged changed" ;;
    log) data="$(data_set "log:$LOG_MB")"; kinds="empty" ;;
    big) data="$(data_set big)"; kinds="empty" ;;
    *) bench_fail "unknown set '$set' (site, log, big)" ;;
  esac
  for kind in $kinds; do
    for where in $WHERE; do measure "$kind" "$data" "$where"; done
  done
done

{
  echo "$("$TORVAN" --version 2>/dev/null | head -n 1), $started to $(date -u '+%H:%M') UTC, load average $load_before before, $(load_average) after, $(nproc) cores; median of $RUNS runs."
  echo
  python3 - "$samples" "$sets" <<'PY'
import statistics, sys
from collections import defaultdict

TARGET = {"empty": 0.5, "unchanged": 0.35, "changed": 0.4}
INTO = {"empty": "into an empty folder", "unchanged": "over an unchanged copy", "changed": "over a copy, 1% changed"}
seconds, rss, kept = defaultdict(list), defaultdict(int), defaultdict(list)
order = []
for line in open(sys.argv[1]):
    name, kind, where, tool, secs, kib, k, expected = line.rstrip("\n").split("\t")
    case = (name, kind, where)
    if case not in order:
        order.append(case)
    seconds[case + (tool,)].append(float(secs))
    if tool == "torvan":
        rss[case] = max(rss[case], int(kib))
        if k != "-":
            kept[case].append((int(k), int(expected)))
sets = {}
for line in open(sys.argv[2]):
    name, files, size, manifest = line.split()
    sets[name] = (int(files), int(size), int(manifest))

print("| case | destination | torvan s | tar+pigz s | ratio | target | unchanged files kept (inode and mtime) | torvan peak RSS | bound (manifest + 32 MiB) |")
print("| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |")
missed = 0
for case in order:
    name, kind, where = case
    files, size, manifest = sets[name]
    ours = statistics.median(seconds[case + ("torvan",)])
    theirs = statistics.median(seconds[case + ("tar",)])
    ratio = ours / theirs
    # The targets are for the tmpfs; the disk's figures are there for scale.
    judged = where == "tmpfs"
    note = ""
    if judged and ratio > TARGET[kind]:
        note, missed = " (missed)", missed + 1
    if kept[case]:
        least, expected = min(kept[case])
        kept_text = "%s of %s" % (f"{least:,}", f"{expected:,}")
        if least < expected:
            kept_text, missed = kept_text + " (missed)", missed + 1
    else:
        kept_text = "-"
    bound = manifest + (32 << 20)
    rss_text = "%.1f MiB" % (rss[case] / 1024)
    if rss[case] * 1024 > bound:
        rss_text, missed = rss_text + " (over)", missed + 1
    print("| %s (%s, %.0f MiB), %s | %s | %.2f | %.2f | %.2f%s | %s | %s | %s | %.1f MiB |" % (
        name.split("-")[0], "1 file" if files == 1 else f"{files:,} files", size / 2**20, INTO[kind], where, ours, theirs, ratio, note,
        "≤ %.2f" % TARGET[kind] if judged else "-", kept_text, rss_text, bound / 2**20))
if missed:
    print()
    print("%d target(s) missed." % missed)
PY
} | tee "$SCRATCH/unpack-results.md"
