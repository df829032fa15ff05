#!/bin/bash
# fault_check.sh -- puts deliberate faults into the code one at a time, builds the default preset, runs the tests and
# says which faults they catch. Each fault is an exact text replacement in one file; a fault whose text is not found
# exactly once is refused, so the list cannot go stale unseen.
#
#   tools/fault_check.sh [--every-test] [--list | --check] [NAME...]
#
# --list lists the faults; --check only checks that each still applies. The suite runs unchanged first and must pass. Then, for each fault (or the NAMEs given): apply it, build, run ctest
# (stopping at the first failure; --every-test runs every test and names each that failed), restore the file. The
# file is restored on Ctrl+C too. The table goes to standard output and to build/default/fault_check.txt, each run's
# output to build/default/fault_check/NAME.log.
set -uo pipefail
cd "$(dirname "$0")/.."

names=() files=() olds=() news=() whats=()
fault() { names+=("$1"); files+=("$2"); olds+=("$3"); news+=("$4"); whats+=("$5"); }

# --- the system ---
fault flash-colours app/intro.cpp \
    'g_flashToggle ? RGB(255, 255, 255) : RGB(0, 0, 0)' 'g_flashToggle ? RGB(0, 0, 0) : RGB(255, 255, 255)' \
    'the flashes start white'
fault zoom-step app/intro.cpp 'g_zoom = g_zoom - 0.5f;' 'g_zoom = g_zoom - 1.0f;' \
    'the zoom shrinks in steps of 1'
fault global-order app/globals.cpp $'Engine g_engine;\nBitmap g_introBitmap;' $'Bitmap g_introBitmap;\nEngine g_engine;' \
    'the image outlives the engine: its surface released after DirectDraw'
fault clip-off-by-one graphics/bitmap.cpp 'ScaledPixels(clipRect.left - x, kx)' 'ScaledPixels(clipRect.left - x + 1, kx)' \
    'the clipped source starts a pixel late on the left'
fault image-not-restored graphics/bitmap.cpp $'!= DD_OK) {\n        Restore();' $'!= DD_OK) {' \
    'a failed image blit does not reload the image'
fault replaced-surface-leaks graphics/bitmap.cpp $'    ReleaseHeld(surface);\n    surface = loaded;' '    surface = loaded;' \
    'a second load leaks the first surface'
fault reload-without-restore graphics/bitmap_surface.cpp $'    surface->Restore();\n' '' \
    'the reload copies into a lost surface without restoring it'
fault pen-width graphics/shape_painter.cpp 'CreatePen(PS_SOLID, 2, penColor)' 'CreatePen(PS_SOLID, 1, penColor)' \
    'the rectangle outline is one pixel wide'
fault brush-left-selected graphics/shape_painter.cpp $'    SelectObject(dc, oldBrush);\n' '' \
    'the brush is deleted while still selected'
fault box-after-release engine/engine_setup.cpp \
    $'ShowSetupError("Error Setting Display Mode", nullptr);\n        ReleaseHeld(drawDevice.ddraw);' \
    $'ReleaseHeld(drawDevice.ddraw);\n        ShowSetupError("Error Setting Display Mode", nullptr);' \
    'a refused display mode releases DirectDraw before the box'
fault release-order engine/draw_device.cpp $'ReleaseHeld(backBuffer);\n    ReleaseHeld(primary);' \
    $'ReleaseHeld(primary);\n    ReleaseHeld(backBuffer);' 'the primary surface is released before its back buffer'
fault flip-not-restored engine/frame_cycle.cpp '        drawDevice.primary->Restore();' '' \
    'a failed flip does not restore the primary'
fault winsock-major-only net/net_guard.cpp 'LOBYTE(wsaData.wVersion) != 1 || HIBYTE(wsaData.wVersion) != 1' \
    'LOBYTE(wsaData.wVersion) != 1' 'Windows Sockets 1.2 and up are kept'

# --- the platform: the core ---
fault quit-before-posted platform/core/user_message.cpp 'if (TakeFrom(queue.posted,' \
    'if (!queue.quitPending && TakeFrom(queue.posted,' 'WM_QUIT is handed out before posted messages'
fault noremove-removes platform/core/user_message.cpp '(wRemoveMsg & PM_REMOVE) != 0' 'true' \
    'PeekMessageA(PM_NOREMOVE) takes the message'
fault deactivation-lost platform/core/user_window.cpp 'Send(handle, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);' \
    'if (active) Send(handle, WM_ACTIVATEAPP, TRUE, 0);' 'WM_ACTIVATEAPP(0) is never sent'
fault keys-stay-held platform/core/input.cpp '        keyboard::ReleaseAll();' '' \
    'keys held at a focus loss stay held'
fault stretch-step platform/core/stretch_blit.cpp 'return (Step(from) << 16) / Step(to);' \
    'return ((Step(from) << 16) + Step(to) / 2) / Step(to);' "DirectDraw's 16.16 stretch step is rounded"
fault inverted-rect platform/core/ddraw_surface.cpp $' &&\n           rect.left <= rect.right && rect.top <= rect.bottom;' ';' \
    'Blt takes inverted rectangles'
fault rgb565-swapped platform/core/canvas.cpp '((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3)' \
    '((c.b >> 3) << 11) | ((c.g >> 2) << 5) | (c.r >> 3)' 'red and blue swapped in 5-6-5 colours'
fault gdi-ties-up platform/core/canvas.cpp 'numerator = (2 * i + 1) * map.srcLen - 1;' \
    'numerator = (2 * i + 1) * map.srcLen;' "GDI's stretch takes the upper pixel on ties"
fault rectangle-pen platform/core/gdi_draw.cpp 'outerRight = r - 1 - back + width;' 'outerRight = r - back + width;' \
    "Rectangle's right pen band one pixel too wide"
fault shrink-without-and platform/core/gdi_draw.cpp 'combined &= src.ReadPixel' 'combined = src.ReadPixel' \
    'shrinking keeps the last source pixel instead of ANDing them'
fault rle-past-row platform/core/bmp_decoder.cpp 'if (column_ < width_ && !PastImage()) {' 'if (!PastImage()) {' \
    'an RLE absolute run is not cut at the end of its row'
fault failpoint-count platform/core/relay.cpp \
    $'++failpoint.calls;\n    if (failpoint.onlyCall != 0 && failpoint.calls != failpoint.onlyCall) {' \
    'if (failpoint.onlyCall != 0 && failpoint.calls++ != failpoint.onlyCall) {' \
    'a failpoint @N fires on call N + 1'
fault settings-precedence platform/core/settings.cpp \
    $'    ReadEnvironment(sources, start);\n    ReadArguments(sources.arguments, start);' \
    $'    ReadArguments(sources.arguments, start);\n    ReadEnvironment(sources, start);' \
    'the environment wins over the command line'
fault flash-spacing platform/core/flash_limiter.cpp 'kLeastBetweenChanges = std::chrono::milliseconds(200)' \
    'kLeastBetweenChanges = std::chrono::milliseconds(100)' 'reduced flashing lets brightness change every 100 ms'
fault screenshot-overwrites platform/core/capture.cpp $'        if (std::filesystem::exists(path, error)) {\n            continue;\n        }\n' '' \
    'a screenshot overwrites the first one'
fault screenshot-upside-down platform/core/bmp_encoder.cpp 'Put32(out, height);' \
    'Put32(out, static_cast<std::uint32_t>(-static_cast<std::int32_t>(height)));' 'saved pictures are upside down'
fault key-up-bit platform/core/key_map.cpp 'const bool previous = !event.down || event.repeat;' \
    'const bool previous = event.repeat;' "a key's release lacks the previous-state bit"
fault warning-escape-goes-on platform/core/photosensitivity_warning.cpp $'chose to quit");\n            return 0;' \
    $'chose to quit");\n            return std::nullopt;' 'Escape in the photosensitivity warning starts the intro'
fault rgb565-widening platform/core/pixel_rows.cpp '((p >> 1) & 0x300)' '((p >> 1) & 0x200)' \
    "5-6-5 pixels widened with green's lowest bit lost"

# --- the platform: the SDL host ---
fault picture-centring platform/host_sdl/sdl_picture_rect.cpp '(areaWidth - width) / 2' '(areaWidth - width + 1) / 2' \
    'the picture lies half a pixel right of the middle'
fault bars-after-expose platform/host_sdl/sdl_redraw_watch.cpp $'            case SDL_WINDOWEVENT_EXPOSED:\n' '' \
    'black bars not painted again after the window was exposed'
fault x-sample-corner platform/host_sdl/x_nearest_transform.cpp 'c - (scale + 1) / 2 + pixman_fixed_e' 'c' \
    "the X server's scaling samples at the pixels' corners, not their centres"
fault x-refresh-without-bars platform/host_sdl/sdl_x_presenter.cpp 'Show(*placement, true);' 'Show(*placement, false);' \
    'an uncovered window gets its picture again on X but not its bars'
fault alt-enter-forgets-size platform/host_sdl/sdl_screen.cpp \
    $'    SDL_GetWindowSize(window, &windowedPlace_.w, &windowedPlace_.h);\n' '' \
    "Alt+Enter forgets the window's last size and place"

every_test=0
check_only=0
chosen=()
for argument in "$@"; do
    case $argument in
        --every-test) every_test=1 ;;
        --list)
            for i in "${!names[@]}"; do printf '%-24s %-44s %s\n' "${names[i]}" "${files[i]}" "${whats[i]}"; done
            exit 0 ;;
        --check) check_only=1 ;;
        -*) echo "usage: tools/fault_check.sh [--every-test] [--list | --check] [NAME...]" >&2; exit 2 ;;
        *) chosen+=("$argument") ;;
    esac
done

# The faults to run, each checked against its file before anything changes.
selected=()
for i in "${!names[@]}"; do
    if [[ ${#chosen[@]} -gt 0 && " ${chosen[*]} " != *" ${names[i]} "* ]]; then
        continue
    fi
    text=$(cat "${files[i]}"; printf x) && text=${text%x}
    rest=${text#*"${olds[i]}"}
    if [[ $rest == "$text" || $rest == *"${olds[i]}"* ]]; then
        echo "fault_check.sh: ${names[i]}: its text is not in ${files[i]} exactly once; update the fault" >&2
        exit 2
    fi
    selected+=("$i")
done
if [[ ${#selected[@]} -eq 0 ]]; then
    echo "fault_check.sh: no fault named ${chosen[*]} (--list lists them)" >&2
    exit 2
fi
if [[ $check_only == 1 ]]; then
    echo "${#selected[@]} faults apply"
    exit 0
fi

build_dir=build/default
log_dir=$build_dir/fault_check
mkdir -p "$log_dir"
backup=$(mktemp)
changed=

restore() {
    if [[ -n $changed ]]; then
        cp "$backup" "$changed"
        changed=
    fi
}
trap 'restore; rm -f "$backup"' EXIT
trap 'restore; exit 130' INT TERM

# Builds and runs the suite; prints the failing tests (or "build failed"), and returns non-zero if anything failed.
run_suite() {
    local log=$1
    if ! cmake --build --preset default -j2 >"$log" 2>&1; then
        echo "build failed"
        return 1
    fi
    local stop=(--stop-on-failure)
    [[ $every_test == 1 ]] && stop=()
    ctest --preset default -j2 "${stop[@]}" >>"$log" 2>&1 && return 0
    sed -n '/The following tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \([^ ]*\).*$/\1/p' "$log" | tr '\n' ' '
    return 1
}

cmake --preset default >/dev/null || exit 2
echo "the suite unchanged..."
if ! failed=$(run_suite "$log_dir/unchanged.log"); then
    echo "fault_check.sh: the suite fails without a fault ($failed); see $log_dir/unchanged.log" >&2
    exit 1
fi

report=$build_dir/fault_check.txt
printf '%-24s %-7s %s\n' fault result 'failing tests' | tee "$report"
caught=0
for i in "${selected[@]}"; do
    file=${files[i]}
    cp "$file" "$backup"
    changed=$file
    text=$(cat "$file"; printf x) && text=${text%x}
    printf '%s' "${text/"${olds[i]}"/"${news[i]}"}" >"$file"
    if failed=$(run_suite "$log_dir/${names[i]}.log"); then
        result=MISSED
    elif [[ $failed == "build failed" ]]; then
        result=ERROR
    else
        result=caught
        caught=$((caught + 1))
    fi
    restore
    printf '%-24s %-7s %s\n' "${names[i]}" "$result" "$failed" | tee -a "$report"
done
echo "$caught of ${#selected[@]} faults caught" | tee -a "$report"
cmake --build --preset default -j2 >/dev/null 2>&1  # the build as the sources are again
[[ $caught -eq ${#selected[@]} ]]
