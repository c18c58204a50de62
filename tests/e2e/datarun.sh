#!/usr/bin/env bash
# Labels from a table as a user prints them: a project on the stock sheet of four spots whose text
# box holds "Lot ${lot}", a CSV table of six lots, and the wizard's choice of that table kept for
# the project in the settings (as an earlier session left it). The tool bar's Print button opens
# the wizard, its Print page shows the table with its six records, Save as PDF writes the run:
# two sheets, the first with lots 1 to 4 and the second with 5 and 6, and the project file
# still holds the field as written.
#   datarun.sh <ambrelo program> <projecttool>
set -euo pipefail
program=$1
projecttool=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xsession.sh"
command -v xwininfo >/dev/null || fail "xwininfo is not installed (scripts/packages.txt lists x11-utils)"
command -v pdftotext >/dev/null || fail "pdftotext is not installed (scripts/packages.txt lists poppler-utils)"
sheet="$(dirname "$program")/templates/3.5 x 4 in, 4 per sheet.wlt"
[[ -f $sheet ]] || fail "the stock template $sheet was not built"

start_session
trap end_session EXIT
project=$work/lots.wlp
"$projecttool" sheet "$project" "$sheet" 'Lot ${lot}' || fail "could not write the project"
printf 'lot;grower\r\nL1;"Domaine ""Un"""\r\nL2;Deux\r\nL3;Trois\r\nL4;Quatre\r\nL5;Cinq\r\nL6;Six\r\n' >"$work/lots.csv"
# The run kept for the project: a table ("2"), from 1, count 1, step 1, one copy, spot 1.
key=$(printf '%s' "$project" | sha1sum | cut -d' ' -f1)
mkdir -p "$work/config/fennbrook"
printf '[software]\n\n[software\\fennbrook]\n\n[software\\fennbrook\\ambrelo]\n"printrun.%s"="2;1;1;1;1;1;%s"\n' \
    "$key" "$work/lots.csv" >"$work/config/fennbrook/ambrelo.conf"

start_program "$program" "$project"
editor_window "^Ambrelo Wine Label Software-.* - lots\$"
centre=$(icon_centre 8 "$X" "$Y" "$WIDTH" 60) || fail "the tool bar has no Print button"
# shellcheck disable=SC2086
set -- $centre
xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
# Step 3, then the Print page.
wizard_spot_page
xdotool key --clearmodifiers ctrl+Tab
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$wizard")"
read -r X Y <<<"$(xwininfo -id "$wizard" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
                                           END { print x, y }')"
# Save as PDF, the fifth of the seven equal buttons along the bottom of the window.
xdotool mousemove --sync $((X + WIDTH * 9 / 14)) $((Y + HEIGHT - 16)) click 1
dialog=$(window_named '^Save as PDF$' 30) || fail "Save as PDF did not ask for a file"
activate "$dialog" || fail "the save dialog does not take the keyboard"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "$work/run.pdf"
xdotool key --clearmodifiers Return
wait_for 60 test -s "$work/run.pdf" || fail "no PDF was written: $(cat "$work/program.log")"
wait_for 20 bash -c "! xdotool search --onlyvisible --name '^Printing Your Labels\$'" ||
    fail "the wizard did not close after writing the PDF"

pages=$(pdfinfo "$work/run.pdf" | awk '/^Pages:/ { print $2 }')
[[ $pages == 2 ]] || fail "the run's PDF has $pages pages, not two sheets"
lots() { pdftotext -f "$1" -l "$1" "$work/run.pdf" - | grep -o 'Lot L[0-9]*' | sort | tr '\n' ' '; }
[[ $(lots 1) == "Lot L1 Lot L2 Lot L3 Lot L4 " ]] || fail "the first sheet holds: $(lots 1)"
[[ $(lots 2) == "Lot L5 Lot L6 " ]] || fail "the second sheet holds: $(lots 2)"
"$projecttool" list "$project" | grep -Fq 'Lot ${lot}' || fail "the project no longer holds the field as written"
echo "PASS: the wizard wrote six lots from the table onto two sheets as PDF"
