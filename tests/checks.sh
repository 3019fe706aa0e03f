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

# Whether osslsigncode accepts the signature of a file as one made by the
# certificate given (PEM), the signing certificate itself or its root.
signed_by() { osslsigncode verify -CAfile "$2" -in "$1" >/dev/null 2>&1; }

# One check per program of a release folder that Torvan signs: the three
# in each zip and each installer. (The uninstallers are inside the
# installers, seen only once one has run.)
check_release_signatures() {  # dist folder, certificate (PEM)
  local dist="$1" cert="$2" zip_file program unpacked setup
  unpacked="$(mktemp -d)"
  for zip_file in "$dist"/*.zip; do
    for program in Torvan.exe TorvanExt.dll console/torvan.exe; do
      unzip -p "$zip_file" "$program" > "$unpacked/program"
      check "$(basename "$zip_file"): $program is signed" signed_by "$unpacked/program" "$cert"
    done
  done
  for setup in "$dist"/*-setup-*.exe; do
    check "$(basename "$setup") is signed" signed_by "$setup" "$cert"
  done
  rm -rf "$unpacked"
}
