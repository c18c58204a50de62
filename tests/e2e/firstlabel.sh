#!/usr/bin/env bash
# A first label as the README's five steps make it, on a 1600 x 1000 screen: the start-up dialog
# closed shows the empty label's outline; File > New (Ctrl+N) makes a label from the stock
# template "3.5 x 4 in, 4 per sheet"; the Winery prompt is clicked and "Larkspur Hill" typed, the
# editor showing both lines while the box shows one and marks the rest as hidden; Ctrl+S saves,
# Ctrl+P and Save as PDF (past the check's list, with Print Anyway) print the sheet to a file,
# Ctrl+Q ends the program.
#   firstlabel.sh <ambrelo program> <projecttool>
set -euo pipefail
program=$1
projecttool=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xsession.sh"
for tool in pdfinfo pdftotext; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/packages.txt lists it)"
done

start_session 1600x1000
start_program "$program"
welcome=$(window_named '^Welcome$' 60) || fail "the start-up dialog did not appear: $(cat "$work/program.log")"
activate "$welcome" || fail "the start-up dialog does not take the keyboard"
xdotool key --clearmodifiers Escape
editor_window '^Ambrelo Wine Label Software-'

# Pixels of the editor's canvas (below the tool bar) whose colour is near r g b.
canvas_count() {
    local r=$1 g=$2 b=$3 x=${4:-$X} y=${5:-$((Y + 120))} w=${6:-$WIDTH} h=${7:-$((HEIGHT - 160))}
    region_pixels "$x" "$y" "$w" "$h" |
        awk -v r="$r" -v g="$g" -v b="$b" 'function d(a, c) { return a > c ? a - c : c - a }
            d($3, r) < 24 && d($4, g) < 24 && d($5, b) < 24 { n++ } END { print n + 0 }'
}

# The empty label shows its grey outline.
wait_until 10 '(( $(canvas_count 160 160 160) > 400 ))' || fail "the empty label shows no outline"

xdotool key --clearmodifiers ctrl+n
chooser=$(window_named '^Open Wine Label Template$' 30) || fail "Ctrl+N did not offer the templates"
activate "$chooser" || true
xdotool type --delay 20 "3.5 x 4 in, 4 per sheet.wlt"
xdotool key --clearmodifiers Return
editor_window '^Ambrelo Wine Label Software-.* - NEW FILE$'

# The frame, claret, lies 0.175 in inside the 3.5 x 4 in label: the label and the Winery box
# (0.12 to 0.88 across, 0.11 to 0.29 down) follow from the frame's bounds.
claret_bounds() {
    region_pixels "$X" $((Y + 120)) "$WIDTH" $((HEIGHT - 160)) |
        awk 'function d(a, c) { return a > c ? a - c : c - a }
             d($3, 110) < 24 && d($4, 20) < 24 && d($5, 40) < 24 {
                 if (n++ == 0) { l = r = $1; t = b = $2 }
                 if ($1 < l) l = $1; if ($1 > r) r = $1; if ($2 < t) t = $2; if ($2 > b) b = $2 }
             END { if (n < 200) exit 1; print l, t, r, b }'
}
wait_for 20 claret_bounds || fail "the label from the template shows no frame"
read -r fl ft fr fb <<<"$(claret_bounds)"
label_w=$(((fr - fl) * 10 / 9))
label_h=$(((fb - ft) * 10000 / 9125))
label_x=$((X + fl - label_w / 20))
label_y=$((Y + 120 + ft - label_h * 4375 / 100000))
box_l=$((label_x + label_w * 12 / 100))
box_r=$((label_x + label_w * 88 / 100))
box_t=$((label_y + label_h * 11 / 100))
box_b=$((label_y + label_h * 29 / 100))
echo "label at $label_x,$label_y ${label_w}x$label_h; Winery box $box_l,$box_t - $box_r,$box_b"
# The label sits in the middle of the canvas.
centre_x=$((label_x + label_w / 2 - X - WIDTH / 2))
((centre_x > -40 && centre_x < 40)) || fail "the label is not centred across the window ($centre_x pixels off)"

# Click beside the label (nothing selected), on the prompt (selected), on it again (the editor
# opens), and type.
xdotool mousemove --sync $((label_x - 60)) $((label_y + label_h / 2)) click 1
sleep 0.7
xdotool mousemove --sync $(((box_l + box_r) / 2)) $(((box_t + box_b) / 2)) click 1
sleep 0.7
xdotool click 1
sleep 0.7
xdotool type --delay 60 "Larkspur Hill"

# Claret text just below the box: the editor shows the second line there while typing.
below() { canvas_count 110 20 40 $((box_l + 4)) $((box_b + 4)) $((box_r - box_l - 8)) $((label_h / 12)); }
wait_until 10 '(( $(below) > 40 ))' || fail "the editor does not show the second line while typing"

# A click beside the label closes the editor: the box shows the first line only, and a red mark
# at its bottom-right corner says that the rest is hidden.
xdotool mousemove --sync $((label_x - 60)) $((label_y + label_h / 2)) click 1
wait_until 10 '(( $(below) == 0 ))' || fail "the second line still shows below the box"
mark() { canvas_count 224 0 0 $((box_r - 16)) $((box_b - 16)) 32 32; }
wait_until 10 '(( $(mark) > 8 ))' || fail "no red mark at the corner of the box whose text is cut"

# Save (a new label asks where), then print the sheet to a PDF through the wizard.
activate "$editor" || true
xdotool key --clearmodifiers ctrl+s
saver=$(window_named '^Save' 30) || fail "Ctrl+S did not ask where to save the new label"
activate "$saver" || true
xdotool type --delay 20 "$work/larkspur.wlp"
xdotool key --clearmodifiers Return
window_named '^Ambrelo Wine Label Software-.* - larkspur$' 30 >/dev/null || fail "the title does not name the saved label"
[[ -s $work/larkspur.wlp ]] || fail "Ctrl+S wrote no file"

activate "$editor" || true
xdotool key --clearmodifiers ctrl+p
wizard=$(window_named '^Printing Your Labels$' 30) || fail "Ctrl+P did not open the print wizard"
activate "$wizard" || true
# Save as PDF, the fifth of the seven equal buttons along the bottom of the wizard.
read -r WX WY <<<"$(xwininfo -id "$wizard" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                                                END { print x, y }')"
eval "$(xdotool getwindowgeometry --shell "$wizard" | sed 's/^/W_/')"
xdotool mousemove --sync $((WX + W_WIDTH * 9 / 14)) $((WY + W_HEIGHT - 16)) click 1
# The label is checked first: the Print page lists the cut text and the four empty prompts, each
# with a warning sign (yellow), and holds the PDF back until Print Anyway.
# (The list stands right of the choice of labels, Print Anyway below it.)
yellow() { region_pixels $((WX + 295)) $((WY + 90)) 40 150 | awk '$3 > 200 && $4 > 160 && $5 < 80 { n++ } END { print n + 0 }'; }
wait_until 10 '(( $(yellow) > 100 ))' || fail "the wizard does not list what would print wrong"
xdotool mousemove --sync $((WX + 345)) $((WY + 291)) click 1
pdfsaver=$(window_named '^Save as PDF$' 30) || fail "Save as PDF did not ask for a file"
activate "$pdfsaver" || true
xdotool type --delay 20 "$work/larkspur.pdf"
xdotool key --clearmodifiers Return
wait_for 60 test -s "$work/larkspur.pdf" || fail "Save as PDF wrote no file: $(cat "$work/program.log")"
wait_for 30 pdfinfo "$work/larkspur.pdf" || fail "the PDF does not read: $(pdfinfo "$work/larkspur.pdf" 2>&1)"
pdfinfo "$work/larkspur.pdf" | grep -q '^Page size: *612 x 792 pts' || fail "the PDF is not a US-letter sheet"
# The first line of the Winery box at each of the four spots (corners at 0.5 and 4.5 in across,
# 1.25 and 5.75 in down), centred 1.75 in right of the corner and starting about 0.44 in below it;
# the hidden line is cut in print as on the label.
words=$(pdftotext -bbox "$work/larkspur.pdf" - 2>/dev/null |
    sed -n 's/.*<word xMin="\([0-9.]*\)" yMin="\([0-9.]*\)" xMax="\([0-9.]*\)" yMax="[0-9.]*">\(.*\)<\/word>.*/\1 \2 \3 \4/p')
echo "printed (points): $(tr '\n' ';' <<<"$words")"
! grep -q Hill <<<"$words" || fail "the line cut on the label was printed"
[[ $(grep -c ' Larkspur$' <<<"$words") -eq 4 ]] || fail "the sheet does not hold four labels"
for spot in "0.5 1.25" "4.5 1.25" "0.5 5.75" "4.5 5.75"; do
    # shellcheck disable=SC2086
    set -- $spot
    awk -v x="$1" -v y="$2" '$4 == "Larkspur" { dx = ($1 + $3) / 2 - (x + 1.75) * 72; dy = $2 - (y + 0.44) * 72 }
        $4 == "Larkspur" && dx > -9 && dx < 9 && dy > -12 && dy < 12 { found = 1 } END { exit !found }' <<<"$words" ||
        fail "no label at the spot at ($spot) in"
done

# Saving the PDF printed the sheet: the wizard closes as after Print. Ctrl+Q ends the program.
wait_for 20 bash -c "! xdotool search --onlyvisible --name '^Printing Your Labels\$'" ||
    fail "the wizard stayed open after Save as PDF"
activate "$editor" || true
xdotool key --clearmodifiers ctrl+q
wait_for 60 bash -c "! kill -0 $program_pid" || fail "Ctrl+Q did not end the program"
wait "$program_pid" || fail "the program ended with code $?: $(cat "$work/program.log")"

objects=$("$projecttool" list "$work/larkspur.wlp") || fail "the saved label cannot be read"
grep -q '^2 .*Larkspur Hill$' <<<"$objects" || fail "the saved label does not hold the typed winery: $objects"
echo "PASS: a first label from a stock template, typed into, saved and saved as PDF"
