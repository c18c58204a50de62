#!/usr/bin/env bash
# Codes scan back to their data: a project with one code of every symbology (and a QR code of a
# 200-character address) is exported with --export-pdf, the page rendered at 300 and at 150 dots
# per inch, and every code, cut out by where it lies, decoded with ZXingReader and with zbarimg
# (which reads no DataMatrix); then the editor shows the project at zoom 1 on a real X server and
# every code, found by its quiet zone's frame on the screenshot, is decoded the same way. What a
# reader reports must equal the code's data exactly, an EAN's check digit included.
#   scan.sh <ambrelo program> <projecttool>
set -euo pipefail
program=$1
projecttool=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/xsession.sh"
for tool in ZXingReader zbarimg pdftoppm convert; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/packages.txt lists it)"
done

start_session
# Lines: ZXingReader format, zbarimg type ("-": none), left top right bottom in inches from the
# label's top-left, what it reads as.
"$projecttool" codes "$work/codes.wlp" "$work/codes.wlt" >"$work/expected.txt" || fail "could not write the project"
(($(wc -l <"$work/expected.txt") == 10)) || fail "the project does not hold ten codes"
formats=(QRCode DataMatrix UPCA EAN13 EAN8 Code39 Code128)

# Decodes the picture as a code of each format given; prints "format text" for each that reads.
# Debian's ZXingReader 1.4 is asked for a pure code: its search for several aborts.
zxing_read() {
    local picture=$1 format text
    shift
    for format in "$@"; do
        text=$(ZXingReader -ispure -format "$format" "$picture" 2>/dev/null |
            sed -n 's/^Text: *"\(.*\)"$/\1/p') || true
        [[ -z $text ]] || echo "$format $text"
    done
}

# Decodes the picture with zbarimg; prints "type text" for each code it reads.
zbar_read() {
    zbarimg -q -Supca.enable "$1" 2>/dev/null | sed 's/:/ /' || true
}

# Compares what was read with what is expected, as sorted lists.
check_reads() {
    local what=$1 reader=$2 expected=$3 found=$4
    if ! diff <(sort <<<"$expected") <(sort <<<"$found") >"$work/diff.txt"; then
        fail "$reader on $what read something else than the data:"$'\n'"$(cat "$work/diff.txt")"
    fi
}

expected_zxing=$(awk '{ print $1, $7 }' "$work/expected.txt")
expected_zbar=$(awk '$2 != "-" { print $2, $7 }' "$work/expected.txt")

ASAN_OPTIONS=detect_leaks=0 "$program" --export-pdf "$work/codes.pdf" "$work/codes.wlp" "$work/codes.wlt" \
    2>"$work/export.log" || fail "the export failed: $(cat "$work/export.log")"
! grep -q 'warning' "$work/export.log" || fail "the export warned: $(cat "$work/export.log")"
# The template's one label lies 0.25 inch from the page's left and 2 inches from its top.
for dpi in 300 150; do
    pdftoppm -r "$dpi" -png -singlefile "$work/codes.pdf" "$work/page$dpi" || fail "pdftoppm failed at $dpi dpi"
    zxing=''
    zbar=''
    n=0
    while read -r format _ left top right bottom _; do
        n=$((n + 1))
        read -r x y w h < <(awk -v l="$left" -v t="$top" -v r="$right" -v b="$bottom" -v d="$dpi" \
            'BEGIN { printf "%d %d %d %d\n", (l + 0.2) * d, (t + 1.95) * d, (r - l + 0.1) * d, (b - t + 0.1) * d }')
        convert "$work/page$dpi.png" -crop "${w}x${h}+${x}+${y}" +repage "$work/code$n.png"
        zxing+=$(zxing_read "$work/code$n.png" "$format")$'\n'
        zbar+=$(zbar_read "$work/code$n.png")$'\n'
    done <"$work/expected.txt"
    check_reads "the PDF at $dpi dpi" ZXingReader "$expected_zxing" "$(sed '/^$/d' <<<"$zxing")"
    check_reads "the PDF at $dpi dpi" zbarimg "$expected_zbar" "$(sed '/^$/d' <<<"$zbar")"
    echo "the PDF at $dpi dpi: every code reads back with both readers"
done

# The editor at zoom 1, as large as the screen, the label in the middle of it.
cd "$work"
start_program "$program" "$work/codes.wlp" "$work/codes.wlt"
editor_window '^Ambrelo Wine Label Software-.* - codes$'
xdotool windowmove --sync "$editor" 0 0
xdotool windowsize --sync "$editor" 1280 1024
eval "$(xdotool getwindowgeometry --shell "$editor")"
centre=$(icon_centre 7 "$X" "$Y" "$WIDTH" 160) || fail "the tool bar has no Center Screen button"
read -r cx cy <<<"$centre"
xdotool mousemove --sync $((X + cx)) $((Y + cy)) click 1
sleep 1
import -silent -window root "$work/screen.png"
# Each code's quiet zone is framed on screen in one pale colour; each frame is a component (bars
# that start at a linear code's top break pieces off its top line, which are left out).
convert "$work/screen.png" -alpha off -fill black +opaque 'rgb(208,216,230)' -fill white \
    -opaque 'rgb(208,216,230)' "$work/frames.png"
convert "$work/frames.png" -define connected-components:verbose=true \
    -define connected-components:area-threshold=40 -connected-components 8 null: |
    awk '$NF ~ /gray\(255\)|srgb\(255,255,255\)|#FFFFFF/ { split($2, g, /[x+]/); if (g[1] > 10 && g[2] > 10) print $2 }' \
        >"$work/frames.txt"
(($(wc -l <"$work/frames.txt") == 10)) || fail "the screen shows $(wc -l <"$work/frames.txt") framed codes, not 10"
# Which code a frame holds is not known: each is read as every format, and each code's data must
# be among what its own format reads (a UPC-A also reads as the EAN-13 it is, and the other way).
zxing=''
zbar=''
n=0
while IFS='x+' read -r w h x y; do
    n=$((n + 1))
    convert "$work/screen.png" -crop "$((w + 8))x$((h + 8))+$((x - 4))+$((y - 4))" +repage "$work/shown$n.png"
    zxing+=$(zxing_read "$work/shown$n.png" "${formats[@]}")$'\n'
    zbar+=$(zbar_read "$work/shown$n.png")$'\n'
done <"$work/frames.txt"
while read -r line; do
    grep -qxF "$line" <<<"$zxing" || fail "ZXingReader on the screen at zoom 1 did not read: $line"$'\n'"it read:"$'\n'"$zxing"
done <<<"$expected_zxing"
check_reads "the screen at zoom 1" zbarimg "$expected_zbar" "$(sed '/^$/d' <<<"$zbar")"
echo "PASS: every code of the PDF at 300 and 150 dpi and of the screen at zoom 1 reads back as its data"
