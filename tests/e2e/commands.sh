#!/usr/bin/env bash
# The editor's commands on a real X server: a project named on the command line opens; its red
# square is dragged with the mouse and Ctrl+S saves it where it was dropped; the text box copied
# with Ctrl+C reaches other programs (xclip), text another program put on the clipboard is pasted
# with Ctrl+V as a new text box, and Ctrl+Z takes that back.
#   commands.sh <ambrelo program> <projecttool>
set -euo pipefail
program=$1
projecttool=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xsession.sh"
command -v xclip >/dev/null || fail "xclip is not installed (scripts/packages.txt lists it)"

start_session
"$projecttool" sample "$work/label.wlp" || fail "could not write the project"
objects() { "$projecttool" list "$work/label.wlp" 2>/dev/null || true; }
# The n-th object's line (from 1) as the list gives it, and a test of it.
object() { objects | sed -n "${1}p"; }
object_is() { [[ $(object "$1") == $2 ]]; }
object_count_is() { [[ $(objects | wc -l) -eq $1 ]]; }
[[ $(object 1) == "1 100500 100500 101500 101500" ]] || fail "the sample project is not as expected: $(objects)"

start_program "$program" "$work/label.wlp"
editor_window '^Ambrelo Wine Label Software-.* - label$'
# View > Tool Window (its first item) off: the tool window stays away from the canvas.
xdotool key --clearmodifiers alt+v
sleep 0.5
xdotool key --clearmodifiers Return

# The red square on the screen: the box of its red pixels, as "left top right bottom".
red_box() {
    region_pixels "$X" "$Y" "$WIDTH" "$HEIGHT" |
        awk -v x0="$X" -v y0="$Y" '$3 > 200 && $4 < 60 && $5 < 60 {
                if (n++ == 0 || $1 < l) l = $1; if ($1 > r) r = $1
                if (n == 1 || $2 < t) t = $2; if ($2 > b) b = $2 }
            END { if (n < 100) exit 1; printf "%d %d %d %d\n", x0 + l, y0 + t, x0 + r, y0 + b }'
}
square_at() { [[ $(red_box) == "$1" ]]; }
wait_for 10 red_box || fail "the red square is not on the screen"
read -r left top right bottom <<<"$(red_box)"
((right - left >= 95 && right - left <= 105)) || fail "the square is $((right - left)) pixels wide, not an inch"

# Drag it 100 pixels right and 50 down, in steps; Ctrl+S saves it there.
cx=$(((left + right) / 2))
cy=$(((top + bottom) / 2))
xdotool mousemove --sync "$cx" "$cy" mousedown 1
for step in $(seq 10 10 100); do
    xdotool mousemove --sync $((cx + step)) $((cy + step / 2))
done
xdotool mouseup 1
wait_for 10 square_at "$((left + 100)) $((top + 50)) $((right + 100)) $((bottom + 50))" ||
    fail "the square is not where it was dragged: $(red_box)"
xdotool key --clearmodifiers ctrl+s
# 100 pixels at zoom 1 are one inch: 1000 units.
wait_for 10 object_is 1 "1 101500 101000 102500 102000" ||
    fail "Ctrl+S did not save the moved square: $(object 1)"

# A right click on the empty canvas opens the context menu with nothing to copy; once it has
# closed, the text box is selected and Ctrl+C copies its text for other programs.
xdotool mousemove --sync $((left + 60)) $((bottom + 150)) click 3
sleep 0.5
xdotool key --clearmodifiers Escape
# The text box lies 150 pixels right of where the square was, as high.
xdotool mousemove --sync $((left + 200)) $((top + 20)) click 1
sleep 0.5
xdotool key --clearmodifiers ctrl+c
wait_for 10 bash -c '[[ "$(xclip -o -selection clipboard)" == Chardonnay ]]' ||
    fail "Ctrl+C did not give other programs the text: $(xclip -o -selection clipboard 2>&1 || true)"

# Text from another program becomes a new text box; Ctrl+S keeps it, Ctrl+Z takes it back.
printf 'Pinot Noir' | xclip -i -selection clipboard
xdotool mousemove --sync $((left + 60)) $((bottom + 150)) click 1
sleep 0.5
xdotool key --clearmodifiers ctrl+v
xdotool key --clearmodifiers ctrl+s
wait_for 10 object_is 3 "2 * Pinot Noir" ||
    fail "Ctrl+V did not paste the text as a text box: $(objects)"
xdotool key --clearmodifiers ctrl+z
xdotool key --clearmodifiers ctrl+s
wait_for 10 object_count_is 2 ||
    fail "Ctrl+Z did not take the pasted text box back: $(objects)"
[[ $(object 1) == "1 101500 101000 102500 102000" ]] || fail "the square moved again: $(object 1)"
[[ $(object 2) == "2 102000 100500 103500 101000 Chardonnay" ]] || fail "the text box changed: $(object 2)"

# Everything is saved: closing asks nothing.
editor=$(window_named '^Ambrelo Wine Label Software-.* - label$' 10) || fail "the editor window went away"
activate "$editor" || true
xdotool key --clearmodifiers alt+F4
wait_for 30 bash -c "! kill -0 $program_pid" || fail "the program did not end: was it asked to save?"
wait "$program_pid" || fail "the program ended with code $?: $(cat "$work/program.log")"
echo "PASS: a project opened from the command line was moved, saved, copied from, pasted into and undone"
