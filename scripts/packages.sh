# Installs the Debian packages named as arguments that are not installed yet
# (apt-get as root, through sudo otherwise). Sourced by the run and test scripts.
install_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What every build needs: the compiler, CMake, the test and benchmark libraries, Qt 6 with
# its own translations (the edit boxes' menus in Chinese), a font with Chinese characters for
# the window, desktop-file-validate and bash-completion for the install test, for
# sorellan-find a JSON library and line editing, and for the selection tests a virtual X
# display and xclip.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libbenchmark-dev qt6-base-dev
                qt6-translations-l10n fonts-wqy-microhei desktop-file-utils nlohmann-json3-dev
                libedit-dev bash-completion xvfb xauth xclip)
# What making the Debian package needs besides: dpkg-shlibdeps and dpkg-buildflags (dpkg-dev),
# and file, with which CPack finds the programs whose libraries it asks about.
PACKAGE_PACKAGES=(dpkg-dev file)
