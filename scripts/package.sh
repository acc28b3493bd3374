#!/usr/bin/env bash
# Builds a Release into build-release/ (ccache when present) with Debian's hardening flags
# and makes the Debian package with CPack: vorlink_<version>_<arch>.deb in the top folder.
# Prints the package's path as its last line.
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's flags for packages (stack protector, fortified functions, read-only relocations
# bound at start-up), without debug information: the package ships stripped programs.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
CXXFLAGS="$(echo " $CPPFLAGS $CXXFLAGS " | sed 's/ -g / /')"
export CXXFLAGS LDFLAGS
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
  -DCMAKE_INSTALL_PREFIX=/usr -DVORLINK_PACKAGE=ON -DVORLINK_BUILD_TESTS=OFF -DVORLINK_BUILD_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)"
rm -rf build-release/package
(cd build-release && cpack -B package >/dev/null)
deb=$(ls build-release/package/vorlink_*.deb)
rm -f vorlink_*.deb
mv "$deb" .
echo "$PWD/$(basename "$deb")"
