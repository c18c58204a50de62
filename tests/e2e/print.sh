#!/usr/bin/env bash
# Printing as a user does it, on a real X server onto a real CUPS queue: a private cupsd with a
# cups-pdf queue is the program's first printer; the project on a stock sheet of four spots is
# opened, the tool bar's Print button opens the print wizard, its spot page shows every spot
# chosen, a click leaves the bottom-right one out, Print prints. The settings hold a calibration
# for the queue (no nudge, +1 % across, -0.5 % down). The PDF the queue writes holds the label's
# text at the three chosen spots, where the correction puts them, and not at the fourth; the
# wizard's close leaves its offsets and quality in the settings and the queue's calibration.
#   print.sh <ambrelo program> <projecttool>
set -euo pipefail
program=$1
projecttool=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xsession.sh"
cups_script=$here/../printing/privatecups.sh
command -v xwininfo >/dev/null || fail "xwininfo is not installed (scripts/packages.txt lists x11-utils)"
command -v pdftotext >/dev/null || fail "pdftotext is not installed (scripts/packages.txt lists poppler-utils)"
sheet="$(dirname "$program")/templates/3.5 x 4 in, 4 per sheet.wlt"
[[ -f $sheet ]] || fail "the stock template $sheet was not built"

start_session
cups_root=$(mktemp -d)
pdf=
end_print() {
    bash "$cups_script" stop "$cups_root" || true
    rm -rf "$cups_root"
    [[ -n $pdf ]] && rm -f "$pdf"
    end_session
}
trap end_print EXIT
queue=ambrelo-e2e-$$
socket=$(bash "$cups_script" start "$cups_root" "$queue" 2>"$cups_root/start.err") ||
    fail "the private CUPS scheduler could not start, so printing cannot be tested: $(cat "$cups_root/start.err")"
outfolder=$(bash "$cups_script" outfolder)

# The file's name goes into the job's title, and so into the name of the PDF the queue writes.
token=eeprint$$x$(date +%s)
"$projecttool" sheet "$work/$token.wlp" "$sheet" || fail "could not write the project"

# The queue's own calibration, as the wizard keeps it under the queue's name.
mkdir -p "$work/config/fennbrook"
cat >"$work/config/fennbrook/ambrelo.conf" <<EOF
[software\\fennbrook\\ambrelo\\printers\\$queue]
"nudge.x"=dword:00000000
"nudge.y"=dword:00000000
"scale.x"=dword:00000064
"scale.y"=dword:ffffffce
EOF
scale_x=1.01
scale_y=0.995

CUPS_SERVER="$socket" start_program "$program" "$work/$token.wlp"
editor_window "^Ambrelo Wine Label Software-.* - $token\$"

# The tool bar's ninth button (Select, New Text, New Image, New Shape, New Code, Zoom, Alignment,
# Center Screen, Print), found by its icon in the band above the canvas.
centre=$(icon_centre 8 "$X" "$Y" "$WIDTH" 60) || fail "the tool bar has no Print button"
# shellcheck disable=SC2086
set -- $centre
xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
wizard_spot_page
eval "$(xdotool getwindowgeometry --shell "$wizard")"

# The sheet picture's spots chosen to print, tinted blue: how many tinted pixels a region holds,
# and the box of them all as "left top right bottom".
tinted() { awk '$5 > 200 && $3 < 170 && $4 < 170'; }
tinted_count() { region_pixels "$@" | tinted | wc -l; }
tinted_box() {
    region_pixels "$X" "$Y" "$WIDTH" "$HEIGHT" | tinted | awk -v x0="$X" -v y0="$Y" '
        { if (n++ == 0) { l = r = $1; t = b = $2 }
          if ($1 < l) l = $1; if ($1 > r) r = $1; if ($2 < t) t = $2; if ($2 > b) b = $2 }
        END { if (n < 1000) exit 1; printf "%d %d %d %d\n", x0 + l, y0 + t, x0 + r, y0 + b }'
}
wait_for 10 tinted_box || fail "the print wizard's spot page shows no chosen spots"
read -r left top right bottom <<<"$(tinted_box)"
half_w=$(((right - left) / 2))
half_h=$(((bottom - top) / 2))
# Every spot is chosen when the wizard opens: each quarter of the box is tinted.
for quarter in "0 0" "1 0" "0 1" "1 1"; do
    # shellcheck disable=SC2086
    set -- $quarter
    (($(tinted_count $((left + $1 * half_w)) $((top + $2 * half_h)) "$half_w" "$half_h") > 500)) ||
        fail "the spot at quarter ($quarter) is not chosen when the wizard opens"
done
# A click in the bottom-right spot leaves it out; the other three stay chosen.
xdotool mousemove --sync $((left + 3 * half_w / 2)) $((top + 3 * half_h / 2)) click 1
wait_until 5 '(( $(tinted_count $((left + half_w + 2)) $((top + half_h + 2)) "$half_w" "$half_h") == 0 ))' ||
    fail "a click on the bottom-right spot did not leave it out"
(($(tinted_count "$left" "$top" $((2 * half_w)) "$half_h") > 1000)) || fail "the click changed the top spots"

# Print, the sixth of the seven equal buttons along the bottom of the window. (xwininfo, since
# xdotool counts the title bar twice in a framed window's top.)
read -r X Y <<<"$(xwininfo -id "$wizard" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                                           END { print x, y }')"
xdotool mousemove --sync $((X + WIDTH * 11 / 14)) $((Y + HEIGHT - 16)) click 1
wait_for 20 bash -c "! xdotool search --onlyvisible --name '^Printing Your Labels\$'" ||
    fail "the Print button did not print and close the wizard"

# The queue's PDF, once the queue is empty again.
find_pdf() {
    pdf=$(find "$outfolder" -maxdepth 1 -name "*$token*.pdf" 2>/dev/null | head -n1)
    [[ -n $pdf ]] && [[ -z $(CUPS_SERVER=$socket lpstat -o "$queue") ]]
}
wait_for 60 find_pdf || fail "no PDF named after $token in $outfolder: $(bash "$cups_script" log "$cups_root")"
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
[[ $pages == 1 ]] || fail "the queue's PDF has $pages pages, not one sheet"

# Each spot holds the sample: the red 1-inch square 0.5 in right of and below the spot's corner,
# and the text box "Chardonnay" 2 in right and 0.5 in below it. The spots' corners lie at 0.5 and
# 4.5 in across, 1.25 and 5.75 in down, moved by the correction about the sheet's corner. At 64
# dots per inch a pixel is one nudge step, so the square's box shows any nudge applied: with
# none, its edges lie where the scaled spot puts them, within a pixel.
spots=("0.5 1.25" "4.5 1.25" "0.5 5.75")
left_out="4.5 5.75"
pdftoppm -r 64 -singlefile "$pdf" "$work/sheet" 2>/dev/null || fail "pdftoppm could not render the queue's PDF"
# The box of the red pixels in the spot whose corner is at pixel ($1, $2), on the page.
red_box_in() {
    convert "$work/sheet.ppm" -crop "224x256+$1+$2" +repage -depth 8 txt:- |
        sed -n 's/^\([0-9]*\),\([0-9]*\): (\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3 \4 \5/p' |
        awk -v x0="$1" -v y0="$2" '$3 > 200 && $4 < 80 && $5 < 80 {
                if (n++ == 0) { l = r = $1; t = b = $2 }
                if ($1 < l) l = $1; if ($1 > r) r = $1; if ($2 < t) t = $2; if ($2 > b) b = $2 }
            END { if (n > 0) printf "%d %d %d %d\n", x0 + l, y0 + t, x0 + r, y0 + b }'
}
# Inches (v, a sum awk works out) to pixels at 64 dpi, scaled by f.
inch64() { awk "BEGIN { printf \"%d\", ($1) * ${2:-1} * 64 + 0.5 }"; }
for spot in "${spots[@]}"; do
    # shellcheck disable=SC2086
    set -- $spot
    want="$(inch64 "$1 + 0.5" "$scale_x") $(inch64 "$2 + 0.5" "$scale_y")"
    want="$want $(($(inch64 "$1 + 1.5" "$scale_x") - 1)) $(($(inch64 "$2 + 1.5" "$scale_y") - 1))"
    got=$(red_box_in "$(inch64 "$1")" "$(inch64 "$2")")
    awk -v got="$got" -v want="$want" 'BEGIN { n = split(got, g); split(want, w); if (n != 4) exit 1
        for (i = 1; i <= 4; ++i) { d = g[i] - w[i]; if (d < -1 || d > 1) exit 1 } }' ||
        fail "the square of the chosen spot at ($spot) in is at ($got) pixels, not ($want) within one"
done
[[ -z $(red_box_in "$(inch64 "${left_out% *}")" "$(inch64 "${left_out#* }")") ]] ||
    fail "the spot left out printed"

# The label's text, as words with their boxes in points (72 to the inch; the font's box starts a
# little inside the text box and above it): one word at each chosen spot, none elsewhere.
words=$(pdftotext -bbox "$pdf" - 2>/dev/null | sed -n 's/.*<word xMin="\([0-9.]*\)" yMin="\([0-9.]*\)".*/\1 \2/p')
echo "text printed at (points): $(tr '\n' ';' <<<"$words")"
[[ $(wc -l <<<"$words") -eq ${#spots[@]} ]] || fail "the page holds $(wc -l <<<"$words") words, not one a chosen spot"
for spot in "${spots[@]}"; do
    # shellcheck disable=SC2086
    set -- $spot
    awk -v x="$1" -v y="$2" -v fx="$scale_x" -v fy="$scale_y" '{ dx = $1 - (x + 2) * fx * 72; dy = $2 - (y + 0.5) * fy * 72 }
        dx >= 0 && dx <= 9 && dy >= -9 && dy <= 9 { found = 1 } END { exit !found }' <<<"$words" ||
        fail "the label's text is not at the chosen spot at ($spot) in"
done

# Closing the program leaves the wizard's settings behind: no nudge shown, none applied, and the
# quality box as it was (off).
activate "$editor" || true
xdotool key --clearmodifiers alt+F4
wait_for 30 bash -c "! kill -0 $program_pid" || fail "the program did not end: was it asked to save?"
wait "$program_pid" || fail "the program ended with code $?: $(cat "$work/program.log")"
settings=$work/config/fennbrook/ambrelo.conf
[[ -f $settings ]] || fail "the program left no settings in $settings"
for entry in '"nudge.x"=dword:00000000' '"nudge.y"=dword:00000000' '"highquality_printing"=dword:00000000' \
    "[software\\fennbrook\\ambrelo\\printers\\$queue]" '"scale.x"=dword:00000064' '"scale.y"=dword:ffffffce'; do
    grep -Fqx "$entry" "$settings" || fail "the settings do not hold $entry: $(cat "$settings")"
done
echo "PASS: the print wizard printed the three chosen spots of four through a CUPS queue, without nudge," \
    "with the queue's scale correction"
