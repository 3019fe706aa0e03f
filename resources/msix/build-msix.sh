#!/usr/bin/env bash
# Writes the signed sparse package TorvanShell.msix into <out dir>, and,
# when the signing certificate is self-signed, its public part
# TorvanShell.cer beside it for the installer to trust.
#
#   bash resources/msix/build-msix.sh <out dir>
#
# The packer and the logo tools come from the native build (build/). The
# certificate is TORVAN_SIGN_PFX with the password TORVAN_SIGN_PASSWORD when
# set; otherwise a throwaway self-signed one is made for this build only and
# its private key is deleted with the build's scratch folder.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
OUT="${1:?usage: build-msix.sh <out dir>}"
HERE="$ROOT/resources/msix"
TOOLS="$ROOT/build/tools/msixpack"
VERSION="$(cat "$ROOT/VERSION")"
fail() { echo "build-msix: $*" >&2; exit 1; }

# The package's Identity Publisher, fixed forever.
PUBLISHER="$(sed -n 's/.*<Identity [^>]*Publisher="\([^"]*\)".*/\1/p' "$HERE/AppxManifest.xml.in")"
CLSID="$(sed -n 's/.*TORVANCOMMAND_CLSID_TEXT "{\([0-9A-Fa-f-]*\)}".*/\1/p' "$ROOT/resources/TorvanCommandClsid.h")"
[ -n "$PUBLISHER" ] && [ -n "$CLSID" ] || fail "cannot read the Publisher or the class identifier"
# A package version is four numbers of 16 bits each.
[[ "$VERSION" =~ ^[0-9]{1,5}\.[0-9]{1,5}\.[0-9]{1,5}\.[0-9]{1,5}$ ]] || fail "VERSION '$VERSION' is not four dotted numbers"
IFS=. read -ra parts <<<"$VERSION"
for part in "${parts[@]}"; do [ "$((10#$part))" -le 65535 ] || fail "VERSION '$VERSION': $part is above 65535"; done

# Debian bookworm's osslsigncode 2.5 knows no MSIX; 2.9 is the one checked here.
command -v osslsigncode >/dev/null || fail "osslsigncode is not installed"
signer="$(osslsigncode --version 2>&1 | sed -n '1s/^osslsigncode \([0-9][0-9.]*\).*/\1/p')"
IFS=. read -r major minor _ <<<"${signer:-0.0}"
if [ "${major:-0}" -lt 2 ] || { [ "$major" -eq 2 ] && [ "${minor:-0}" -lt 9 ]; }; then
  fail "osslsigncode ${signer:-?} cannot sign MSIX packages; 2.9 or later is needed"
fi
for tool in msixpack bmp-to-png pixelmap-to-bmp; do
  [ -x "$TOOLS/$tool" ] || fail "$TOOLS/$tool missing (build the native tree first)"
done

scratch="$(mktemp -d)"  # mode 700: the key and the password stay private
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$OUT"

# How Windows writes a subject: most specific part first, ", " between parts.
windows_subject() {
  openssl x509 -noout -subject -nameopt RFC2253,sep_comma_plus_space -in "$1" |
    sed -e 's/^subject=//' -e 's/\bST=/S=/g' -e 's/\bemailAddress=/E=/g'
}

if [ -n "${TORVAN_SIGN_PFX:-}" ]; then
  [ -f "$TORVAN_SIGN_PFX" ] || fail "TORVAN_SIGN_PFX names no file: $TORVAN_SIGN_PFX"
  openssl pkcs12 -in "$TORVAN_SIGN_PFX" -passin env:TORVAN_SIGN_PASSWORD -nokeys -clcerts -out "$scratch/cert.pem" \
    2>/dev/null || fail "cannot open $TORVAN_SIGN_PFX with TORVAN_SIGN_PASSWORD"
  # Through a file of the scratch folder: a -pass argument would show in ps.
  (umask 077 && printf '%s' "${TORVAN_SIGN_PASSWORD:-}" > "$scratch/password")
  sign_with=(-pkcs12 "$TORVAN_SIGN_PFX" -readpass "$scratch/password")
else
  openssl req -x509 -newkey rsa:3072 -sha256 -nodes -days 3650 -subj "/$PUBLISHER" \
    -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
    -addext "extendedKeyUsage=codeSigning" -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null ||
    fail "openssl could not make the throwaway certificate"
  sign_with=(-certs "$scratch/cert.pem" -key "$scratch/key.pem")
fi
subject="$(windows_subject "$scratch/cert.pem")"
[ "$subject" = "$PUBLISHER" ] || fail "the certificate's subject '$subject' is not the package Publisher '$PUBLISHER'"

sed -e "s/@VERSION@/$VERSION/" -e "s/@CLSID@/$CLSID/g" "$HERE/AppxManifest.xml.in" > "$scratch/AppxManifest.xml"
"$TOOLS/pixelmap-to-bmp" "$ROOT/resources/icon/torvan-32.txt" "$scratch/logo.bmp"
"$TOOLS/bmp-to-png" "$scratch/logo.bmp" "$scratch/Logo.png"
"$TOOLS/msixpack" "$scratch/unsigned.msix" "$scratch/AppxManifest.xml" 'Assets\Logo.png='"$scratch/Logo.png"

rm -f "$OUT/TorvanShell.msix" "$OUT/TorvanShell.cer"
osslsigncode sign "${sign_with[@]}" -h sha256 -in "$scratch/unsigned.msix" -out "$scratch/signed.msix" \
  >"$scratch/sign.log" 2>&1 || { cat "$scratch/sign.log" >&2; fail "osslsigncode could not sign the package"; }
# osslsigncode has reported success on packages it damaged: check its work.
osslsigncode verify -CAfile "$scratch/cert.pem" -in "$scratch/signed.msix" >"$scratch/verify.log" 2>&1 ||
  { cat "$scratch/verify.log" >&2; fail "the signed package does not verify"; }
mv "$scratch/signed.msix" "$OUT/TorvanShell.msix"

# Only the public part ships, and only where Windows must be told to trust it.
if [ "$(openssl x509 -noout -subject -in "$scratch/cert.pem")" = \
     "$(openssl x509 -noout -issuer -in "$scratch/cert.pem" | sed 's/^issuer=/subject=/')" ]; then
  openssl x509 -in "$scratch/cert.pem" -outform DER -out "$OUT/TorvanShell.cer"
fi
echo "build-msix: $OUT/TorvanShell.msix"
