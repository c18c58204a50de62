#!/usr/bin/env bash
# The editor window on a real X server: the program opens a project, "New Shape" is chosen and a
# shape dragged on the canvas with the mouse, the screenshot shows it where it was dragged; a text
# box is made and typed into in place; closing the window with the save prompt answered Yes saves
# both into the project.
#   editor.sh <ambrelo program> <projecttool>
set -euo pipefail
program=$1
projecttool=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xsession.sh"

start_session
"$projecttool" new "$work/label.wlp" || fail "could not write the project"

start_program "$program" "$work/label.wlp"
editor_window '^Ambrelo Wine Label Software-.* - label$'
wait_until 10 '(( $(dark_pixels $((X + WIDTH / 2 - 80)) $((Y + HEIGHT / 2 - 80)) 160 160) == 0 ))' ||
    fail "the canvas is not empty where the shape goes"

# The tool bar's buttons by their icons, left to right: Select, New Text, New Image, New Shape, ...
click_tool() {
    local centre
    centre=$(icon_centre "$1" "$X" "$Y" "$WIDTH" 160) || fail "the tool bar has no button $1"
    # shellcheck disable=SC2086
    set -- $centre
    xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
}
new_text=1
new_shape=3
click_tool $new_shape

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
wait_until 10 '(( $(corner_dark "$x1" "$y1") > 0 ))' || fail "no shape at the top-left of the drag"
for corner in "$((x1 + 118)) $y1" "$x1 $((y1 + 118))" "$((x1 + 118)) $((y1 + 118))"; do
    # shellcheck disable=SC2086
    (($(corner_dark $corner) > 0)) || fail "no handle at ($corner): the shape is not where it was dragged"
done
(($(dark_pixels $((x1 - 60)) $((y1 - 40)) 40 200) == 0)) || fail "something was drawn beside the shape"

# A click beside it selects nothing: the handles go and the tool window hides, the shape stays.
# (The shape is an ellipse: the corners of its bounds are white without the handles.)
xdotool mousemove --sync $((x1 - 40)) $((y1 + 60)) click 1
wait_until 10 '(( $(corner_dark $((x1 + 118)) $((y1 + 118))) == 0 ))' || fail "the handles stayed after deselecting"
(($(corner_dark "$x1" "$y1") == 0)) || fail "a handle stayed at the top-left after deselecting"
(($(dark_pixels "$x1" $((y1 + 50)) 6 18) > 0)) || fail "the shape went with its selection"

# A text box dragged below it (on the label, which clips what lies outside it on screen), clicked
# again to open the editor over it, and typed into; a click beside it closes the editor and
# selects nothing.
click_tool $new_text
tx=$((X + WIDTH / 2 - 180))
ty=$((y1 + 130))
xdotool mousemove --sync "$tx" "$ty" mousedown 1
for step in $(seq 20 20 200); do
    xdotool mousemove --sync $((tx + step)) $((ty + step / 3))
done
xdotool mouseup 1
xdotool mousemove --sync $((tx + 100)) $((ty + 25)) click 1
xdotool type --delay 40 "Merlot"
xdotool key --clearmodifiers Return
xdotool type --delay 40 "2024"
xdotool mousemove --sync $((x1 - 40)) $((y1 + 60)) click 1
# The handle at the box's bottom-right lies on the corner of the drag.
wait_until 10 '(( $(corner_dark $((tx + 200)) $((ty + 66))) == 0 ))' || fail "the text box kept its handles"
(($(dark_pixels $((tx + 10)) $((ty + 2)) 180 60) > 40)) || fail "the typed text is not on the label"

# Closing asks whether to save; Yes (the default button) saves the project.
# (File > Exit, Ctrl+Q, closes the window as the window manager's Alt+F4 does; that key, caught by
# openbox while the prompt opens, sometimes left the prompt without the keyboard under load.)
activate "$editor" || true
xdotool key --clearmodifiers ctrl+q
prompt=$(window_named '^Confirm$' 30) || fail "closing did not ask to save"
xdotool windowactivate --sync "$prompt" || true
xdotool key --clearmodifiers Return
wait_for 60 bash -c "! kill -0 $program_pid" || fail "the program did not end after saving"
wait "$program_pid" || fail "the program ended with code $?: $(cat "$work/program.log")"

objects=$("$projecttool" list "$work/label.wlp") || fail "the saved project cannot be read"
echo "saved:"
echo "$objects"
[[ $(wc -l <<<"$objects") -eq 2 ]] || fail "the project does not hold two objects"
read -r type left top right bottom <<<"$(sed -n 1p <<<"$objects")"
((type == 1)) || fail "the first object is not a shape"
width=$((right - left))
height=$((bottom - top))
# 118 pixels at 100 pixels per inch.
((width >= 1160 && width <= 1200 && height >= 1160 && height <= 1200)) ||
    fail "the shape is $width x $height units, not the 118 pixels dragged"
read -r type _ _ _ _ text <<<"$(sed -n 2p <<<"$objects")"
((type == 2)) && [[ $text == "Merlot|2024" ]] || fail "the text box does not hold what was typed: $text"
echo "PASS: a shape and a text box made with the mouse and the keyboard show and are saved"
