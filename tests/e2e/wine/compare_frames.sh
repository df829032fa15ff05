#!/bin/bash
# compare_frames.sh -- draws the intro's first frames with frame_dump under Wine and on our own layer, from the same
# intro.bmp, and has screen_check compare them pixel by pixel (Wine's frames are the reference).
#
#   compare_frames.sh INTRO FRAMES BOUND NATIVE_FRAME_DUMP SCREEN_CHECK WORKDIR RUNNER... frame_dump.exe
set -euo pipefail

if [[ $# -lt 7 ]]; then
    echo "usage: compare_frames.sh INTRO FRAMES BOUND NATIVE_FRAME_DUMP SCREEN_CHECK WORKDIR RUNNER... frame_dump.exe" >&2
    exit 2
fi
[[ -n ${DISPLAY:-} ]] || exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
intro=$1 frames=$2 bound=$3 native_dump=$4 screen_check=$5 workdir=$6
shift 6
for needed in "$intro" "$native_dump" "$screen_check"; do
    [[ -e $needed ]] || { echo "compare_frames.sh: $needed is missing (build the native preset first)" >&2; exit 2; }
done
native_dump=$(realpath "$native_dump")

rm -rf "$workdir" && mkdir -p "$workdir/wine" "$workdir/ours"
cp "$intro" "$workdir/wine/intro.bmp" && cp "$intro" "$workdir/ours/intro.bmp"
if ! (cd "$workdir/wine" && "$@" "$frames" >frame_dump.log 2>&1); then
    echo "frame_dump under Wine failed:" >&2
    grep -v '^ALSA' "$workdir/wine/frame_dump.log" >&2 || true
    exit 1
fi
(cd "$workdir/ours" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy TAMBERLYN_UNPACED=1 "$native_dump" "$frames") \
    || { echo "frame_dump on our layer failed" >&2; exit 1; }
"$screen_check" compare --bound "$bound" --frames "$frames" "$workdir/wine" "$workdir/ours"
