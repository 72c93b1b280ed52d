# shellcheck shell=bash
# The maker's signature on a release: who the maker is, and signing with the password that
# tools/dev took out of its environment (sign_password, never exported).

# The SHA-256 fingerprint of the certificate in the PKCS#12 file $1, written as SIGNER holds it.
# -legacy reads the older files that many certificate vendors still hand out.
pfx_fingerprint() {
    printf '%s\n' "$sign_password" | openssl pkcs12 -legacy -in "$1" -nokeys -clcerts -passin stdin |
        openssl x509 -noout -fingerprint -sha256 | sed 's/.*=//; s/://g'
}

# The maker's certificate, as published in the repository: empty until the maker has one.
published_signer() {
    tr -d ' :\n' <"$root/SIGNER" | tr a-f A-F
}

# Signs $1 into $2 (SHA-256) with the certificate and key in the PKCS#12 file $3, and adds an
# RFC 3161 time stamp when VELLORAN_TIMESTAMP_URL names a time-stamping server.
sign_exe() {
    local args=(-pkcs12 "$3" -h sha256 -n Velloran)
    [ -n "${VELLORAN_TIMESTAMP_URL:-}" ] && args+=(-ts "$VELLORAN_TIMESTAMP_URL")
    # The password comes through a pipe, not through the command line that every local user
    # can read. osslsigncode reads no empty password that way; a file without one needs none.
    if [ -n "$sign_password" ]; then
        osslsigncode sign "${args[@]}" -readpass <(printf '%s' "$sign_password") -in "$1" -out "$2" >&2
    else
        osslsigncode sign "${args[@]}" -in "$1" -out "$2" >&2
    fi
}
