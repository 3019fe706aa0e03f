# Sourced by the shell checks: each check says one line, ok or FAIL, under
# the label given to checks_begin, and checks_end turns the count of
# failures into the script's exit status.
checks_begin() {
  CHECKS_LABEL="$1"
  failures=0
}
fail() { echo "$CHECKS_LABEL FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "$CHECKS_LABEL ok: $*"; }
check() { local what="$1"; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }
checks_end() {
  if [ "$failures" -gt 0 ]; then
    echo "$CHECKS_LABEL: $failures check(s) failed" >&2
    exit 1
  fi
  echo "$CHECKS_LABEL: all checks passed"
}
