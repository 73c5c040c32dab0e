#!/bin/sh
# Installs the Debian packages Norvane needs to build, test and run, if any
# are missing. Safe to run again: it does nothing when everything is there.
set -eu

PACKAGES="
cmake
make
g++
pkg-config
qt6-base-dev
qt6-base-dev-tools
qt6-tools-dev
qt6-svg-dev
libqt6svg6
qt6-qpa-plugins
libgl-dev
libgtest-dev
libgmock-dev
libbenchmark-dev
liberfa-dev
fonts-liberation
fonts-dejavu-core
"

# python3-numpy and the Swiss Ephemeris are needed only to regenerate the
# low-precision planet tables and Nereid's elements (tools/theories/fit-*.py),
# never to build or test: asked for with --theories.
if [ "${1:-}" = "--theories" ]; then
    PACKAGES="$PACKAGES python3-numpy libswe-dev swe-basic-data swe-sat-data"
fi
# clang and its libFuzzer are needed only by `make fuzz`.
if [ "${1:-}" = "--fuzz" ]; then
    PACKAGES="$PACKAGES clang libclang-rt-dev"
fi

missing=""
for p in $PACKAGES; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    if [ "$status" != "installed" ]; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

echo "Installing missing packages:$missing"

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "install-deps: these packages are missing and I am neither root nor able to use sudo:$missing" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
# shellcheck disable=SC2086
$SUDO apt-get install -y -q $missing
