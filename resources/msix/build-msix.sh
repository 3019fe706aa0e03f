#!/usr/bin/env bash
# Writes the signed sparse package TorvanShell.msix into <out dir>, and,
# when the signing certificate is self-signed, its public part
# TorvanShell.cer beside it for the installer to trust.
#
#   bash resources/msix/build-msix.sh <out dir>
#
# The packer and the logo tools come from the native build (build/). The
# package is signed by scripts/sign.sh, with the signer a release build has
# prepared, or else one of its own (see there).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
OUT="${1:?usage: build-msix.sh <out dir>}"
HERE="$ROOT/resources/msix"
TOOLS="$ROOT/build/tools/msixpack"
VERSION="$(cat "$ROOT/VERSION")"
fail() { echo "build-msix: $*" >&2; exit 1; }

source "$ROOT/scripts/sign.sh"
# The package's Identity Publisher, fixed forever.
PUBLISHER="$(release_publisher)"
CLSID="$(sed -n 's/.*TORVANCOMMAND_CLSID_TEXT "{\([0-9A-Fa-f-]*\)}".*/\1/p' "$ROOT/resources/TorvanCommandClsid.h")"
[ -n "$PUBLISHER" ] && [ -n "$CLSID" ] || fail "cannot read the Publisher or the class identifier"
# A package version is four numbers of 16 bits each.
[[ "$VERSION" =~ ^[0-9]{1,5}\.[0-9]{1,5}\.[0-9]{1,5}\.[0-9]{1,5}$ ]] || fail "VERSION '$VERSION' is not four dotted numbers"
IFS=. read -ra parts <<<"$VERSION"
for part in "${parts[@]}"; do [ "$((10#$part))" -le 65535 ] || fail "VERSION '$VERSION': $part is above 65535"; done

for tool in msixpack bmp-to-png pixelmap-to-bmp; do
  [ -x "$TOOLS/$tool" ] || fail "$TOOLS/$tool missing (build the native tree first)"
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"; signing_end' EXIT
signing_begin
mkdir -p "$OUT"

sed -e "s/@VERSION@/$VERSION/" -e "s/@CLSID@/$CLSID/g" "$HERE/AppxManifest.xml.in" > "$scratch/AppxManifest.xml"
"$TOOLS/pixelmap-to-bmp" "$ROOT/resources/icon/torvan-32.txt" "$scratch/logo.bmp"
"$TOOLS/bmp-to-png" "$scratch/logo.bmp" "$scratch/Logo.png"
"$TOOLS/msixpack" "$scratch/TorvanShell.msix" "$scratch/AppxManifest.xml" 'Assets\Logo.png='"$scratch/Logo.png"

rm -f "$OUT/TorvanShell.msix" "$OUT/TorvanShell.cer"
sign_files "$scratch/TorvanShell.msix"
# osslsigncode dates the zip entry of the signature with the time it ran;
# it gets the packer's fixed time (1 January 1980) like every other entry,
# in its local header and in the central directory. The signature does not
# cover these fields.
perl -0777 -i -pe '
  my $local = s/(PK\x03\x04.{6}).{4}(.{12}\x11\x00.{2}AppxSignature\.p7x)/$1\x00\x00\x21\x00$2/gs;
  my $central = s/(PK\x01\x02.{8}).{4}(.{12}\x11\x00.{16}AppxSignature\.p7x)/$1\x00\x00\x21\x00$2/gs;
  die "build-msix: the signature entry is not where a zip keeps it\n" unless $local == 1 && $central == 1;
' "$scratch/TorvanShell.msix"
osslsigncode verify -CAfile "$TORVAN_SIGNING/chain.pem" -in "$scratch/TorvanShell.msix" >"$scratch/verify.log" 2>&1 ||
  { cat "$scratch/verify.log" >&2; fail "the package does not verify once its signature entry is dated"; }
mv "$scratch/TorvanShell.msix" "$OUT/TorvanShell.msix"

# Only the public part ships, and only where Windows must be told to trust it.
if self_signed "$TORVAN_SIGNING/cert.pem"; then
  openssl x509 -in "$TORVAN_SIGNING/cert.pem" -outform DER -out "$OUT/TorvanShell.cer"
fi
echo "build-msix: $OUT/TorvanShell.msix"
