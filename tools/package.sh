#!/bin/sh
# Builds the release preset (the shipping build: optimised, stripped, static) and writes
# dist/Velmora-<version>-x64.zip: Quillet.exe, velmora.exe, README.md and SHA256SUMS (the
# SHA-256 of the three, as sha256sum writes them). The version is VELMORA_VERSION_TEXT of
# src/res/Version.h, the one both programs' version resources carry.
#   tools/package.sh
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-release
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$root/tools/setup.sh"
version=$(sed -n 's/^#define VELMORA_VERSION_TEXT "\([0-9.]*\)".*/\1/p' "$root/src/res/Version.h")
[ -n "$version" ] || { echo "no VELMORA_VERSION_TEXT in src/res/Version.h" >&2; exit 1; }

cmake -S "$root" --preset release -B "$build" >/dev/null
cmake --build "$build" --target Quillet velmora
# What ships must start on a bare Windows: system DLLs only, no dwmapi.dll.
for exe in Quillet.exe velmora.exe; do
    "$root/tools/check-imports.sh" x86_64-w64-mingw32-objdump "$build/bin/$exe" >/dev/null
done

cp "$build/bin/Quillet.exe" "$build/bin/velmora.exe" "$root/README.md" "$work/"
(cd "$work" && sha256sum Quillet.exe velmora.exe README.md >SHA256SUMS)
mkdir -p "$root/dist"
package=$root/dist/Velmora-$version-x64.zip
rm -f "$package"
(cd "$work" && zip -q -X "$package" Quillet.exe velmora.exe README.md SHA256SUMS)
echo "wrote $package"
sed 's/^/  /' "$work/SHA256SUMS"
