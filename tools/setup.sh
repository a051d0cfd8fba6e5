#!/bin/sh
# Installs what building and testing need, from Debian packages; does nothing when all is there.
set -eu
packages="cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine xvfb x11-utils
 fonts-ipafont-gothic imagemagick googletest clang lld libcli11-dev nlohmann-json3-dev zip python3-jsonschema locales"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ -n "$missing" ]; then
    echo "installing:$missing"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
fi
# A code page other than UTF-8's for Wine (Shift-JIS, 932): an end-to-end row runs velmora under it.
if ! locale -a | grep -qi '^ja_JP\.sjis$'; then
    $sudo localedef --no-warnings=ascii -i ja_JP -f SHIFT_JIS ja_JP.SJIS
fi
