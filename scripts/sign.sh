#!/usr/bin/env bash
# The one signing step of everything Torvan ships: Authenticode signatures by
# osslsigncode, dated SOURCE_DATE_EPOCH and never sent to a time-stamp
# server (none can be reached from a build machine), so one certificate
# signs one file to the same bytes every time.
#
#   source scripts/sign.sh; signing_begin   prepares a release build's signer
#   bash scripts/sign.sh <file>...          signs each file in place
#   signing_end                             forgets a signer signing_begin made
#
# The certificate is TORVAN_SIGN_PFX, opened with TORVAN_SIGN_PASSWORD, when
# set. Otherwise signing_begin makes a throwaway self-signed one for this
# build alone, valid from a day before SOURCE_DATE_EPOCH; its fresh private
# key never leaves the signer's folder (mode 700), which signing_end deletes.
# The signer's folder is TORVAN_SIGNING, exported, so that the signing
# commands makensis runs use the same certificate.

SIGN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

sign_fail() { echo "sign: $*" >&2; exit 1; }

# The Identity Publisher of the Windows 11 package: Windows accepts the
# package only when its signer's subject is exactly this, so every
# certificate must carry it.
release_publisher() {
  sed -n 's/.*<Identity [^>]*Publisher="\([^"]*\)".*/\1/p' "$SIGN_ROOT/resources/msix/AppxManifest.xml.in"
}

# How Windows writes a subject: most specific part first, ", " between parts.
windows_subject() {
  openssl x509 -noout -subject -nameopt RFC2253,sep_comma_plus_space -in "$1" |
    sed -e 's/^subject=//' -e 's/\bST=/S=/g' -e 's/\bemailAddress=/E=/g'
}

# Whether a PEM certificate is its own issuer (so users must be told to
# trust it, and may be given its public part).
self_signed() {
  [ "$(openssl x509 -noout -subject -in "$1")" = "$(openssl x509 -noout -issuer -in "$1" | sed 's/^issuer=/subject=/')" ]
}

make_throwaway_certificate() {  # folder, subject
  local dir="$1" subject="$2" now from until
  now="$(date +%s)"
  from="$(date -u -d "@$((SOURCE_DATE_EPOCH - 86400))" +%Y%m%d%H%M%SZ)"
  until="$(date -u -d "@$(( (now > SOURCE_DATE_EPOCH ? now : SOURCE_DATE_EPOCH) + 3650 * 86400 ))" +%Y%m%d%H%M%SZ)"
  # openssl req dates a certificate from now only; "openssl ca" takes any
  # start date, so the build's key signs its own request through it.
  mkdir -p "$dir/ca"
  : > "$dir/ca/index.txt"
  cat > "$dir/ca/openssl.cnf" <<EOF
[ca]
default_ca = throwaway
[throwaway]
dir = $dir/ca
database = \$dir/index.txt
new_certs_dir = \$dir
serial = \$dir/serial
default_md = sha256
policy = any_name
unique_subject = no
x509_extensions = code_signing
[any_name]
commonName = supplied
[code_signing]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
EOF
  openssl req -new -newkey rsa:3072 -nodes -subj "/$subject" -keyout "$dir/key.pem" -out "$dir/ca/request.pem" \
    >/dev/null 2>&1 &&
  openssl ca -batch -selfsign -notext -rand_serial -config "$dir/ca/openssl.cnf" -keyfile "$dir/key.pem" \
    -in "$dir/ca/request.pem" -startdate "$from" -enddate "$until" -out "$dir/cert.pem" >"$dir/ca/log" 2>&1 ||
    { cat "$dir/ca/log" >&2 2>/dev/null; sign_fail "openssl could not make the throwaway certificate"; }
  cp "$dir/cert.pem" "$dir/chain.pem"
  rm -rf "$dir/ca"
}

# Seconds since 1970 of one of a certificate's dates (startdate, enddate).
certificate_date() { date -u -d "$(openssl x509 -noout "-$1" -in "$2" | sed 's/^[^=]*=//')" +%s; }

signing_begin() {
  source "$SIGN_ROOT/scripts/release-date.sh"
  SIGNING_MADE_HERE=no
  # A caller's signer is used as it is: one release, one certificate.
  if [ -n "${TORVAN_SIGNING:-}" ] && [ -f "$TORVAN_SIGNING/cert.pem" ]; then return 0; fi

  command -v osslsigncode >/dev/null || sign_fail "osslsigncode is not installed"
  # Debian bookworm's own osslsigncode 2.5 knows no MSIX; 2.9 is the one
  # checked here.
  local signer major minor
  signer="$(osslsigncode --version 2>&1 | sed -n '1s/^osslsigncode \([0-9][0-9.]*\).*/\1/p')"
  IFS=. read -r major minor _ <<<"${signer:-0.0}"
  if [ "${major:-0}" -lt 2 ] || { [ "$major" -eq 2 ] && [ "${minor:-0}" -lt 9 ]; }; then
    sign_fail "osslsigncode ${signer:-?} cannot sign MSIX packages; 2.9 or later is needed"
  fi

  TORVAN_SIGNING="$(mktemp -d)"  # mode 700: the key and the password stay private
  export TORVAN_SIGNING
  SIGNING_MADE_HERE=yes
  local dir="$TORVAN_SIGNING" publisher subject
  publisher="$(release_publisher)"
  [ -n "$publisher" ] || sign_fail "cannot read the package Publisher from resources/msix/AppxManifest.xml.in"

  if [ -n "${TORVAN_SIGN_PFX:-}" ]; then
    [ -f "$TORVAN_SIGN_PFX" ] || sign_fail "TORVAN_SIGN_PFX names no file: $TORVAN_SIGN_PFX"
    openssl pkcs12 -in "$TORVAN_SIGN_PFX" -passin env:TORVAN_SIGN_PASSWORD -nokeys -clcerts -out "$dir/cert.pem" \
      2>/dev/null || sign_fail "cannot open $TORVAN_SIGN_PFX with TORVAN_SIGN_PASSWORD"
    # Every certificate of the file, to check each signature up to its root.
    openssl pkcs12 -in "$TORVAN_SIGN_PFX" -passin env:TORVAN_SIGN_PASSWORD -nokeys -out "$dir/chain.pem" 2>/dev/null
    # Through a file of the signer's folder: a -pass argument would show in ps.
    (umask 077 && printf '%s' "${TORVAN_SIGN_PASSWORD:-}" > "$dir/password")
    # Absolute: makensis runs the signing commands in another folder.
    readlink -f "$TORVAN_SIGN_PFX" > "$dir/pfx"
  else
    make_throwaway_certificate "$dir" "$publisher"
  fi

  subject="$(windows_subject "$dir/cert.pem")"
  [ "$subject" = "$publisher" ] || sign_fail "the certificate's subject '$subject' is not the package Publisher '$publisher'"
  # A signature dated when its certificate was not valid is one no checker
  # should accept; the signer who meets this picks another date.
  if [ "$SOURCE_DATE_EPOCH" -lt "$(certificate_date startdate "$dir/cert.pem")" ] ||
     [ "$SOURCE_DATE_EPOCH" -gt "$(certificate_date enddate "$dir/cert.pem")" ]; then
    sign_fail "the certificate is not valid at this build's date, $(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T') UTC;" \
              "give SOURCE_DATE_EPOCH a time within its validity"
  fi
}

signing_end() {
  if [ "${SIGNING_MADE_HERE:-no}" = yes ]; then rm -rf "$TORVAN_SIGNING"; unset TORVAN_SIGNING; fi
  SIGNING_MADE_HERE=no
}

sign_files() {
  local dir="${TORVAN_SIGNING:-}" file signed with
  [ -n "$dir" ] && [ -f "$dir/cert.pem" ] || sign_fail "no signer prepared (signing_begin, as scripts/package.sh does)"
  [ -n "${SOURCE_DATE_EPOCH:-}" ] || sign_fail "SOURCE_DATE_EPOCH is not set"
  if [ -f "$dir/pfx" ]; then
    with=(-pkcs12 "$(cat "$dir/pfx")" -readpass "$dir/password")
  else
    with=(-certs "$dir/cert.pem" -key "$dir/key.pem")
  fi
  for file in "$@"; do
    signed="$dir/signed.$$"
    rm -f "$signed"
    osslsigncode sign "${with[@]}" -h sha256 -n Torvan -time "$SOURCE_DATE_EPOCH" -in "$file" -out "$signed" \
      >"$dir/sign.log" 2>&1 || { cat "$dir/sign.log" >&2; sign_fail "osslsigncode could not sign $file"; }
    # osslsigncode has reported success on files it damaged: check its work.
    osslsigncode verify -CAfile "$dir/chain.pem" -in "$signed" >"$dir/verify.log" 2>&1 ||
      { cat "$dir/verify.log" >&2; sign_fail "the signed $file does not verify"; }
    # Written over, not renamed: the file keeps its mode.
    cat "$signed" > "$file" && rm -f "$signed"
  done
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  [ $# -gt 0 ] || sign_fail "usage: sign.sh <file>..."
  sign_files "$@"
fi
