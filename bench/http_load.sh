#!/usr/bin/env bash
# Requests per second of /api/v1/current on loopback with keep-alive (wrk), against the
# program running on test data. Usage: bench/http_load.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-10}
config=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$config"' EXIT
printf '[http]\nport = 0\n' >"$config/brennic.toml"
QT_QPA_PLATFORM=offscreen "$build/brennic" --config-dir "$config" --demo >"$config/out" 2>&1 &
pid=$!
for _ in $(seq 100); do
    url=$(sed -n 's/^Dashboard: //p' "$config/out")
    [[ -n $url ]] && break
    sleep 0.2
done
[[ -n $url ]] || { echo "no dashboard address"; cat "$config/out"; exit 1; }
sleep 3  # a few samples first
# The program's own CPU time per request, which a busy shared machine disturbs less than
# requests per second do.
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(ticks)
wrk -t2 -c32 -d"${seconds}s" --latency "${url}api/v1/current" | tee "$config/wrk"
after=$(ticks)
requests=$(awk '/requests in/ {print $1}' "$config/wrk")
awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v n="$requests" 'BEGIN {
    us = t / hz * 1e6 / n
    printf "server CPU per request: %.1f us (%.0f requests/s per fully used core)\n", us, 1e6 / us }'
