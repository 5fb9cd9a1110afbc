#!/usr/bin/env bash
# The speed users feel, each figure beside what it is compared with:
#   1. a whole-process --replay-datarecorder of 1.5 M records against a C fgets+sscanf reader
#      of the same columns (no time conversion);
#   2. --version, --sun and a replay of a tiny file: wall time and whether Qt was loaded;
#   3. one FTP publication (pages and ScreenShot.jpg, targets present) to pyftpdlib on
#      127.0.0.1 (bench/publish_bench);
#   4. start to first picture (--demo --screenshot --after 0) against a minimal Qt window.
# Times are medians of repeated runs (the machine may be shared: compare within one run).
# Usage: bench/speed.sh [BUILD_DIR] [RUNS]
set -euo pipefail
export TZ=America/Chicago
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config"
brennic=("$build/brennic" --config-dir "$work/config")

# Median wall time in milliseconds of RUNS runs of a command (output discarded).
median_ms() {
    python3 - "$runs" "$@" <<'PY'
import statistics, subprocess, sys, time
runs, cmd = int(sys.argv[1]), sys.argv[2:]
times = []
for _ in range(runs):
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    times.append((time.perf_counter() - t) * 1000)
print(f"{statistics.median(times):.1f}")
PY
}
# Two commands run in turn RUNS times (so both see the same load): their median times in
# milliseconds and the median of the per-turn ratios first/second. Usage: pair_ms A... -- B...
pair_ms() {
    python3 - "$runs" "$@" <<'PY'
import statistics, subprocess, sys, time
runs, args = int(sys.argv[1]), sys.argv[2:]
cut = args.index("--")
cmds = (args[:cut], args[cut + 1:])
times = ([], [])
def run(cmd):
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return (time.perf_counter() - t) * 1000
for _ in range(runs):
    for i in (0, 1):
        times[i].append(run(cmds[i]))
ratios = [a / b for a, b in zip(*times)]
print(f"{statistics.median(times[0]):.1f} {statistics.median(times[1]):.1f} {statistics.median(ratios):.2f}")
PY
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "== 1. replay of a Data Recorder file, whole process"
"$build/tools/simulate/brennic-simulate" --days 35 --interval 2 --format datarecorder \
    --start 2009-01-01 >"$work/records.txt"
records=$(grep -c '^[0-9]' "$work/records.txt")
cat >"$work/reader.c" <<'C'
/* The naive reader: every line with fgets, its columns with sscanf. */
#include <stdio.h>
int main(int argc, char** argv) {
    FILE* f = fopen(argv[1], "r");
    char line[256], pump[8], upl[8], rt[8];
    int mo, d, y, h, mi, s;
    float v[6], sum = 0;
    long n = 0;
    while (fgets(line, sizeof line, f))
        if (sscanf(line, "%d/%d/%d %d:%d:%d %7s %f %f %f %f %f %f %7s %7s", &mo, &d, &y, &h, &mi,
                   &s, rt, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], pump, upl) == 15) {
            sum += v[0];
            ++n;
        }
    printf("%ld %f\n", n, sum);
    return 0;
}
C
cc -O2 -o "$work/reader" "$work/reader.c"
read -r naive ours turns < <(pair_ms "$work/reader" "$work/records.txt" -- \
    "${brennic[@]}" --replay-datarecorder "$work/records.txt")
echo "records: $records"
echo "C fgets+sscanf reader: $naive ms ($(ratio "$records" "$naive" | awk '{printf "%.2f", $1 / 1000}') M records/s)"
echo "brennic --replay-datarecorder: $ours ms ($(ratio "$records" "$ours" | awk '{printf "%.2f", $1 / 1000}') M records/s)"
echo "ratio (reader time / brennic time): $turns x (median of $runs turns)   goal: >= 3x and >= 5 M records/s"

echo "== 2. windowless commands"
head -3 "$work/records.txt" >"$work/tiny.txt"
# What starting any process costs here: on a busy machine a good part of every figure below.
spawn=$(median_ms /bin/true)
echo "/bin/true (the cost of starting a process here): $spawn ms"
for args in "--version" "--sun|2009-06-21 12:00:00" "--replay-datarecorder|$work/tiny.txt"; do
    IFS='|' read -r -a a <<<"$args"
    ms=$(median_ms "${brennic[@]}" "${a[@]}")
    libs=$(LD_DEBUG=libs "${brennic[@]}" "${a[@]}" 2>&1 >/dev/null | grep -c 'calling init:' || true)
    qt=$(LD_DEBUG=libs "${brennic[@]}" "${a[@]}" 2>&1 >/dev/null | grep -c 'calling init:.*libQt' || true)
    echo "brennic ${a[*]}: $ms ms ($(awk -v a="$ms" -v b="$spawn" 'BEGIN { printf "%.1f", a - b }') ms more than /bin/true), $libs libraries initialised, $qt of them Qt   goal: < 10 ms, no Qt ($(ratio "$ms" 10) of the goal)"
done

echo "== 3. FTP publication to 127.0.0.1"
if [[ -x $build/publish_bench ]]; then
    "$build/publish_bench" --benchmark_format=console 2>/dev/null |
        awk '/_median/ {print "median publication: " $2 " ms   goal: < 150 ms (" sprintf("%.2f", $2 / 150) " of the goal)"}'
else
    echo "(no $build/publish_bench: build with -DBRENNIC_BENCH=ON)"
fi

echo "== 4. start to first picture"
cat >"$work/window.cpp" <<'CPP'
// A minimal Qt window: show it, take its picture once it is drawn, end.
#include <QApplication>
#include <QLabel>
#include <QTimer>
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel w("Brennic");
    w.resize(800, 600);
    w.show();
    QTimer::singleShot(0, [&] { w.grab().save(argv[1]); app.quit(); });
    return app.exec();
}
CPP
# shellcheck disable=SC2046
g++ -O2 -std=c++17 -fPIC "$work/window.cpp" -o "$work/window" $(pkg-config --cflags --libs Qt6Widgets)
export QT_QPA_PLATFORM=offscreen
read -r picture minimal turns < <(pair_ms "${brennic[@]}" --demo --screenshot "$work/demo.jpg" \
    --after 0 -- "$work/window" "$work/minimal.jpg")
echo "minimal Qt window: $minimal ms"
echo "brennic --demo --screenshot --after 0: $picture ms ($turns x the minimal window, median of $runs turns)   goal: < 100 ms"
