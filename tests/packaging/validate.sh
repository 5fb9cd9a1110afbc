#!/usr/bin/env bash
# Installs into a scratch root and checks what Debian's tools say about the installed files
# and the .deb: desktop-file-validate, appstreamcli validate, systemd-analyze verify, lintian.
# Usage: validate.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
root="$scratch/root"
status=0
check() {
    local what=$1
    shift
    if ! out=$("$@" 2>&1); then
        echo "FAILED: $what"
        echo "$out"
        status=1
    fi
}
check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/io.github.brennic.Brennic.desktop"
check "appstreamcli validate" appstreamcli validate --no-net --explain \
    "$root/usr/share/metainfo/io.github.brennic.Brennic.metainfo.xml"
# The unit as installed, with its program taken from the scratch root (the manual page
# reference needs an installed man database, so it is left out here).
mkdir -p "$scratch/unit"
sed -e "s|/usr/bin/brennic|$root/usr/bin/brennic|" -e '/^Documentation=/d' \
    "$root/usr/lib/systemd/system/brennic.service" >"$scratch/unit/brennic.service"
check "systemd-analyze verify" systemd-analyze verify "$scratch/unit/brennic.service"
for f in usr/bin/brennic usr/libexec/brennic/brennic-window usr/share/brennic/help usr/share/man/man1/brennic.1.gz \
    usr/share/icons/hicolor/scalable/apps/brennic.svg usr/lib/sysusers.d/brennic.conf; do
    [[ -e "$root/$f" ]] || { echo "FAILED: $f not installed"; status=1; }
done

# The installed command answers windowless commands without loading Qt, and hands the
# window's work to the installed window program.
loader=$(LD_DEBUG=libs "$root/usr/bin/brennic" --version 2>&1 >/dev/null)
if [[ $loader != *libc.so.6* || $loader == *libQt* ]]; then
    echo "FAILED: brennic --version loads Qt (or LD_DEBUG said nothing)"
    status=1
fi
# HOME in the scratch folder: the demo's summary goes to the data folder under it.
if ! env -u XDG_CONFIG_HOME HOME="$scratch" QT_QPA_PLATFORM=offscreen "$root/usr/bin/brennic" \
    --config-dir "$scratch/config" --demo --screenshot "$scratch/demo.jpg" --after 0 ||
    [[ ! -s $scratch/demo.jpg ]]; then
    echo "FAILED: the installed brennic --demo --screenshot drew no picture"
    status=1
fi

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/deb" >/dev/null)
deb=$(ls "$scratch"/deb/*.deb)
# Errors fail the check; warnings are printed for the reader.
lint=$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)
echo "$lint"
if grep -q '^E: ' <<<"$lint"; then
    echo "FAILED: lintian reports errors"
    status=1
fi
exit $status
