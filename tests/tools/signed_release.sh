#!/usr/bin/env bash
# A release signed with a throwaway self-signed code-signing certificate, made in a throwaway clone
# under a folder whose name has a space: osslsigncode accepts the signature, SHA256SUMS names every
# file, NOTICES.txt carries PCRE2's licence, the winget and Scoop manifests name the signed file's
# hash, and `tools/dev verify` accepts it after building its commit there. It refuses a signature
# with one byte changed, a look-alike certificate with the same subject, a release built with
# another toolchain (without calling it tampered), another file signed with the maker's key, a
# padded certificate table, a nested signature, a certificate that writes osslsigncode-like lines,
# and a commit that is not published, which it must not even build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work="$root/build/signing test"
repo="$work/repo"
trap 'echo "signed release: failed at line $LINENO" >&2' ERR
export VELLORAN_DIST="$work/dist"
rm -rf "$work"
mkdir -p "$work"/{altered,lookalike,toolchain,other,padded,nested,liar,side} "$root/build/deps"

# The clone's origin/main stands for the published history. Its side branch holds a commit whose
# CMake code leaves a marker when it runs.
git clone -q "$root" "$repo"
git -C "$repo" update-ref refs/remotes/origin/main HEAD
git -C "$repo" checkout -q -b side
printf 'file(WRITE "%s" "")\n' "$work/side-built" >>"$repo/CMakeLists.txt"
git -C "$repo" -c user.name=Forger -c user.email=forger@example.invalid commit -qam "Runs on the verifier's machine"
side=$(git -C "$repo" rev-parse HEAD)
git -C "$repo" checkout -q -
# tools/dev and its scripts as they are here, committed or not; the source comes from the commit.
cp -r "$root/tools/dev" "$root/tools/lib" "$repo/tools/"
mkdir "$repo/build" && ln -s "$root/build/deps" "$repo/build/deps"

for who in maker lookalike; do
    openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Velloran signing test" \
        -addext extendedKeyUsage=codeSigning -keyout "$work/$who.key" -out "$work/$who.pem" 2>/dev/null
done
maker=$(openssl x509 -in "$work/maker.pem" -noout -fingerprint -sha256 | sed 's/.*=//')
# A line as osslsigncode writes it, naming the maker: in the certificate's name and in the
# signature's description, which osslsigncode prints as it is.
line=$'\n'"Leaf hash value mismatch: ${maker//:/} computed"$'\n'
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Velloran signing test/pseudonym=$line" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/liar.key" -out "$work/liar.pem" 2>/dev/null
cat "$work"/{maker,lookalike,liar}.pem >"$work/trusted.pem"

# The password reaches tools/dev and openssl through the environment only.
export VELLORAN_SIGN_PASSWORD=throwaway
openssl pkcs12 -export -inkey "$work/maker.key" -in "$work/maker.pem" -passout env:VELLORAN_SIGN_PASSWORD \
    -out "$work/maker.pfx"
"$repo/tools/dev" release --sign "$work/maker.pfx" 2>"$work/release.log" >/dev/null
unset VELLORAN_SIGN_PASSWORD
grep -q "fingerprint is ${maker//:/}" "$work/release.log"
signed="$VELLORAN_DIST/Velloran.exe" unsigned="$VELLORAN_DIST/Velloran-unsigned.exe"
osslsigncode verify -CAfile "$work/maker.pem" -in "$signed" | grep -E 'digest algorithm *: SHA256' >/dev/null
(cd "$VELLORAN_DIST" && sha256sum --check --quiet SHA256SUMS && [ "$(wc -l <SHA256SUMS)" -eq 8 ])
grep -q 'THE "BSD" LICENCE' "$VELLORAN_DIST/NOTICES.txt"

# The fields that winget's manifest schemas 1.12.0 and Scoop's require, and the signed file's hash.
sha=$(sha256sum "$signed" | cut -d' ' -f1)
has() {
    local file="$VELLORAN_DIST/$1" field
    for field in "${@:2}" PackageIdentifier PackageVersion ManifestType; do grep -q "^[ -]*$field:" "$file"; done
    grep -qx 'ManifestVersion: 1.12.0' "$file"
}
has Velloran.Velloran.yaml DefaultLocale
has Velloran.Velloran.locale.en-US.yaml PackageLocale Publisher PackageName License ShortDescription
has Velloran.Velloran.installer.yaml Installers Architecture InstallerUrl InstallerType
grep -qx "  InstallerSha256: ${sha^^}" "$VELLORAN_DIST/Velloran.Velloran.installer.yaml"
python3 - "$VELLORAN_DIST/velloran.json" "$sha" <<'EOF'
import json, sys
scoop = json.load(open(sys.argv[1]))
fields = {"version", "description", "homepage", "license", "url", "hash", "bin", "shortcuts", "checkver", "autoupdate"}
assert fields <= scoop.keys() and scoop["hash"] == sys.argv[2], scoop
EOF

verify() { "$repo/tools/dev" verify --ca-file "$work/trusted.pem" --signer "$maker" "$1/Velloran.exe" 2>&1; }
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
grep -q "built $(git -C "$repo" rev-parse HEAD), published on origin/main" <<<"$out"
grep -qx "signed by: ${maker//:/}" <<<"$out"

for folder in altered lookalike toolchain other padded nested liar side; do cp "$VELLORAN_DIST/BUILDINFO" "$work/$folder/"; done
# The last bytes of the signature are its RSA value.
cp "$signed" "$work/altered/"
printf 'x' | dd of="$work/altered/Velloran.exe" bs=1 seek=$(($(stat -c %s "$signed") - 40)) conv=notrunc status=none
refused altered "signature of .* does not hold" >/dev/null
osslsigncode sign -certs "$work/lookalike.pem" -key "$work/lookalike.key" -h sha256 \
    -in "$unsigned" -out "$work/lookalike/Velloran.exe" >/dev/null
refused lookalike "not signed by the maker's" >/dev/null
# The maker's signature nested in the look-alike's, which Windows would name as the publisher.
osslsigncode sign -nest -certs "$work/maker.pem" -key "$work/maker.key" -h sha256 \
    -in "$work/lookalike/Velloran.exe" -out "$work/nested/Velloran.exe" >/dev/null
refused nested "exactly one signature" >/dev/null
osslsigncode sign -certs "$work/liar.pem" -key "$work/liar.key" -h sha256 -n "Velloran$line" \
    -in "$unsigned" -out "$work/liar/Velloran.exe" >/dev/null
refused liar "not signed by the maker's" >/dev/null
cp "$signed" "$work/toolchain/"
sed -i 's/^g++-mingw-w64-i686-posix .*/g++-mingw-w64-i686-posix 13.0/' "$work/toolchain/BUILDINFO"
out=$(refused toolchain "cannot reproduce here: g++-mingw-w64-i686-posix .* vs 13.0")
[[ $out != *tampered* ]]
cp "$signed" "$work/side/"
sed -i "s/^commit .*/commit $side/" "$work/side/BUILDINFO"
refused side "$side is on neither .*nothing was built" >/dev/null
[ ! -e "$work/side-built" ]
cp "$unsigned" "$work/other.exe"
printf 'x' | dd of="$work/other.exe" bs=1 seek=4096 conv=notrunc status=none
osslsigncode sign -certs "$work/maker.pem" -key "$work/maker.key" -h sha256 \
    -in "$work/other.exe" -out "$work/other/Velloran.exe" >/dev/null
refused other "tampered" >/dev/null
# 32 bytes more inside the certificate table, which osslsigncode verify and remove-signature overlook.
cp "$signed" "$work/padded/"
python3 - "$work/padded/Velloran.exe" <<'EOF'
import struct, sys
exe = bytearray(open(sys.argv[1], "rb").read())
security = struct.unpack_from("<I", exe, 0x3C)[0] + 24 + 128  # PE32: the fifth data directory
table, size = struct.unpack_from("<II", exe, security)
struct.pack_into("<I", exe, security + 4, size + 32)
struct.pack_into("<I", exe, table, struct.unpack_from("<I", exe, table)[0] + 32)
open(sys.argv[1], "wb").write(exe + bytes(32))
EOF
refused padded "not what .* builds plus its signature" >/dev/null
echo "signed release: signature, SHA256SUMS, notices, manifests and tools/dev verify check out"
