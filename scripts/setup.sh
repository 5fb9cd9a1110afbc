# Shared by ./test and ./run: installs the Debian packages Brennic needs and builds.
BRENNIC_PACKAGES=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev libgl-dev libfontconfig-dev
    libcurl4-openssl-dev nlohmann-json3-dev libtomlplusplus-dev libsystemd-dev libsqlite3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format locales fonts-dejavu-core python3-pyftpdlib poppler-utils cloc
    libqt6svg6 desktop-file-utils appstream systemd procps lintian
    libmicrohttpd-dev chromium wrk
    libmosquitto-dev mosquitto mosquitto-clients openssl
    codespell dbus-daemon
)

brennic_install_packages() {
    local missing=()
    local p
    for p in "${BRENNIC_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=()
        ((EUID == 0)) || sudo=(sudo)
        "${sudo[@]}" apt-get update -qq
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
    # The locale round-trip tests need a comma-decimal locale.
    if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
        local sudo=()
        ((EUID == 0)) || sudo=(sudo)
        "${sudo[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
        "${sudo[@]}" locale-gen >/dev/null
    fi
}

# brennic_configure DIR [cmake args...]: configures DIR (CMake's own output stays quiet, its
# errors show).
brennic_configure() {
    local dir=$1
    shift
    # ccache, when present, lets several checkouts and build folders share compiled objects.
    local launcher=()
    if command -v ccache >/dev/null; then
        export CCACHE_BASEDIR="$PWD"
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
}

# brennic_configure_build DIR [cmake args...]
brennic_configure_build() {
    brennic_configure "$@"
    cmake --build "$1" -j"$(nproc)"
}

# brennic_profile: the counts of a training run (scripts/profile-train.sh) for the
# profile-guided builds, in build-train/profile: configure a build with
# -DBRENNIC_PROFILE_USE="$PWD/build-train/profile". Trains again only when a source, a build
# file or the training itself changed since the last training. (ccache passes over compiles
# with these options, so no object compiled with older counts comes back from its cache.)
brennic_profile() {
    local train=build-train
    local sources
    sources=$(find src tools cmake CMakeLists.txt scripts/profile-train.sh -type f -print0 |
        LC_ALL=C sort -z | xargs -0 cat | sha1sum)
    if [[ -f $train/profile/sources && $(<"$train/profile/sources") == "$sources" ]]; then
        return 0
    fi
    echo "Training the profile-guided build in $train/"
    brennic_configure "$train" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRENNIC_CORE_ONLY=ON \
        -DBRENNIC_BENCH=OFF -DBRENNIC_PROFILE_GENERATE="$PWD/$train/profile"
    cmake --build "$train" -j"$(nproc)" --target brennic brennic-simulate
    rm -rf "$train/profile"
    scripts/profile-train.sh "$train"
    echo "$sources" >"$train/profile/sources"
}

# The dashboard's chart library (embedded at build time) and the browser test's driver, from
# the npm registry at the versions of the lockfile. Runs again only when the lockfile changed.
brennic_install_npm() {
    local dir=resources/dashboard
    if [[ ! -f $dir/node_modules/.package-lock.json || $dir/package-lock.json -nt $dir/node_modules/.package-lock.json ]]; then
        echo "Installing npm packages in $dir"
        (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
    fi
}

brennic_install_packages
brennic_install_npm
