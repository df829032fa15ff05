#!/bin/bash
# run_intro_under_wine.sh -- runs the Windows program under Wine as a person would: in a fresh working directory
# (with or without intro.bmp), on the current X display (a virtual one without); screenshots the 640 x 480 virtual
# desktop while the intro plays, has screen_check judge them, types Escape and expects the exit code 27.
#
#   run_intro_under_wine.sh INTRO|- SCREEN_CHECK WORKDIR RUNNER... PROGRAM.exe     (-: no intro.bmp)
set -euo pipefail

if [[ $# -lt 4 ]]; then
    echo "usage: run_intro_under_wine.sh INTRO|- SCREEN_CHECK WORKDIR RUNNER... PROGRAM.exe" >&2
    exit 2
fi
[[ -n ${DISPLAY:-} ]] || exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
intro=$1 screen_check=$2 workdir=$3 check=intro
shift 3
[[ $intro != - ]] || intro= check=flashes-only
for needed in "$screen_check" ${intro:+"$intro"}; do
    [[ -e $needed ]] || { echo "run_intro_under_wine.sh: $needed is missing (build the native preset)" >&2; exit 2; }
done

rm -rf "$workdir" && mkdir -p "$workdir/shots"
[[ -z $intro ]] || cp "$intro" "$workdir/intro.bmp"
cd "$workdir"
"$@" >wine.log 2>&1 &
program=$!

# The window appears once Wine has started (and made its prefix, the first time).
for ((tries = 0; tries < 900; ++tries)); do
    window=$(xdotool search --name '^Tamberlyn$' 2>/dev/null | head -n 1 || true)
    [[ -z $window ]] || break
    kill -0 "$program" 2>/dev/null || { echo "the program ended before its window showed:" >&2; cat wine.log >&2; exit 1; }
    sleep 0.1
done
[[ -n $window ]] || { echo "no window named Tamberlyn within 90 s" >&2; kill "$program"; exit 1; }

# A moment for the first frames, then the desktop's place on the screen, its top-left 640 x 480.
sleep 0.3
for shot in $(seq -w 1 16); do
    import -silent -window root -crop 640x480+0+0 +repage -type TrueColor "BMP3:shots/shot-$shot.bmp"
done

# Escape, typed again if the first one was missed.
status=
for ((attempt = 0; attempt < 3 && ${#status} == 0; ++attempt)); do
    xdotool key Escape
    for ((wait = 0; wait < 30; ++wait)); do
        if ! kill -0 "$program" 2>/dev/null; then
            status=0
            wait "$program" || status=$?
            break
        fi
        sleep 0.1
    done
done
if [[ -z $status ]]; then
    echo "the program did not end after Escape" >&2
    xdotool windowkill "$window" 2>/dev/null || true
    exit 1
fi
verdict=0
"$screen_check" "$check" shots/*.bmp || verdict=$?
echo "exit code: $status (expected 27)"
if [[ $status -ne 27 ]]; then
    grep -v '^ALSA' wine.log >&2 || true
    exit 1
fi
exit "$verdict"
