#!/bin/bash
# program_bench.sh -- the whole program timed from outside, beside frame_bench: the real tamberlyn, unpaced, through
# the window surface, headless (SDL's dummy video driver) and on a virtual X screen, in a window and full screen.
# A frame's cost is the difference between a long run and a short one over the frames between them, so start-up and
# shut-down drop out. frame_bench's figure for the same way of presenting, measured in the same place, stands beside
# it: the column "program/bench" shows when the two drift apart. The program also runs with glibc's `rep movsb` kept
# out of its copies (see README), which should change nothing.
#
#   program_bench.sh [--build DIR] [--frames N] [--rounds R] [--screen WxH]
#
# Defaults: build/default, 2000 frames (after 100), 3 rounds (medians), a 1920x1080 virtual screen.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
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

# Runs the program for $1 frames in window mode $2 with GLIBC_TUNABLES=$3; prints "WALL_NS CPU_S".
run_program() {
    local start end cpu
    start=$(date +%s%N)
    cpu=$(cd "$workdir" && GLIBC_TUNABLES=$3 SDL_AUDIODRIVER=dummy TAMBERLYN_UNPACED=1 TAMBERLYN_PRESENT=surface \
        TAMBERLYN_WINDOW=$2 TAMBERLYN_SCRIPT="$1:key=ESCAPE" /usr/bin/time -f '%U %S' "$build/tamberlyn" 2>&1 \
        >/dev/null | tail -n 1)
    end=$(date +%s%N)
    echo "$((end - start)) $(echo "$cpu" | awk '{ print $1 + $2 }')"
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# Microseconds a frame, wall and processor, for window mode $1 with GLIBC_TUNABLES=$2: medians over the rounds.
frame_cost() {
    local walls=() cpus=() round long short_run
    for ((round = 0; round < rounds; ++round)); do
        short_run=$(run_program "$short" "$1" "$2")
        long=$(run_program "$((short + frames))" "$1" "$2")
        walls+=("$(awk -v l="${long% *}" -v s="${short_run% *}" -v n="$frames" 'BEGIN { print (l - s) / n / 1000 }')")
        cpus+=("$(awk -v l="${long#* }" -v s="${short_run#* }" -v n="$frames" 'BEGIN { print (l - s) / n * 1e6 }')")
    done
    echo "$(printf '%s\n' "${walls[@]}" | median) $(printf '%s\n' "${cpus[@]}" | median)"
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
    local where=$1 bench mode wall cpu wall_off cpu_off bench_time
    read -r -a bench <<<"$(bench_figures)"
    for mode in window desktop; do
        read -r wall cpu <<<"$(frame_cost "$mode" "")"
        read -r wall_off cpu_off <<<"$(frame_cost "$mode" "$no_rep_movsb")"
        [[ $mode == window ]] && bench_time=${bench[1]} || bench_time=${bench[2]}
        awk -v where="$where" -v mode="$mode" -v wall="$wall" -v cpu="$cpu" -v off="$wall_off" -v cpu_off="$cpu_off" \
            -v bench="$bench_time" -v memset="${bench[0]}" 'BEGIN {
                printf "%-16s %-8s %9.1f %9.1f %9.2f %9.2f %10.1f %9.2f %9.1f %9.1f\n", where, mode, wall, cpu,
                    off / wall, cpu_off / cpu, bench, wall / bench, wall / memset, bench / memset }'
    done
}

if [[ -n $on_display ]]; then
    SDL_VIDEODRIVER=x11 measure "Xvfb $screen"
    exit 0
fi
echo "The program unpaced through the window surface, $frames frames (a run of $((short + frames)) less one of $short)," \
     "medians of $rounds rounds; times in microseconds a frame, memset: frame_bench's BM_Memset/3 in the same place."
echo "rep off: the program's figure with GLIBC_TUNABLES=$no_rep_movsb over the default's."
printf "%-16s %-8s %9s %9s %9s %9s %10s %9s %9s %9s\n" driver mode program cpu "rep off" "cpu off" frame_bench \
    "prog/bench" "memsets" "memsets"
printf "%-16s %-8s %9s %9s %9s %9s %10s %9s %9s %9s\n" "" "" "wall" "" "ratio" "ratio" "wall" "" "program" "bench"
SDL_VIDEODRIVER=dummy measure "dummy"
xvfb-run -a -s "-screen 0 ${screen}x24" bash "$0" --on-display --build "$build" --frames "$frames" --rounds "$rounds" \
    --screen "$screen"
