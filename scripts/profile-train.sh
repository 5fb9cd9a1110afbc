#!/usr/bin/env bash
# The training run of the profile-guided build (see BRENNIC_PROFILE_GENERATE in CMakeLists.txt):
# what users wait for, on simulated files unlike those the benchmarks replay (another season,
# seed and weather): replays of a Data Recorder file, of own logs of each controller model and
# of a terminal capture, and an import with its report. Usage: scripts/profile-train.sh TRAIN_DIR
# (a build folder configured with BRENNIC_PROFILE_GENERATE, brennic and brennic-simulate built).
set -euo pipefail
train=$(cd "${1:?usage: scripts/profile-train.sh TRAIN_DIR}" && pwd)
brennic=$train/brennic
simulate=$train/tools/simulate/brennic-simulate
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TZ=America/Chicago
# Everything the commands write (history store, summary) stays in the scratch folder.
export HOME=$work XDG_CONFIG_HOME=$work/xdg
cd "$work"
run() {
    if ! "$brennic" --config-dir "$work/config" "$@" >/dev/null 2>"$work/errors"; then
        echo "profile-train: brennic $* failed:" >&2
        cat "$work/errors" >&2
        return 1
    fi
}
mkdir -p "$work/config"

"$simulate" --days 8 --interval 2 --format datarecorder --start 2011-06-10 --seed 5 \
    >"$work/recorder.txt"
run --replay-datarecorder "$work/recorder.txt"
run --replay-datarecorder "$work/recorder.txt" --from "2011-06-14 00:00:00" \
    --to "2011-06-15 00:00:00" --fast-access
for model in 0 1 2; do
    "$simulate" --days 2 --interval 2 --format log --model "$model" --start 2011-06-10 \
        --seed 6 --weather hazy >"$work/log$model.txt"
    run --replay-log "$work/log$model.txt"
done
"$simulate" --days 2 --interval 2 --format capture --start 2011-06-10 --seed 7 \
    >"$work/capture.txt"
run --replay-capture "$work/capture.txt" --start "2011-06-10 00:00:00" --interval 2
run --import "$work/recorder.txt" "$work/log0.txt"
run --report day --format json
