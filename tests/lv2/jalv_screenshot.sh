#!/bin/sh
# jalv.gtk3 runs lyrebloom.lv2 with its X11 UI against a JACK server on its dummy backend;
# a screenshot of the X server must show the 320 x 257 editor (inside jalv's window, below
# its menu bar). Then 200 % is chosen from the editor's right-click menu: jalv must grow its
# window to the 640 x 514 editor the UI asks for through ui:resize. The screenshots are left
# in WORKDIR.
# usage: jalv_screenshot.sh BUNDLE WORKDIR
set -eu
bundle=$1 work=$2
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY"; exit 77; }
for tool in jackd jalv.gtk3 import convert xdotool xwininfo; do
  command -v $tool >/dev/null || { echo "no $tool (jackd2, jalv, imagemagick, xdotool, x11-utils)"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work/lv2" && cp -r "$bundle" "$work/lv2/"
server=lyre$$
JACK_NO_AUDIO_RESERVATION=1 jackd -n $server -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
jackd=$!
trap 'kill $jackd 2>/dev/null; [ -n "${jalv:-}" ] && kill $jalv 2>/dev/null; true' EXIT
sleep 2
JACK_DEFAULT_SERVER=$server LV2_PATH="$work/lv2" XDG_CONFIG_HOME="$work" \
  jalv.gtk3 https://www.ostrandia.de/plugins/lyrebloom >"$work/jalv.log" 2>&1 &
jalv=$!
sleep 6
kill -0 $jalv || { cat "$work/jalv.log"; echo "jalv.gtk3 exited"; exit 1; }
import -window root "$work/screen.png"
convert "$work/screen.png" -trim +repage "$work/jalv.png"
size=$(identify -format '%w %h' "$work/jalv.png")
colours=$(identify -format '%k' "$work/jalv.png")
echo "jalv window $size, $colours colours: $work/jalv.png"
set -- $size
[ "$1" -eq 320 ] && [ "$2" -ge 257 ] && [ "$colours" -gt 500 ] || exit 1
grep -q "lyrebloom#ui" "$work/jalv.log" || { echo "jalv chose no UI of ours"; exit 1; }

# Right click on bare panel at (8, 60), then the fifth entry of the list below it: 200 %.
editor=$(xdotool search --class LyrebloomEditor | head -1)
[ -n "$editor" ] || { echo "no editor window"; exit 1; }
xdotool mousemove --window "$editor" 8 60 click 3
sleep 1
xdotool mousemove --window "$editor" 48 $((60 + 4 * 16 + 8)) click 1
sleep 2
kill -0 $jalv || { cat "$work/jalv.log"; echo "jalv.gtk3 exited after the resize"; exit 1; }
editor=$(xdotool search --class LyrebloomEditor | head -1)
width=$(xwininfo -id "$editor" | sed -n 's/.*Width: //p')
import -window root "$work/screen-200.png"
convert "$work/screen-200.png" -trim +repage "$work/jalv-200.png"
size=$(identify -format '%w %h' "$work/jalv-200.png")
echo "at 200 %: editor $width wide, jalv window $size: $work/jalv-200.png"
set -- $size
[ "$width" -eq 640 ] && [ "$1" -eq 640 ] && [ "$2" -ge 514 ] || exit 1
