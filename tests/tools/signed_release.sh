#!/usr/bin/env bash
# A release signed with a throwaway self-signed code-signing certificate: osslsigncode accepts
# the signature against that certificate, SHA256SUMS names both files, `tools/dev verify` finds
# the release build under the signature, and it refuses another file signed with the same key.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work="$root/build/signing-test"
trap 'echo "signed release: failed at line $LINENO" >&2' ERR
export VELLORAN_DIST="$work/dist" VELLORAN_SIGN_PASSWORD=throwaway
rm -rf "$work"
mkdir -p "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Velloran signing test" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout "pass:$VELLORAN_SIGN_PASSWORD" \
    -out "$work/signer.pfx"

"$root/tools/dev" release --sign "$work/signer.pfx" >/dev/null
osslsigncode verify -CAfile "$work/cert.pem" -in "$VELLORAN_DIST/Velloran.exe" | grep -E 'digest algorithm *: SHA256' >/dev/null
(cd "$VELLORAN_DIST" && sha256sum --check --quiet SHA256SUMS && [ "$(wc -l < SHA256SUMS)" -eq 2 ])
"$root/tools/dev" verify "$VELLORAN_DIST/Velloran.exe" | grep -x "signed by: /CN=Velloran signing test" >/dev/null

cp "$VELLORAN_DIST/Velloran-unsigned.exe" "$work/other.exe"
printf 'x' | dd of="$work/other.exe" bs=1 seek=4096 conv=notrunc status=none
osslsigncode sign -pkcs12 "$work/signer.pfx" -pass "$VELLORAN_SIGN_PASSWORD" -h sha256 \
    -in "$work/other.exe" -out "$work/other-signed.exe" >/dev/null
if out=$("$root/tools/dev" verify "$work/other-signed.exe" 2>&1) || ! grep -q "differs from" <<<"$out"; then
    echo "tools/dev verify accepted a file that is not the release build: $out" >&2
    exit 1
fi
echo "signed release: signature, SHA256SUMS and tools/dev verify check out"
