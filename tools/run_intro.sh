#!/bin/bash
# run_intro.sh -- runs the intro for `make run`.
#
#   run_intro.sh BUILD_DIR SHOTS_DIR
#
# With a display: the program full screen, as a user runs it: its photosensitivity warning first, then the intro
# (Escape ends it).
# Without one: the program on a virtual display (Xvfb) for a few seconds, nobody there to answer the warning;
# screenshots of the screen go to SHOTS_DIR, then Escape is typed. Without Xvfb: the program headless, a few frames captured to SHOTS_DIR.
# Succeeds when the program ends as it should: exit code 27 after Escape, 0 after a quit.
set -euo pipefail

if [[ $# -lt 2 ]]; then
    echo "usage: run_intro.sh BUILD_DIR SHOTS_DIR" >&2
    exit 2
fi
build_dir=$(realpath "$1")
shots_dir=$(realpath -m "$2")
program=$build_dir/tamberlyn
screen_size=1280x1024
shot_count=6

if [[ ! -x $program ]]; then
    echo "run_intro.sh: $program is missing (build it first)" >&2
    exit 2
fi

# The exit codes of a normal end: 27 after Escape, 0 after a quit request.
report_exit() {
    local status=$1
    echo "tamberlyn exited with code $status"
    [[ $status -eq 27 || $status -eq 0 ]]
}

prepare_shots_dir() {
    mkdir -p "$shots_dir"
    rm -f "$shots_dir"/*.bmp "$shots_dir"/*.png
}

run_on_display() {
    echo "Warning: the intro flashes the whole screen between black and white on every frame."
    echo "The program asks before it starts; Escape ends it."
    local status=0
    (cd "$build_dir" && "$program") || status=$?
    report_exit "$status"
}

# Runs inside xvfb-run: start, wait for the window, screenshot a few seconds of it, Escape.
run_on_virtual_display() {
    prepare_shots_dir
    (cd "$build_dir" && exec env SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" TAMBERLYN_WARNING=no "$program") &
    local pid=$! status=0
    if ! timeout 10 xdotool search --sync --name '^Tamberlyn$' >/dev/null; then
        echo "run_intro.sh: no window named Tamberlyn appeared" >&2
        kill "$pid" 2>/dev/null || true
        wait "$pid" || true
        return 1
    fi
    for ((shot = 1; shot <= shot_count; ++shot)); do
        sleep 0.5
        import -window root "$shots_dir/screen-$shot.png"
    done
    xdotool key Escape
    wait "$pid" || status=$?
    echo "Screenshots of the virtual ${screen_size} screen:"
    for shot in "$shots_dir"/screen-*.png; do
        echo "  $shot"
    done
    report_exit "$status"
}

# No display and no Xvfb: the program headless, Escape at frame 300, some frames captured as BMP (and PNG).
run_headless() {
    prepare_shots_dir
    local status=0
    (cd "$build_dir" && env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy TAMBERLYN_SCRIPT=300:key=ESCAPE \
        TAMBERLYN_CAPTURE=1,2,10,19,28,36 TAMBERLYN_CAPTURE_DIR="$shots_dir" "$program") || status=$?
    echo "Captured frames are in $shots_dir"
    for frame in "$shots_dir"/*.bmp; do
        [[ -e $frame ]] || continue
        if command -v convert >/dev/null && convert "$frame" "${frame%.bmp}.png"; then
            echo "  ${frame%.bmp}.png"
        else
            echo "  $frame"
        fi
    done
    report_exit "$status"
}

if [[ ${RUN_INTRO_INSIDE_XVFB:-} == 1 ]]; then
    run_on_virtual_display
elif [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
    run_on_display
elif command -v xvfb-run >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null; then
    echo "No display: running on a virtual ${screen_size} display for a few seconds."
    RUN_INTRO_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 ${screen_size}x24" "$0" "$build_dir" "$shots_dir"
else
    echo "No display and no Xvfb: running headless."
    run_headless
fi
