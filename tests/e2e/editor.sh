#!/usr/bin/env bash
# The editor window on a real X server: the program opens a project, "New Shape" is chosen and a
# shape dragged on the canvas with the mouse, the screenshot shows it where it was dragged, and
# closing the window with the save prompt answered Yes saves it into the project.
#   editor.sh <ambrelo program> <projecttool>
set -euo pipefail
program=$1
projecttool=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xsession.sh"

start_session
work=$session_dir/work
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
"$projecttool" new "$work/label.wlp" || fail "could not write the project"

# The program on the X server (not the offscreen platform the unit tests use), with settings of
# its own.
env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$program" "$work/label.wlp" >"$work/program.log" 2>&1 &
program_pid=$!
x_pids+=("$program_pid")
editor=$(window_named '^Ambrelo Wine Label Software-.* - label$' 60) ||
    fail "the editor window did not appear: $(cat "$work/program.log")"
xdotool windowactivate --sync "$editor" || true
eval "$(xdotool getwindowgeometry --shell "$editor")"
wait_for 10 test "$(dark_pixels $((X + WIDTH / 2 - 80)) $((Y + HEIGHT / 2 - 80)) 160 160)" -eq 0 ||
    fail "the canvas is not empty where the shape goes"

# "New Shape": its icon is the only one with a translucent wine circle over a cream square, which
# gives the colour (113, 58, 72). Its centre is where the button is.
read -r count bx by < <(region_pixels "$X" "$Y" "$WIDTH" 160 |
    awk '$3 >= 111 && $3 <= 115 && $4 >= 56 && $4 <= 60 && $5 >= 70 && $5 <= 74 { n++; sx += $1; sy += $2 }
         END { if (n) printf "%d %d %d\n", n, sx / n, sy / n; else print "0 0 0" }')
((count >= 40)) || fail "the New Shape button is not on the tool bar"
xdotool mousemove --sync $((X + bx)) $((Y + by)) click 1

# A square drag from the left, above the middle, 120 pixels down and right, in steps.
x1=$((X + WIDTH / 2 - 60))
y1=$((Y + HEIGHT / 2 - 60))
xdotool mousemove --sync "$x1" "$y1" mousedown 1
for step in $(seq 10 10 120); do
    xdotool mousemove --sync $((x1 + step)) $((y1 + step))
done
xdotool mouseup 1

# The new shape is selected: a handle at each corner of what was dragged (the corner the mouse
# holds lies two pixels outside the shape), and nothing outside it.
corner_dark() { dark_pixels $(($1 - 6)) $(($2 - 6)) 13 13; }
wait_for 10 test "$(corner_dark "$x1" "$y1")" -gt 0 || fail "no shape at the top-left of the drag"
for corner in "$((x1 + 118)) $y1" "$x1 $((y1 + 118))" "$((x1 + 118)) $((y1 + 118))"; do
    # shellcheck disable=SC2086
    (($(corner_dark $corner) > 0)) || fail "no handle at ($corner): the shape is not where it was dragged"
done
(($(dark_pixels $((x1 - 60)) $((y1 - 40)) 40 200) == 0)) || fail "something was drawn beside the shape"

# Closing asks whether to save; Yes (the default button) saves the project.
xdotool key --window "$editor" --clearmodifiers alt+F4
prompt=$(window_named '^Confirm$' 30) || fail "closing did not ask to save"
xdotool windowactivate --sync "$prompt" || true
xdotool key --clearmodifiers Return
wait_for 60 bash -c "! kill -0 $program_pid" || fail "the program did not end after saving"
wait "$program_pid" || fail "the program ended with code $?: $(cat "$work/program.log")"

objects=$("$projecttool" list "$work/label.wlp") || fail "the saved project cannot be read"
echo "saved: $objects"
read -r type left top right bottom <<<"$objects"
[[ $(wc -l <<<"$objects") -eq 1 && $type -eq 1 ]] || fail "the project does not hold one shape: $objects"
width=$((right - left))
height=$((bottom - top))
# 118 pixels at 100 pixels per inch.
((width >= 1160 && width <= 1200 && height >= 1160 && height <= 1200)) ||
    fail "the shape is $width x $height units, not the 118 pixels dragged"
echo "PASS: a shape dragged on the canvas shows and is saved"
