#!/usr/bin/env bash
# One alignment from the tool window is one undo step, also while the tool window has the
# keyboard: the sample's red square and its text box "Chardonnay" are selected, the Alignment
# tool's Left button puts the text box's left side on the square's, and one Ctrl+Z puts it back.
#   align.sh <ambrelo program> <projecttool>
set -euo pipefail
program=$1
projecttool=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xsession.sh"

start_session 1600x1000
"$projecttool" sample "$work/label.wlp" || fail "could not write the project"
start_program "$program" "$work/label.wlp"
editor_window '^Ambrelo Wine Label Software-.* - label$'

# The box of the pixels of a colour class ("red" or "dark") in the editor, as "left top right bottom".
box_of() {
    region_pixels "$X" $((Y + 120)) "$WIDTH" $((HEIGHT - 160)) |
        awk -v x0="$X" -v y0=$((Y + 120)) -v kind="$1" '
            (kind == "red" && $3 > 200 && $4 < 60 && $5 < 60) ||
            (kind == "dark" && $3 < 80 && $4 < 80 && $5 < 80 && $1 > 40) {
                if (n++ == 0) { l = r = $1; t = b = $2 }
                if ($1 < l) l = $1; if ($1 > r) r = $1; if ($2 < t) t = $2; if ($2 > b) b = $2 }
            END { if (n < 20) exit 1; printf "%d %d %d %d\n", x0 + l, y0 + t, x0 + r, y0 + b }'
}
wait_for 10 box_of red || fail "the red square is not on the screen"
read -r sl st sr sb <<<"$(box_of red)"
# The text lies 2 in right of the square's left side, the square is 1 in wide: the word starts
# right of the square, about one square's width away. Its letters are looked for in a band of
# rows below the boxes' top handles and above their middle ones.
word_box() { region_pixels $((sr + 8)) $((st + 5)) 400 9 | awk -v x0=$((sr + 8)) '
    $3 < 80 && $4 < 80 && $5 < 80 { if (n++ == 0 || $1 < l) l = $1 } END { if (n < 20) exit 1; print x0 + l }'; }
wait_for 10 word_box || fail "the text box's word is not right of the square"
word_left=$(word_box)
echo "square $sl,$st - $sr,$sb; word from $word_left"

# The Alignment button, found while nothing is selected and no tool window can cover the tool bar.
align_button=$(icon_centre 6 "$X" "$Y" "$WIDTH" 160) || fail "the tool bar has no Alignment button"

# Select the square, add the text box with Ctrl+click, choose the Alignment tool (the seventh
# tool-bar button: Select, New Text, New Image, New Shape, New Code, Zoom, Alignment, found above).
xdotool mousemove --sync $(((sl + sr) / 2)) $(((st + sb) / 2)) click 1
sleep 0.5
xdotool keydown ctrl mousemove --sync $((word_left + 20)) $((st + 6)) click 1 keyup ctrl
sleep 0.5
# shellcheck disable=SC2086
set -- $align_button
xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
tools=$(window_named '^Tools$' 20) || fail "the Alignment tool did not show the tool window"
sleep 1
# Align Sides is chosen; its Left button lies 235 pixels across and 214 down in the tool window.
read -r TX TY <<<"$(xwininfo -id "$tools" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                                              END { print x, y }')"
xdotool mousemove --sync $((TX + 235)) $((TY + 214)) click 1

# The word now starts at the square's left side (plus the text box's own margin), inside it.
moved() { (($(region_pixels $((sl + 8)) $((st + 5)) $((sr - sl - 16)) 9 | awk '$3 < 80 && $4 < 80 && $5 < 80 { n++ } END { print n + 0 }') > 20)); }
wait_until 10 'moved' || fail "Align Left did not put the text box on the square's left side"
wait_until 5 '! word_box' || fail "the word is still right of the square after Align Left"

# The tool window had the click: one Ctrl+Z, typed there, undoes the whole alignment.
activate "$tools" || true
xdotool key --clearmodifiers ctrl+z
sleep 1
# Nothing selected, so that no frame or handle is taken for the word.
xdotool mousemove --sync $((X + 60)) $((Y + HEIGHT / 2)) click 1
wait_until 10 '[[ $(word_box) == "$word_left" ]]' ||
    fail "one Ctrl+Z did not put the text box back (the word starts at $(word_box || echo nowhere))"
(($(box_of red | cut -d' ' -f1) == sl)) || fail "the undo moved the square"
echo "PASS: one alignment from the tool window is one undo step"
