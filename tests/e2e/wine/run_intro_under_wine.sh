#!/bin/bash
# run_intro_under_wine.sh -- runs the Windows program under Wine as a person would: in a fresh working directory
# (with or without intro.bmp), on the current X display; screenshots the 640 x 480 virtual desktop while the intro
# plays, has them judged, types Escape and expects the program's own exit code, 27.
#
#   run_intro_under_wine.sh (--intro FILE | --no-intro) --screen-check TOOL --workdir DIR [--shots N]
#                           -- RUNNER... PROGRAM.exe
set -euo pipefail

intro=
with_picture=
screen_check=
workdir=
shots=16
while [[ $# -gt 0 && $1 != -- ]]; do
    case $1 in
        --intro) intro=$2; with_picture=1; shift 2 ;;
        --no-intro) with_picture=0; shift ;;
        --screen-check) screen_check=$2; shift 2 ;;
        --workdir) workdir=$2; shift 2 ;;
        --shots) shots=$2; shift 2 ;;
        *) echo "run_intro_under_wine.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
shift || true
if [[ -z $with_picture || -z $screen_check || -z $workdir || $# -lt 1 ]]; then
    echo "usage: run_intro_under_wine.sh (--intro FILE | --no-intro) --screen-check TOOL --workdir DIR" \
         "[--shots N] -- RUNNER... PROGRAM.exe" >&2
    exit 2
fi
if [[ -z ${DISPLAY:-} ]]; then
    picture_option=(--no-intro)
    [[ $with_picture == 1 ]] && picture_option=(--intro "$intro")
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "${picture_option[@]}" \
        --screen-check "$screen_check" --workdir "$workdir" --shots "$shots" -- "$@"
fi
for tool in "$screen_check" ${intro:+"$intro"}; do
    [[ -e $tool ]] || { echo "run_intro_under_wine.sh: $tool is missing (build the native preset)" >&2; exit 2; }
done

rm -rf "$workdir"
mkdir -p "$workdir/shots"
if [[ $with_picture == 1 ]]; then
    cp "$intro" "$workdir/intro.bmp"
fi
cd "$workdir"

"$@" >wine.log 2>&1 &
program=$!

# The program's window appears in the virtual desktop once Wine has started (and made its prefix, the first time).
window=
for ((tries = 0; tries < 900; ++tries)); do
    window=$(xdotool search --name '^Tamberlyn$' 2>/dev/null | head -n 1 || true)
    [[ -n $window ]] && break
    if ! kill -0 "$program" 2>/dev/null; then
        echo "run_intro_under_wine.sh: the program ended before its window showed; its output:" >&2
        cat wine.log >&2
        exit 1
    fi
    sleep 0.1
done
if [[ -z $window ]]; then
    echo "run_intro_under_wine.sh: no window named Tamberlyn appeared within 90 s" >&2
    kill "$program" 2>/dev/null || true
    exit 1
fi

# A moment for the first frames, then screenshots of the desktop's place on the screen (its top-left 640 x 480).
sleep 0.3
for ((shot = 1; shot <= shots; ++shot)); do
    import -silent -window root -crop 640x480+0+0 +repage -type TrueColor "BMP3:shots/shot-$(printf %02d "$shot").bmp"
done

# Escape, typed to the focused window, ends the intro; typed again if the first one was missed.
status=
for ((attempt = 0; attempt < 3; ++attempt)); do
    xdotool key Escape
    for ((wait = 0; wait < 30; ++wait)); do
        if ! kill -0 "$program" 2>/dev/null; then
            status=0
            wait "$program" || status=$?
            break 2
        fi
        sleep 0.1
    done
done
if [[ -z $status ]]; then
    echo "run_intro_under_wine.sh: the program did not end after Escape; closing its X connection" >&2
    xdotool windowkill "$window" 2>/dev/null || true
    wait "$program" || true
    exit 1
fi

verdict=0
check_mode=--flash-only
[[ $with_picture == 1 ]] && check_mode=--picture
"$screen_check" "$check_mode" shots/*.bmp || verdict=$?
echo "exit code: $status (expected 27)"
if [[ $status -ne 27 ]]; then
    echo "run_intro_under_wine.sh: expected exit code 27 after Escape, got $status; Wine's output:" >&2
    grep -v '^ALSA' wine.log >&2 || true
    exit 1
fi
exit "$verdict"
