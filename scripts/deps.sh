# Sourced by scripts/run and scripts/test: makes sure the Debian packages the build, the tests
# and the program need are installed, installing the missing ones when run as root.

ONDORIA_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins fonts-dejavu-core fonts-liberation2
    libgtest-dev libbenchmark-dev
    xvfb xdotool imagemagick x11-utils openbox
    dpkg-dev file
    at-spi2-core python3-pyatspi dbus-daemon dbus-bin xclip
)

ondoria_missing_packages() {
    local package
    for package in "${ONDORIA_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$package"
        fi
    done
}

ondoria_install_packages() {
    local missing
    # Package names hold no blanks, so plain word splitting reads the list.
    missing=($(ondoria_missing_packages))
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages. Install them with:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

ondoria_jobs() { nproc 2>/dev/null || echo 2; }
