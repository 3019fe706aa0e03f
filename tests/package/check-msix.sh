#!/usr/bin/env bash
# The Windows 11 sparse package in dist/: an independent reading of it
# (msix_check.py), the same reading refusing damaged copies, the shipped
# public certificate being the signer's, no private key anywhere in dist/,
# and the 64-bit installer's Windows 11 branch under Wine.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$ROOT"
PACKAGE=dist/TorvanShell.msix

source tests/checks.sh
checks_begin "msix"

[ -f "$PACKAGE" ] || bash scripts/package.sh || { echo "msix FAIL: scripts/package.sh failed" >&2; exit 1; }
[ -f "$PACKAGE" ] || { echo "msix FAIL: $PACKAGE was not written" >&2; exit 1; }

python3 tests/package/msix_check.py "$PACKAGE" VERSION resources/TorvanCommandClsid.h || fail "the package check"
python3 tests/package/msix_check.py --self-test "$PACKAGE" VERSION resources/TorvanCommandClsid.h ||
  fail "damaged packages were not all refused"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
unzip -p "$PACKAGE" AppxSignature.p7x | tail -c +5 > "$scratch/signature.p7"
openssl pkcs7 -inform DER -in "$scratch/signature.p7" -print_certs -out "$scratch/signer.pem" 2>/dev/null ||
  fail "the signature holds no readable certificate"
if [ -f dist/TorvanShell.cer ]; then
  shipped="$(openssl x509 -inform DER -in dist/TorvanShell.cer -noout -fingerprint -sha256 2>/dev/null)"
  signer="$(openssl x509 -in "$scratch/signer.pem" -noout -fingerprint -sha256 2>/dev/null)"
  [ -n "$shipped" ] && [ "$shipped" = "$signer" ] && echo "msix ok: TorvanShell.cer is the signer's certificate" ||
    fail "TorvanShell.cer is not the certificate that signed the package"
fi

# Private keys in any of the usual spellings, inside the packages too.
if grep -rlaE -- "-----BEGIN (ENCRYPTED |RSA |EC )?PRIVATE KEY-----" dist/ >/dev/null ||
   find dist -iname '*.pfx' -o -iname '*.p12' -o -iname '*.key' -o -iname '*.pvk' | grep -q .; then
  fail "dist/ holds a private key"
else
  echo "msix ok: no private key in dist/"
fi
for zip_file in dist/*.zip; do
  [ -f "$zip_file" ] || continue
  unzip -Z1 "$zip_file" | grep -iqE '\.(pfx|p12|key|pvk|pem)$' && fail "$zip_file holds a key file"
done

# The 64-bit installer carries the package and registers it on Windows 11.
bash tests/installer/win11-menu.sh || fail "the installer's Windows 11 branch"

checks_end
