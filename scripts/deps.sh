# Sourced by the scripts: makes sure the Debian packages a script needs are installed, installing
# the missing ones when run as root. Each script passes the lists it needs, for example
#   ondoria_install_packages "${ONDORIA_RUN_PACKAGES[@]}" "${ONDORIA_TEST_PACKAGES[@]}"

# Building and running the program (scripts/run).
ONDORIA_RUN_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins fonts-dejavu-core fonts-liberation2
)

# The tests, on top of the above (scripts/test): GoogleTest, the second compiler, the X server
# and tools the window tests drive the program with, and the package checks.
ONDORIA_TEST_PACKAGES=(
    libgtest-dev
    clang
    xvfb xdotool imagemagick x11-utils openbox
    dpkg-dev file lintian desktop-file-utils appstream man-db librsvg2-bin
)

# The benchmarks, on top of what building needs (scripts/bench, and scripts/test builds them).
ONDORIA_BENCH_PACKAGES=(
    libbenchmark-dev
)

ondoria_missing_packages() {
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$package"
        fi
    done
}

ondoria_install_packages() {
    local missing
    # Package names hold no blanks, so plain word splitting reads the list.
    missing=($(ondoria_missing_packages "$@"))
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
