#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and builds the Debian package, leaving it as
# build/package/sorellan_*.deb; then checks what the package holds. Install it with
#   sudo apt-get install ./build/package/sorellan_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh
install_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

# Debian's hardening flags (fortified functions, read-only relocations, immediate binding).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DLEXIVANT2_BUILD_TESTS=OFF -DLEXIVANT2_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build build/package
rm -f build/package/sorellan_*.deb
(cd build/package && cpack -G DEB)
deb=$(echo build/package/sorellan_*.deb)
[ -f "$deb" ] || { echo "package.sh: cpack made no package" >&2; exit 1; }

# The package unpacked: every file the desktop and the launcher look for is in place.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
missing=0
for file in usr/bin/{sorellan,voca,sorellan-find} usr/libexec/sorellan/{lexivant2,prepare-vocabularies} \
            usr/share/applications/sorellan.desktop \
            usr/share/icons/hicolor/{16x16,32x32,48x48,128x128}/apps/sorellan.png \
            usr/share/icons/hicolor/scalable/apps/sorellan.svg \
            usr/share/sorellan/{0.voca,17.voca,vocabulary-versions.sha256} usr/share/doc/sorellan/{copyright,LICENSE-vocabulary}; do
    [ -s "$tree/$file" ] || { echo "package.sh: $deb lacks /$file" >&2; missing=1; }
done
[ "$missing" -eq 0 ] || exit 1
dpkg-deb --field "$deb" Package Version Depends Recommends
echo "built $deb"
