#!/bin/bash
# program_bench.sh -- the whole program timed from outside, beside frame_bench: the real tamberlyn, unpaced, through
# the window surface, headless (SDL's dummy video driver) and on a virtual X screen, in a window and full screen.
# A frame's cost is the difference between a long run and a short one over the frames between them, so start-up and
# shut-down drop out. frame_bench's figure for the same way of presenting, measured in the same place, stands beside
# it: the column "program/bench" shows when the two drift apart. The program also runs with glibc's `rep movsb` kept
# out of its copies (see README), which should change nothing. Last, the program paced at 60 frames a second for ten
# seconds: the share of a processor core it takes headless (the frames alone) and full screen on the X screen.
#
#   program_bench.sh [--build DIR] [--frames N] [--rounds R] [--screen WxH]
#
# Defaults: build/default, 2000 frames (after 100), 3 rounds (medians), a 1920x1080 virtual screen.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/median.sh"
build=$here/../build/default
frames=2000
rounds=3
screen=1920x1080
on_display=
while [[ $# -gt 0 ]]; do
    case $1 in
        --build) build=$2; shift 2 ;;
        --frames) frames=$2; shift 2 ;;
        --rounds) rounds=$2; shift 2 ;;
        --screen) screen=$2; shift 2 ;;
        --on-display) on_display=1; shift ;;
        *) echo "program_bench.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
build=$(realpath "$build")
short=100
no_rep_movsb=glibc.cpu.x86_rep_movsb_threshold=100000000
for file in "$build/tamberlyn" "$build/bench/frame_bench" "$build/intro.bmp"; do
    [[ -e $file ]] || { echo "program_bench.sh: $file is missing (make build)" >&2; exit 2; }
done

workdir=$(mktemp -d /tmp/program_bench-XXXXXX)
trap 'rm -rf "$workdir"' EXIT
cp "$build/intro.bmp" "$workdir/"

# The processor seconds the X server of this display has used so far (0 without one).
server_seconds() {
    local pid
    pid=$([[ -n ${DISPLAY:-} ]] && pgrep -f "^Xvfb $DISPLAY " | head -n 1 || true)
    if [[ -z $pid ]]; then
        echo 0
        return
    fi
    awk -v tick="$(getconf CLK_TCK)" '{ print ($14 + $15) / tick }' "/proc/$pid/stat"
}

# Runs the program for $1 frames in window mode $2 with GLIBC_TUNABLES=$3; prints the seconds it took: "WALL CPU
# SERVER" (wall clock, its own processor time, the X server's processor time meanwhile).
run_program() {
    local start end cpu server_before server_after
    server_before=$(server_seconds)
    start=$(date +%s%N)
    cpu=$(cd "$workdir" && GLIBC_TUNABLES=$3 SDL_AUDIODRIVER=dummy TAMBERLYN_UNPACED=1 TAMBERLYN_PRESENT=surface \
        TAMBERLYN_WINDOW=$2 TAMBERLYN_SCRIPT="$1:key=ESCAPE" /usr/bin/time -f '%U %S' "$build/tamberlyn" 2>&1 \
        >/dev/null | tail -n 1) || true  # the program ends with Escape's exit code, 27
    end=$(date +%s%N)
    server_after=$(server_seconds)
    echo "$(((end - start) / 1000)) $cpu $server_before $server_after" |
        awk '{ print $1 / 1e6, $2 + $3, $5 - $4 }'
}

# Microseconds a frame for window mode $1 with GLIBC_TUNABLES=$2, "WALL CPU SERVER" as run_program's: each the
# median over the rounds of (long run - short run) / frames.
frame_cost() {
    local per_frame=() round long short_run
    for ((round = 0; round < rounds; ++round)); do
        short_run=$(run_program "$short" "$1" "$2")
        long=$(run_program "$((short + frames))" "$1" "$2")
        per_frame+=("$(echo "$long $short_run" | awk -v n="$frames" '{ print ($1 - $4) / n * 1e6, ($2 - $5) / n * 1e6,
            ($3 - $6) / n * 1e6 }')")
    done
    local column
    for column in 1 2 3; do
        printf '%s\n' "${per_frame[@]}" | awk -v c="$column" '{ print $c }' | median
    done | paste -sd ' '
}

# frame_bench's medians for the memset and the surface frames, in microseconds: "MEMSET WINDOW DESKTOP".
bench_figures() {
    local csv=$workdir/frame_bench.csv
    "$build/bench/frame_bench" --benchmark_filter='^BM_(Memset/3|Frame/surface/(window|desktop)/3)$' \
        --benchmark_repetitions="$rounds" --benchmark_report_aggregates_only=true --benchmark_out="$csv" \
        --benchmark_out_format=csv >/dev/null 2>"$workdir/frame_bench.err" ||
        { cat "$workdir/frame_bench.err" >&2; exit 1; }
    if grep -q ',true,' "$csv"; then
        echo "program_bench.sh: frame_bench could not set up:" >&2
        grep ',true,' "$csv" >&2
        exit 1
    fi
    local figures=()
    for name in BM_Memset/3 BM_Frame/surface/window/3 BM_Frame/surface/desktop/3; do
        # The median of the repetitions; a single run has no aggregates, only its own row.
        figures+=("$(awk -F, -v n="\"$name\"" -v m="\"${name}_median\"" '$1 == m { median = $3 } $1 == n { one = $3 }
            END { print median != "" ? median : one }' "$csv")")
    done
    echo "${figures[*]}"
}

# One table row per window mode for the video driver in SDL_VIDEODRIVER.
measure() {
    local where=$1 bench mode wall cpu server wall_off cpu_off server_off bench_time
    read -r -a bench <<<"$(bench_figures)"
    for mode in window desktop; do
        read -r wall cpu server <<<"$(frame_cost "$mode" "")"
        read -r wall_off cpu_off server_off <<<"$(frame_cost "$mode" "$no_rep_movsb")"
        [[ $mode == window ]] && bench_time=${bench[1]} || bench_time=${bench[2]}
        awk -v where="$where" -v mode="$mode" -v wall="$wall" -v cpu="$cpu" -v server="$server" -v off="$wall_off" \
            -v cpu_off="$cpu_off" -v bench="$bench_time" -v memset="${bench[0]}" 'BEGIN {
                printf "%-15s %-8s %8.1f %8.1f %8.1f %8.2f %8.2f %8.1f %8.2f %8.1f %8.1f\n", where, mode, wall, cpu,
                    server, off / wall, cpu_off / cpu, bench, wall / bench, wall / memset, bench / memset }'
    done
}

# The share of one core the program takes paced at 60 frames a second over 600 frames (ten seconds): full screen
# with the video driver in SDL_VIDEODRIVER (and the X server's share meanwhile), or headless (`--headless`: the
# frames alone, presented nowhere).
paced_share() {
    local where=$1 seconds server_before server_after
    shift
    server_before=$(server_seconds)
    seconds=$(cd "$workdir" && SDL_AUDIODRIVER=dummy TAMBERLYN_PRESENT=surface TAMBERLYN_WINDOW=desktop \
        TAMBERLYN_SCRIPT=600:key=ESCAPE /usr/bin/time -f '%U %S %e' "$build/tamberlyn" "$@" 2>&1 >/dev/null |
        tail -n 1) || true  # the program ends with Escape's exit code, 27
    server_after=$(server_seconds)
    echo "$seconds $server_before $server_after" | awk -v where="$where" '{
        printf "paced, %s, 600 frames: %.2f s of processor in %.2f s: %.1f%% of a core", where, $1 + $2, $3,
            100 * ($1 + $2) / $3
        if ($5 > $4) printf " (the X server: %.1f%%)", 100 * ($5 - $4) / $3
        printf "\n" }'
}

if [[ -n $on_display ]]; then
    SDL_VIDEODRIVER=x11 measure "Xvfb $screen"
    SDL_VIDEODRIVER=x11 paced_share "full screen on Xvfb $screen"
    exit 0
fi
echo "The program unpaced through the window surface, $frames frames (a run of $((short + frames)) less one of $short)," \
     "medians of $rounds rounds; times in microseconds a frame, memset: frame_bench's BM_Memset/3 in the same place."
echo "rep off: the program's figure with GLIBC_TUNABLES=$no_rep_movsb over the default's."
printf "%-15s %-8s %8s %8s %8s %8s %8s %8s %8s %8s %8s\n" driver mode program program "X server" "rep off" \
    "rep off" frame_ "program/" memsets memsets
printf "%-15s %-8s %8s %8s %8s %8s %8s %8s %8s %8s %8s\n" "" "" wall cpu cpu "wall" "cpu" bench "bench" program bench
SDL_VIDEODRIVER=dummy measure "dummy"
paced_share "headless" --headless
xvfb-run -a -s "-screen 0 ${screen}x24" bash "$0" --on-display --build "$build" --frames "$frames" --rounds "$rounds" \
    --screen "$screen"
