#!/usr/bin/env bash
# A release signed with a throwaway self-signed code-signing certificate: osslsigncode accepts the
# signature, SHA256SUMS names every file, NOTICES.txt carries PCRE2's licence, and `tools/dev
# verify` accepts it after building its commit here. It refuses a signature with one byte
# changed, a look-alike certificate with the same subject, a release built with another
# toolchain (without calling it tampered), and another file signed with the maker's key.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work="$root/build/signing-test"
trap 'echo "signed release: failed at line $LINENO" >&2' ERR
export VELLORAN_DIST="$work/dist"
rm -rf "$work"
mkdir -p "$work"/{altered,lookalike,toolchain,other}
for who in maker lookalike; do
    openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Velloran signing test" \
        -addext extendedKeyUsage=codeSigning -keyout "$work/$who.key" -out "$work/$who.pem" 2>/dev/null
done
cat "$work/maker.pem" "$work/lookalike.pem" >"$work/trusted.pem"
maker=$(openssl x509 -in "$work/maker.pem" -noout -fingerprint -sha256 | sed 's/.*=//')

# The password reaches tools/dev and openssl through the environment only.
export VELLORAN_SIGN_PASSWORD=throwaway
openssl pkcs12 -export -inkey "$work/maker.key" -in "$work/maker.pem" -passout env:VELLORAN_SIGN_PASSWORD \
    -out "$work/maker.pfx"
"$root/tools/dev" release --sign "$work/maker.pfx" 2>"$work/release.log" >/dev/null
unset VELLORAN_SIGN_PASSWORD
grep -q "fingerprint is ${maker//:/}" "$work/release.log"
osslsigncode verify -CAfile "$work/maker.pem" -in "$VELLORAN_DIST/Velloran.exe" | grep -E 'digest algorithm *: SHA256' >/dev/null
(cd "$VELLORAN_DIST" && sha256sum --check --quiet SHA256SUMS && [ "$(wc -l <SHA256SUMS)" -eq 4 ])
grep -q 'THE "BSD" LICENCE' "$VELLORAN_DIST/NOTICES.txt"

verify() { "$root/tools/dev" verify --ca-file "$work/trusted.pem" --signer "$maker" "$1/Velloran.exe" 2>&1; }
# refused FOLDER REASON: tools/dev verify fails on the Velloran.exe there, saying REASON.
refused() {
    local out
    if out=$(verify "$work/$1") || ! grep -q "$2" <<<"$out"; then
        echo "tools/dev verify did not refuse the $1 file for \"$2\": $out" >&2
        exit 1
    fi
    printf '%s\n' "$out"
}
out=$(verify "$VELLORAN_DIST")
grep -q "built $(git -C "$root" rev-parse HEAD) here" <<<"$out" && grep -qx "signed by: ${maker//:/}" <<<"$out"

for folder in altered lookalike toolchain other; do cp "$VELLORAN_DIST/BUILDINFO" "$work/$folder/"; done
# The last bytes of the signature are its RSA value.
cp "$VELLORAN_DIST/Velloran.exe" "$work/altered/"
printf 'x' | dd of="$work/altered/Velloran.exe" bs=1 seek=$(($(stat -c %s "$work/altered/Velloran.exe") - 40)) \
    conv=notrunc status=none
refused altered "signature of .* does not hold" >/dev/null
osslsigncode sign -certs "$work/lookalike.pem" -key "$work/lookalike.key" -h sha256 \
    -in "$VELLORAN_DIST/Velloran-unsigned.exe" -out "$work/lookalike/Velloran.exe" >/dev/null
refused lookalike "not by the maker's" >/dev/null
cp "$VELLORAN_DIST/Velloran.exe" "$work/toolchain/"
sed -i 's/^g++-mingw-w64-i686-posix .*/g++-mingw-w64-i686-posix 13.0/' "$work/toolchain/BUILDINFO"
! refused toolchain "cannot reproduce here: g++-mingw-w64-i686-posix .* vs 13.0" | grep -q tampered
cp "$VELLORAN_DIST/Velloran-unsigned.exe" "$work/other.exe"
printf 'x' | dd of="$work/other.exe" bs=1 seek=4096 conv=notrunc status=none
osslsigncode sign -certs "$work/maker.pem" -key "$work/maker.key" -h sha256 \
    -in "$work/other.exe" -out "$work/other/Velloran.exe" >/dev/null
refused other "tampered" >/dev/null
echo "signed release: signature, SHA256SUMS, notices and tools/dev verify check out"
