# shellcheck shell=bash
# tools/dev verify: whether a signed download is the maker's, published, and byte for byte what
# its commit builds here from source.

# Whether the signature blob $1 is one signature: it parses, and holds no nested signature
# (SPC_NESTED_SIGNATURE_OBJID). osslsigncode's leaf-hash check is met by any signature in the
# file, while Windows names the first one's signer as the publisher.
single_signature() {
    local parsed
    parsed=$(openssl asn1parse -inform DER -in "$1") &&
        ! grep -q 'OBJECT *:1\.3\.6\.1\.4\.1\.311\.2\.4\.1$' <<<"$parsed"
}

# Which published history holds commit $1, printed as its ref: the tag of its version or
# origin/main, as this clone last fetched them. Fails when neither does.
published_ref() {
    local ref
    for ref in "refs/tags/v$(project_version "$1")" refs/remotes/origin/main; do
        if git -C "$root" merge-base --is-ancestor "$1" "$ref" 2>/dev/null; then
            printf '%s\n' "${ref#refs/*/}"
            return 0
        fi
    done
    return 1
}

# Checks a signed download: it carries one signature, which holds and is the maker's; its commit
# is published; and it is byte for byte what that commit builds here, from source, in a clean
# folder, with the download's signature attached. The commit and the toolchain it was built with
# come from the BUILDINFO beside it; a toolchain that differs here is a reason to fail, not a
# verdict on the file. osslsigncode writes its output even when it fails, and refuses to
# overwrite one: outputs are deleted first and every exit status is checked.
verify_download() {
    local file='' signer='' ca=() report info commit ref mismatch unsigned work="$build/verify"
    local signature="$work/signature.der" signed="$work/signed.exe"
    while [ $# -gt 1 ] && [ "${1#--}" != "$1" ]; do
        case "$1" in
            --signer) signer=$(tr -d ' :' <<<"$2" | tr a-f A-F) ;;
            --ca-file) ca=(-CAfile "$2") ;;
            *) break ;;
        esac
        shift 2
    done
    if [ $# -ne 1 ]; then
        echo "usage: tools/dev verify [--signer SHA256] [--ca-file FILE] FILE" >&2
        return 2
    fi
    file=$1
    signer=${signer:-$(published_signer)}
    if ! report=$(osslsigncode verify -in "$file" "${ca[@]}" 2>&1); then
        say "REFUSED: the signature of $file does not hold. osslsigncode says:"
        grep -iE 'error|fail|mismatch' <<<"$report" | grep -vx 'Failed' | sed 's/^/    /' >&2 || true
        return 1
    fi
    mkdir -p "$work"
    rm -f "$signature" "$signed"
    if ! osslsigncode extract-signature -in "$file" -out "$signature" >/dev/null 2>&1 ||
        ! single_signature "$signature"; then
        say "REFUSED: $file does not carry exactly one signature (Windows names only the first one's signer)"
        return 1
    fi
    # The exit status tells the signer; osslsigncode's text is partly the signer's own.
    if [ -z "$signer" ]; then
        say "REFUSED: the signer is unknown here: SIGNER is empty and no --signer was given"
        return 1
    elif ! osslsigncode verify -in "$file" "${ca[@]}" -require-leaf-hash "sha256:$signer" >/dev/null 2>&1; then
        say "REFUSED: $file is not signed by the maker's certificate, whose SHA-256 fingerprint is $signer"
        return 1
    fi
    info="$(dirname "$file")/BUILDINFO"
    commit=$(sed -n 's/^commit \([0-9a-f]*\)$/\1/p' "$info" 2>/dev/null)
    if [ -z "$commit" ] || ! git -C "$root" cat-file -e "$commit^{commit}" 2>/dev/null; then
        say "cannot check $file here: it needs the BUILDINFO published with it beside it, and its commit (${commit:-none}) in this clone"
        return 1
    fi
    # A build runs the commit's CMake code here: only published commits get that far.
    if ! ref=$(published_ref "$commit"); then
        say "REFUSED: $commit is on neither the release tag v$(project_version "$commit") nor origin/main here (git fetch origin main --tags fetches both); nothing was built"
        return 1
    fi
    mismatch=$(awk 'NR == FNR { here[$1] = $2; next }
        $1 != "commit" && here[$1] != $2 { print $1, ($1 in here ? here[$1] : "none"), "vs", $2 }' \
        <(build_info "$commit") "$info")
    if [ -n "$mismatch" ]; then
        sed 's/^/cannot reproduce here: /' <<<"$mismatch" >&2
        return 1
    fi
    unsigned=$(release_build "$work/release" "$commit")
    say "built $commit, published on $ref, here to compare with"
    if ! osslsigncode attach-signature -sigin "$signature" "${ca[@]}" -in "$unsigned" -out "$signed" >/dev/null 2>&1; then
        say "REFUSED: the signature of $file does not fit what $commit builds: it was tampered with"
        return 1
    elif ! cmp -s "$signed" "$file"; then
        say "REFUSED: $file is not what $commit builds plus its signature: it was tampered with"
        return 1
    fi
    say "ACCEPTED: $file is what $commit builds, plus the maker's signature"
    printf 'signed by: %s\n' "$signer"
}
