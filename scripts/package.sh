#!/usr/bin/env bash
# Builds the Debian package of Tallix into dist/: the program with its voice sets, the tools
# tallix-archive and tallix-picture, the menu entry, the icons, the manual pages and the AppStream
# metadata, all below /usr. Its build folder is kept (build/package, or $TALLIX_PACKAGE_BUILD),
# so that a second run only rebuilds what changed. Prints the package's file name last.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TALLIX_PACKAGE_BUILD:-$root/build/package}
dist="$root/dist"

bash "$root/scripts/setup.sh" package

# Debian's hardening flags, as a Debian build of the package would use them. The programs ship
# stripped, so debug information would only slow the build down.
cd "$root"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_STRIP=-g
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALLIX_BUILD_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DTALLIX_INSTALL_EXE_DIR=lib/tallix \
    -DCMAKE_STRIP="$root/packaging/strip.sh" \
    -DCMAKE_C_FLAGS="$cppflags $(dpkg-buildflags --get CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$cppflags $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build"

# A file left from an earlier run must not end up in the new package.
rm -rf "$build/_CPack_Packages" "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(cd "$build" && ls ./*.deb)
mkdir -p "$dist"
rm -f "$dist"/"$(dpkg-deb --field "$build/$package" Package)"_*.deb
mv "$build/$package" "$dist/"
echo "$dist/${package#./}"
