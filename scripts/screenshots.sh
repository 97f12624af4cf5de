#!/usr/bin/env bash
# Takes the README's screenshots of the real program: a private X server with a tray host, a
# data root filled from sample-settings.reg, each tab and the tray menu captured with ImageMagick.
# Usage: scripts/screenshots.sh [build folder] [output folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
out=${2:-$here/../docs/screenshots}
for tool in Xvfb trayer xdotool import; do
    command -v "$tool" >/dev/null || { echo "screenshots.sh needs $tool" >&2; exit 1; }
done

root=$(mktemp -d)
display=:$((70 + RANDOM % 100))
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$root"
}
trap cleanup EXIT

# A home of its own, so the pictures show the default places ("~/.local/share/tunexa/...") and
# no folder of the machine they were taken on.
export DISPLAY=$display HOME=$root/home XDG_RUNTIME_DIR=$root/runtime GSETTINGS_BACKEND=memory
unset XDG_DATA_HOME XDG_CONFIG_HOME
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$out" && chmod 700 "$XDG_RUNTIME_DIR"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
trayer --edge top --align right --widthtype pixel --width 64 --heighttype pixel --height 28 \
    >/dev/null 2>&1 & pids+=($!)
reg="$build/bin/tunexa-reg"
cp "$here/sample-settings.reg" "$HOME/"
(cd "$HOME" && "$reg" import sample-settings.reg >/dev/null)
# Two profiles and a few changes, so the Profiles frame, the tray branch and History show some.
tnt='HKLM\Software\NVIDIA Corporation\Riva TNT\Direct3D'
"$reg" profile save Safe >/dev/null
"$reg" add "$tnt" /v NVCLK /d 110 /f >/dev/null
"$reg" add "$tnt" /v MCLK /d 125 /f >/dev/null
"$reg" profile save Quake >/dev/null
"$reg" profile apply Safe >/dev/null
"$build/bin/tunexa" >/dev/null 2>&1 & pids+=($!)

# The window of that title, waited for up to 10 s.
find_window() {
    local found=""
    for _ in $(seq 100); do
        found=$(xdotool search --name "$1" 2>/dev/null | head -1) || true
        [ -n "$found" ] && break
        sleep 0.1
    done
    [ -n "$found" ] || { echo "the window $1 did not appear" >&2; exit 1; }
    echo "$found"
}

window=$(find_window '^Tunexa v1.0.7 for Win95/98 - Public Beta$')
xdotool windowmove "$window" 0 0
sleep 1

# The tab captions' centres, left to right; the tab bar sits at the top of the window.
tabs=(70 175 245 325)
names=(tab0-main-settings tab1-riva-tnt tab2-3dfx tab3-other-stuff)
for i in "${!tabs[@]}"; do
    xdotool mousemove --window "$window" "${tabs[$i]}" 24 click 1
    sleep 0.5
    import -window "$window" "$out/${names[$i]}.png"
done

# History, opened from Main Settings.
xdotool mousemove --window "$window" "${tabs[0]}" 24 click 1
sleep 0.5
xdotool mousemove --window "$window" 598 412 click 1
history=$(find_window '^History$')
xdotool windowmove "$history" 0 0
sleep 0.5
import -window "$history" "$out/history.png"
xdotool windowclose "$history" 2>/dev/null || xdotool windowunmap "$history" 2>/dev/null || true

# The tray icon sits at the right end of the tray; its menu opens on a right click. The
# Profiles branch (the fourth item) opens when the pointer rests on it.
read -r width _ < <(xdotool getdisplaygeometry)
xdotool mousemove $((width - 14)) 14 click 3
sleep 0.5
xdotool mousemove $((width - 120)) 90
sleep 1
import -window root -crop 560x240+$((width - 560))+0 "$out/tray-menu.png"
echo "screenshots in $out"
