# shellcheck shell=bash
# The winget and Scoop manifests of a release, which name its version, its place on the maker's
# site and its SHA-256.

# The maker's site; a release's files are published under download/<version>/ there.
site=https://www.velloran.org
summary="Stops Windows 10 and 11 from resetting your file associations"
winget_id=Velloran.Velloran

# A winget manifest of type $2 for $version at dist/<id>$1.yaml: the fields every one carries
# around those on stdin.
winget_manifest() {
    {
        printf '# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.1.12.0.schema.json\n\n' "$2"
        printf 'PackageIdentifier: %s\nPackageVersion: %s\n' "$winget_id" "$version"
        cat
        printf 'ManifestType: %s\nManifestVersion: 1.12.0\n' "$2"
    } >"$dist/$winget_id$1.yaml"
}

# The manifests that winget and Scoop install version $1 from: dist/Velloran.exe, whose SHA-256 is
# $2, downloaded from the site, as a portable program.
write_package_manifests() {
    local version=$1 url="$site/download/$1/Velloran.exe"
    winget_manifest "" version <<<"DefaultLocale: en-US"
    winget_manifest .locale.en-US defaultLocale <<EOF
PackageLocale: en-US
Publisher: Velloran
PackageName: Velloran
PackageUrl: $site
License: MIT
ShortDescription: $summary
EOF
    winget_manifest .installer installer <<EOF
InstallerType: portable
Commands:
- velloran
Installers:
- Architecture: x86
  InstallerUrl: $url
  InstallerSha256: ${2^^}
EOF
    # Scoop's autoupdate takes the next version's hash from the SHA256SUMS published with it.
    cat >"$dist/velloran.json" <<EOF
{
    "version": "$version",
    "description": "$summary",
    "homepage": "$site",
    "license": "MIT",
    "url": "$url",
    "hash": "$2",
    "bin": "Velloran.exe",
    "shortcuts": [["Velloran.exe", "Velloran"]],
    "checkver": {"url": "$site/download/", "regex": "download/([0-9.]+)/Velloran[.]exe"},
    "autoupdate": {"url": "$site/download/\$version/Velloran.exe", "hash": {"url": "\$baseurl/SHA256SUMS"}}
}
EOF
}
