#!/bin/sh
# Installs the Debian packages that building, running and testing robot need, when any is
# missing: with apt-get as root, through sudo otherwise. Prints the packages it would need when
# it can do neither.
set -eu

packages="cmake ninja-build make g++ pkgconf
  libgl-dev libglu1-mesa-dev freeglut3-dev libgl1-mesa-dri
  libgtest-dev libbenchmark-dev libx11-dev libxtst-dev
  xvfb x11-utils imagemagick valgrind
  libassimp-dev libmeshoptimizer-dev libstb-dev
  clang libclang-rt-14-dev clang-tidy cppcheck python3"

if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "install-deps: not a Debian system; make sure these (or your system's equivalents) are installed:"
    echo "  $(echo $packages)"
    exit 0
fi

missing=""
for package in $packages; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing="$missing $package"
done
[ -n "$missing" ] || exit 0

if [ "$(id -u)" = 0 ]; then
    sudo=""
elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
else
    echo "install-deps: these packages are missing, and installing them needs root or sudo:" >&2
    echo " $missing" >&2
    echo "install them with:  apt-get install$missing" >&2
    exit 1
fi

echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
# A fresh machine may have no package lists yet: fetch them and try once more.
if ! $sudo apt-get install -y -q --no-install-recommends $missing; then
    $sudo apt-get update -q && $sudo apt-get install -y -q --no-install-recommends $missing || {
        echo "install-deps: could not install:$missing" >&2
        echo "install them with:  apt-get install$missing" >&2
        exit 1
    }
fi
