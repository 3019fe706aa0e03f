#!/usr/bin/env bash
# Builds the reader's fuzz target with clang (libFuzzer, ASan, UBSan) in
# build-fuzz/ and fuzzes it for a bounded time.
#
#   bash tests/fuzz/run.sh [SECONDS]          # default 60
#   FUZZ_CORPUS_OUT=dir bash tests/fuzz/run.sh 1800   # keep what it finds
#
# Exit status 1 when the fuzzer finds a crash, a leak, a hang or runs out
# of memory; the reproducer is left in build-fuzz/artifacts/.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
SECONDS_TO_RUN="${1:-60}"
BUILD="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ is not installed; skipping the fuzz run" >&2
  exit 0
fi

flags="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=undefined -g -O1"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=Debug -DTORVAN_FUZZ=ON \
      -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null || exit 1
cmake --build "$BUILD" -j2 --target fuzz_reader >/dev/null || exit 1

# libFuzzer adds what it finds to the first corpus folder: a scratch copy,
# so the kept corpus changes only when someone chooses to.
work="${FUZZ_CORPUS_OUT:-$BUILD/corpus}"
mkdir -p "$work" "$BUILD/artifacts"
cp -n "$ROOT/tests/fuzz/corpus/"* "$work/" 2>/dev/null || true

# Every input unpacks into a fresh folder and is removed again: on a
# memory-backed file system that costs microseconds instead of milliseconds.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# -timeout: one input that takes longer is a hang. The overall run is bounded
# by -max_total_time and, should that fail, by timeout(1).
timeout -k 30 $((SECONDS_TO_RUN + 120)) \
  "$BUILD/tests/fuzz/fuzz_reader" "$work" \
    -max_total_time="$SECONDS_TO_RUN" -timeout=20 -rss_limit_mb=1024 -max_len=4096 \
    -artifact_prefix="$BUILD/artifacts/" -print_final_stats=1 2> "$BUILD/fuzz.log"
rc=$?
tail -n 15 "$BUILD/fuzz.log" >&2
if [ $rc -ne 0 ]; then
  echo "fuzz: the reader failed (exit $rc); reproducers in $BUILD/artifacts/" >&2
  exit 1
fi
echo "fuzz: no crash in ${SECONDS_TO_RUN}s" >&2
