#!/bin/bash
# wine_bench.sh -- Wine beside us, in one run on one virtual X screen (1024x768): the intro's frames, unpaced, drawn by
# frame_dump's timing mode (start-up left out) built for Windows and run under Wine (its processor renderer, a
# 640x480 virtual desktop), and built on our layer, in a 640x480 window and full screen. The three take turns, round
# after round; the medians and their ratios are printed.
#
#   wine_bench.sh [--native DIR] [--windows DIR] [--frames N] [--rounds R]
#
# Defaults: build/default, build/windows, 1440 frames (40 zoom cycles), 5 rounds.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/median.sh"
native=$here/../build/default
windows=$here/../build/windows
frames=1440
rounds=5
on_display=
while [[ $# -gt 0 ]]; do
    case $1 in
        --native) native=$2; shift 2 ;;
        --windows) windows=$2; shift 2 ;;
        --frames) frames=$2; shift 2 ;;
        --rounds) rounds=$2; shift 2 ;;
        --on-display) on_display=1; shift ;;
        *) echo "wine_bench.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
native=$(realpath "$native")
windows=$(realpath "$windows")
ours_dump=$native/tests/e2e/wine/frame_dump
wine_dump=$windows/tests/e2e/wine/frame_dump.exe
for file in "$ours_dump" "$native/intro.bmp"; do
    [[ -e $file ]] || { echo "wine_bench.sh: $file is missing (make build)" >&2; exit 2; }
done
[[ -e $wine_dump ]] || { echo "wine_bench.sh: $wine_dump is missing (make windows)" >&2; exit 2; }

if [[ -z $on_display ]]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --on-display --native "$native" --windows "$windows" \
        --frames "$frames" --rounds "$rounds"
fi

workdir=$(mktemp -d /tmp/wine_bench-XXXXXX)
trap 'rm -rf "$workdir"' EXIT
cp "$native/intro.bmp" "$workdir/"

# Microseconds a frame from one frame_dump run (the command in "$@"), or an error.
time_frames() {
    local output
    output=$(cd "$workdir" && "$@" --time "$frames" 2>"$workdir/err") || true
    if [[ $output != us_per_frame* ]]; then
        echo "wine_bench.sh: $* --time $frames printed no time; its errors:" >&2
        grep -v '^ALSA' "$workdir/err" >&2 || true
        exit 1
    fi
    echo "${output#us_per_frame }"
}

# frame_dump on our layer in window mode $1, with the rest of the arguments (after "--": the platform takes the
# options before it as its own settings), without the photosensitivity warning, which would wait for a key.
ours() {
    SDL_AUDIODRIVER=dummy TAMBERLYN_UNPACED=1 TAMBERLYN_WARNING=no TAMBERLYN_WINDOW=$1 "$ours_dump" -- "${@:2}"
}

wine_times=()
window_times=()
desktop_times=()
for ((round = 0; round < rounds; ++round)); do
    wine_times+=("$(time_frames "$here/../tools/wine/wine-run" "$wine_dump")")
    window_times+=("$(time_frames ours window)")
    desktop_times+=("$(time_frames ours desktop)")
done
wine=$(printf '%s\n' "${wine_times[@]}" | median)
window=$(printf '%s\n' "${window_times[@]}" | median)
desktop=$(printf '%s\n' "${desktop_times[@]}" | median)

echo "The intro's frames, unpaced, $frames after one zoom cycle; medians of $rounds rounds on one Xvfb screen of 1024x768."
awk -v wine="$wine" -v window="$window" -v desktop="$desktop" 'BEGIN {
    printf "%-46s %8.1f us a frame\n", "Wine, 640x480 virtual desktop, processor renderer", wine
    printf "%-46s %8.1f us a frame   Wine / ours: %.2f\n", "ours, 640x480 window", window, wine / window
    printf "%-46s %8.1f us a frame   Wine / ours: %.2f\n", "ours, full screen 1024x768", desktop, wine / desktop
}'
echo "each round (Wine, window, full screen):"
for ((round = 0; round < rounds; ++round)); do
    echo "  ${wine_times[round]} ${window_times[round]} ${desktop_times[round]}"
done
