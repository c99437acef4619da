# shellcheck shell=bash
# Shared by scripts/run and scripts/test: the Debian packages the program needs, their
# installation, and the CMake configure and build steps. Source it; do not run it.

# Every Debian package needed to build, run and test Quorrel. This is the one list.
# (fonts-wqy-zenhei must stay out: Qt would take it as its fallback face for Chinese text.)
QUORREL_PACKAGES=(
    qt6-base-dev
    qt6-translations-l10n
    libcups2-dev
    libsqlcipher-dev
    sqlcipher
    libpq-dev
    postgresql
    fonts-noto-cjk
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    cmake
    ninja-build
    g++
    pkg-config
    poppler-utils
    python3-xlrd
    cups
    printer-driver-cups-pdf
    xvfb
    xauth
    imagemagick
    xdotool
    dpkg-dev
    desktop-file-utils
    appstream
    lintian
    librsvg2-bin
)

QUORREL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
QUORREL_JOBS="${QUORREL_JOBS:-2}"

# Qt expects a UTF-8 locale; give it one when the environment names none.
if [[ -z "${LC_ALL:-}" && -z "${LC_CTYPE:-}" && -z "${LANG:-}" ]]; then
    export LANG=C.UTF-8
fi

quorrel_say() {
    printf '==> %s\n' "$*" >&2
}

quorrel_die() {
    printf 'error: %s\n' "$*" >&2
    exit 1
}

# Prints the packages of QUORREL_PACKAGES that are not installed, one a line.
quorrel_missing_packages() {
    local package status
    for package in "${QUORREL_PACKAGES[@]}"; do
        status="$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)"
        if [[ "$status" != "installed" ]]; then
            printf '%s\n' "$package"
        fi
    done
}

# Installs whatever is missing; does nothing (and asks for no privileges) when all is there.
quorrel_ensure_packages() {
    command -v dpkg-query >/dev/null 2>&1 || quorrel_die "dpkg-query not found: these scripts need Debian 12 or later"

    local -a missing
    mapfile -t missing < <(quorrel_missing_packages)
    if ((${#missing[@]} == 0)); then
        return 0
    fi

    local -a privileged=()
    if ((EUID != 0)); then
        command -v sudo >/dev/null 2>&1 ||
            quorrel_die "missing packages (${missing[*]}) and not root, and sudo is not available; install them as root"
        privileged=(sudo)
    fi

    quorrel_say "Installing missing packages: ${missing[*]}"
    "${privileged[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
    "${privileged[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"

    if [[ "$(dpkg-query -W -f='${db:Status-Status}' fonts-wqy-zenhei 2>/dev/null || true)" == "installed" ]]; then
        quorrel_say "warning: fonts-wqy-zenhei is installed; Qt may draw Chinese text with it instead of Noto Serif CJK SC"
    fi
}

# True when every -DNAME=VALUE (or -DNAME:TYPE=VALUE) argument already holds in the CMake cache.
quorrel_cache_matches() {
    local cache="$1"
    shift
    local arg name value line
    for arg in "$@"; do
        [[ "$arg" == -D*=* ]] || return 1
        name="${arg#-D}"
        value="${name#*=}"
        name="${name%%=*}"
        name="${name%%:*}"
        line="$(grep -m1 "^$name:" "$cache" || true)"
        [[ -n "$line" && "${line#*=}" == "$value" ]] || return 1
    done
}

# quorrel_configure BUILD_DIR [-DNAME=VALUE...]
# Configures BUILD_DIR with Ninja (RelWithDebInfo) on first use. Later calls leave a matching cache
# alone: the build step re-runs CMake by itself when a CMakeLists.txt changes.
quorrel_configure() {
    local build_dir="$1"
    shift
    local cache="$build_dir/CMakeCache.txt"
    local -a fresh=()
    if [[ -f "$cache" ]]; then
        if ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; then
            quorrel_say "$build_dir was configured with another generator; configuring it afresh with Ninja"
            fresh=(--fresh)
        elif [[ -f "$build_dir/build.ninja" ]] && quorrel_cache_matches "$cache" "$@"; then
            # (A configure step that failed half-way leaves a cache but no build.ninja.)
            return 0
        fi
    fi
    quorrel_say "Configuring $build_dir"
    cmake -S "$QUORREL_ROOT" -B "$build_dir" -G Ninja "${fresh[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

# quorrel_build BUILD_DIR [TARGETS...]
quorrel_build() {
    local build_dir="$1"
    shift
    local -a targets=()
    if (($# > 0)); then
        targets=(--target "$@")
    fi
    quorrel_say "Building in $build_dir"
    cmake --build "$build_dir" -j "$QUORREL_JOBS" "${targets[@]}"
}
