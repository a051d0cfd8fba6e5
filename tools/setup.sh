#!/bin/sh
# Installs what building and testing need, from Debian packages; does nothing when all is there.
set -eu
packages="cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine xvfb x11-utils
 fonts-ipafont-gothic imagemagick googletest clang lld libcli11-dev nlohmann-json3-dev zip python3-jsonschema"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
