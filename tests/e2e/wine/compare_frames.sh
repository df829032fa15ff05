#!/bin/bash
# compare_frames.sh -- draws the intro's first frames with frame_dump under Wine and on our own layer, from the same
# intro.bmp, and compares them pixel by pixel (Wine's frames are the reference).
#
#   compare_frames.sh --intro FILE --frames N --bound FRACTION --native-dump TOOL --frame-compare TOOL --workdir DIR
#                     -- RUNNER... frame_dump.exe
set -euo pipefail

intro=
frames=
bound=
native_dump=
frame_compare=
workdir=
while [[ $# -gt 0 && $1 != -- ]]; do
    case $1 in
        --intro) intro=$2; shift 2 ;;
        --frames) frames=$2; shift 2 ;;
        --bound) bound=$2; shift 2 ;;
        --native-dump) native_dump=$2; shift 2 ;;
        --frame-compare) frame_compare=$2; shift 2 ;;
        --workdir) workdir=$2; shift 2 ;;
        *) echo "compare_frames.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
shift || true
if [[ -z $intro || -z $frames || -z $bound || -z $native_dump || -z $frame_compare || -z $workdir || $# -lt 1 ]]; then
    echo "usage: compare_frames.sh --intro FILE --frames N --bound FRACTION --native-dump TOOL --frame-compare TOOL" \
         "--workdir DIR -- RUNNER... frame_dump.exe" >&2
    exit 2
fi
if [[ -z ${DISPLAY:-} ]]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --intro "$intro" --frames "$frames" --bound "$bound" \
        --native-dump "$native_dump" --frame-compare "$frame_compare" --workdir "$workdir" -- "$@"
fi
for tool in "$intro" "$native_dump" "$frame_compare"; do
    [[ -e $tool ]] || { echo "compare_frames.sh: $tool is missing (build the native preset first)" >&2; exit 2; }
done
native_dump=$(realpath "$native_dump")

rm -rf "$workdir"
mkdir -p "$workdir/wine" "$workdir/ours"
cp "$intro" "$workdir/wine/intro.bmp"
cp "$intro" "$workdir/ours/intro.bmp"

status=0
(cd "$workdir/wine" && "$@" "$frames" >frame_dump.log 2>&1) || status=$?
if [[ $status -ne 0 ]]; then
    echo "compare_frames.sh: frame_dump under Wine exited with $status; its output:" >&2
    grep -v '^ALSA' "$workdir/wine/frame_dump.log" >&2 || true
    exit 1
fi
(cd "$workdir/ours" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy TAMBERLYN_UNPACED=1 "$native_dump" "$frames") \
    || { echo "compare_frames.sh: frame_dump on our layer exited with $?" >&2; exit 1; }

"$frame_compare" --bound "$bound" --frames "$frames" "$workdir/wine" "$workdir/ours"
