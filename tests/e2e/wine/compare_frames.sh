#!/bin/bash
# compare_frames.sh -- draws the intro's first frames with frame_dump under Wine and on our own layer, from the same
# intro.bmp, and has screen_check compare them pixel by pixel (Wine's frames are the reference).
#
#   compare_frames.sh --intro FILE --frames N --bound FRACTION --native-dump TOOL --screen-check TOOL --workdir DIR
#                     -- RUNNER... frame_dump.exe
set -euo pipefail

arguments=("$@")
intro= frames= bound= native_dump= screen_check= workdir=
while [[ $# -gt 0 && $1 != -- ]]; do
    case $1 in
        --intro) intro=$2 ;;
        --frames) frames=$2 ;;
        --bound) bound=$2 ;;
        --native-dump) native_dump=$2 ;;
        --screen-check) screen_check=$2 ;;
        --workdir) workdir=$2 ;;
        *) echo "compare_frames.sh: unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
done
shift || true
if [[ -z $intro || -z $frames || -z $bound || -z $native_dump || -z $screen_check || -z $workdir || $# -lt 1 ]]; then
    echo "usage: compare_frames.sh --intro FILE --frames N --bound FRACTION --native-dump TOOL --screen-check TOOL" \
         "--workdir DIR -- RUNNER... frame_dump.exe" >&2
    exit 2
fi
[[ -n ${DISPLAY:-} ]] || exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "${arguments[@]}"
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
