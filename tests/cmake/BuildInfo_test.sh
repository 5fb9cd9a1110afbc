#!/usr/bin/env bash
# A second configure must leave the build-time header untouched, or every build recompiles
# and relinks what includes it. Configures a tiny project that includes BuildInfo.cmake twice,
# more than a second apart, without SOURCE_DATE_EPOCH.
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
cat >"$work/src/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(buildinfo_check VERSION 1.2.3 LANGUAGES NONE)
include($source_dir/cmake/BuildInfo.cmake)
CMAKE
unset SOURCE_DATE_EPOCH
header=$work/build/generated/BuildInfo.h
cmake -S "$work/src" -B "$work/build" >/dev/null
first=$(cat "$header")
first_mtime=$(stat -c %Y.%y "$header")
sleep 1.2
cmake -S "$work/src" -B "$work/build" >/dev/null
if [[ "$(cat "$header")" != "$first" || "$(stat -c %Y.%y "$header")" != "$first_mtime" ]]; then
    echo "BuildInfo.h changed on a second configure:"
    echo "$first"
    cat "$header"
    exit 1
fi
grep -q 'kVersion = "1.2.3"' "$header" || { echo "version missing"; cat "$header"; exit 1; }
echo "1 passed, 0 failed"
