# Shared by scripts/run and scripts/test: install what is missing, then build.
# Safe to run again; fast when nothing changed.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What the program needs to build and run, and what its tests add: a
# virtual display with a software renderer, a mouse driver and image tools.
# gettext: msgfmt compiles the translations.
run_packages=(cmake g++ make pkg-config libsfml-dev libcli11-dev libpng-dev libx11-dev fonts-liberation2 gettext)
# scripts/package adds Debian's build flags and library dependencies
# (dpkg-dev), file (cpack finds the programs with it) and git (the date).
package_packages=("${run_packages[@]}" dpkg-dev file git)
test_packages=("${package_packages[@]}" googletest libgtest-dev libbenchmark-dev
               xvfb xauth xdotool imagemagick x11-utils libgl1-mesa-dri openbox
               lintian desktop-file-utils appstream ccache)
# tools/lab-figures draws README's figures of velorin-lab output.
figure_packages=(gnuplot-nox)

install_missing() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build DIR [cmake options...]
build() {
    local dir=$1; shift
    # ccache, where installed, makes a rebuild in a second clone cheap; its
    # base folder keeps the hashes free of the clone's path.
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}
