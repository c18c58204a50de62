#!/usr/bin/env bash
# Takes the README's pictures of the real program on a private X server (Xvfb with openbox):
# the editor with the sample front label and with the sample back label, the tool window with a
# text box selected, the print wizard and the template editor, each cropped to its window, into
# docs/*.png. Run it by hand when the
# windows change (it is not part of the tests):
#     scripts/screenshots.sh [output folder, default docs]
# It installs what is missing, builds the Release tree (build/release) and makes the sample labels
# with generators/samplelabel.cpp.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$root/docs}")
cd "$root"

./scripts/install-deps.sh
./scripts/install-deps.sh scripts/screenshot-packages.txt
build=build/release
if [[ ! -f $build/build.ninja ]]; then
    cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=Release -DAMBRELO_TESTS=OFF
fi
cmake --build $build -j2 --target ambrelo ambrelo-samplelabel

# shellcheck source=tests/e2e/xsession.sh
source tests/e2e/xsession.sh
for family in P052 "Liberation Sans"; do
    fc-list -q "$family" || fail "the font $family is missing (scripts/screenshot-packages.txt lists it)"
done

start_session
mkdir -p "$out"
label="$work/Larkspur Hill Pinot Noir.wlp"
back_label="$work/Larkspur Hill Pinot Noir back.wlp"
QT_QPA_PLATFORM=offscreen $build/generators/ambrelo-samplelabel $build "$label" "$back_label" ||
    fail "could not make the sample labels"

# ---- Helpers

# Ends the program without saving anything: the windows are only looked at.
stop_program() {
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
}

# Moves a window's outer frame to x, y; with a width and height, sizes its inside too.
place_window() {
    [[ -n ${4:-} ]] && { xdotool windowsize --sync "$1" "$4" "$5" || true; }
    xdotool windowmove --sync "$1" "$2" "$3" || true
}

# Keeps the pointer, its hover highlights and tool tips out of the picture.
park_pointer() {
    xdotool mousemove --sync 1279 1023
    sleep 1
}

# The window with its frame into $out/$2, as a small PNG.
shoot() {
    local window=$1 name=$2
    park_pointer
    import -silent -frame -window "$window" -strip -define png:compression-level=9 "$out/$name" ||
        fail "could not take $name"
    local size
    size=$(stat -c %s "$out/$name")
    echo "$name: $(identify -format '%wx%h' "$out/$name"), $((size / 1024)) KB"
    ((size < 150 * 1024)) || echo "warning: $name is over 150 KB" >&2
}

# The cream ground of the sample label on screen as "left top right bottom", within a region.
label_on_screen() {
    region_pixels "$@" | awk -v x0="$1" -v y0="$2" '
        $3 == 249 && $4 == 244 && $5 == 232 {
            if (n++ == 0) { l = r = $1; t = b = $2 }
            if ($1 < l) l = $1; if ($1 > r) r = $1; if ($2 < t) t = $2; if ($2 > b) b = $2
        }
        END { if (n < 1000) exit 1; printf "%d %d %d %d\n", x0 + l, y0 + t, x0 + r, y0 + b }'
}

# Clicks the point of the label that lies x, y inches from its top-left.
click_label_at() {
    local x=$1 y=$2
    xdotool mousemove --sync "$(awk -v l="$label_left" -v p="$pixels_per_inch" -v x="$x" 'BEGIN { printf "%d", l + x * p }')" \
        "$(awk -v t="$label_top" -v p="$pixels_per_inch" -v y="$y" 'BEGIN { printf "%d", t + y * p }')" click 1
}

# The tool bar's buttons by their icons, left to right (Select, New Text, New Image, New Shape,
# New Code, Zoom, Alignment, Center Screen, Print), as "x y" on the screen. Found while the canvas
# below the tool bar is still empty.
find_tools() {
    local index centre
    eval "$(xdotool getwindowgeometry --shell "$editor")"
    tool_at=()
    for index in 0 1 2 3 4 5 6 7 8; do
        centre=$(icon_centre "$index" "$X" "$Y" "$WIDTH" 100) || fail "the tool bar has no button $index"
        # shellcheck disable=SC2086
        set -- $centre
        tool_at+=("$((X + $1)) $((Y + $2))")
    done
}
click_tool() {
    # shellcheck disable=SC2086
    xdotool mousemove --sync ${tool_at[$1]} click 1
}
center_screen=7
print_button=8

# Starts the program on a label file and shows the label at 1.5x in the middle of the editor
# window; sets editor and the window's geometry. The window's title ends in the file's name.
show_label() {
    start_program "$root/$build/ambrelo" "$1"
    editor=$(window_named "^Ambrelo Wine Label Software-.* - $(basename "$1" .wlp)\$" 60) ||
        fail "the editor window did not appear with $1: $(cat "$work/program.log")"
    place_window "$editor" 40 40 900 900
    xdotool windowactivate --sync "$editor" || true
    sleep 1
    find_tools
    eval "$(xdotool getwindowgeometry --shell "$editor")"
    # One notch of the wheel zooms from 1.00x to 1.50x; Center Screen brings the label to the middle.
    xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 4
    click_tool $center_screen
    sleep 1
    park_pointer
}

# ---- The editor with the sample label, at 1.5x

show_label "$label"
read -r label_left label_top label_right label_bottom <<<"$(label_on_screen "$X" "$Y" "$WIDTH" "$HEIGHT")" ||
    fail "the sample label is not on the screen"
pixels_per_inch=$(((label_right - label_left + 1) * 2 / 7 + 1))
echo "label at $label_left,$label_top .. $label_right,$label_bottom, $pixels_per_inch pixels per inch"
((pixels_per_inch == 150)) || echo "the label is not shown at 1.50x"
shoot "$editor" editor.png

# ---- The tool window, with the picture selected

click_label_at 1.75 1.04
tools=$(window_named '^Tools$' 30) || fail "selecting the picture did not show the tool window"
place_window "$tools" 860 120
shoot "$tools" tools.png

# ---- The print wizard on the page that chooses the spots, two of the four left out

xdotool mousemove --sync 1279 1023 click 1
click_tool $print_button
wizard_spot_page 0.5
sleep 1
eval "$(xdotool getwindowgeometry --shell "$wizard")"
# Every spot is chosen when the wizard opens, tinted blue; the four lie two by two.
read -r sheet_left sheet_top sheet_right sheet_bottom <<<"$(region_pixels "$X" "$Y" "$WIDTH" "$HEIGHT" |
    awk -v x0="$X" -v y0="$Y" '
        $5 > 200 && $3 < 170 && $4 < 170 {
            if (n++ == 0) { l = r = $1; t = b = $2 }
            if ($1 < l) l = $1; if ($1 > r) r = $1; if ($2 < t) t = $2; if ($2 > b) b = $2
        }
        END { if (n < 1000) exit 1; printf "%d %d %d %d\n", x0 + l, y0 + t, x0 + r, y0 + b }')" ||
    fail "the print wizard shows no chosen spots"
for spot in "3 1" "1 3"; do
    # shellcheck disable=SC2086
    set -- $spot
    xdotool mousemove --sync $((sheet_left + (sheet_right - sheet_left) * $1 / 4)) \
        $((sheet_top + (sheet_bottom - sheet_top) * $2 / 4)) click 1
    sleep 0.5
done
shoot "$wizard" printwizard.png
stop_program

# ---- The editor with the sample back label, at 1.5x

show_label "$back_label"
shoot "$editor" backlabel.png
stop_program

# ---- The template editor in template mode: the label moved into its template (Edit > Move All To
# Template), then Edit > Edit Template

start_program "$root/$build/ambrelo" -edittemplate trelko "$label"
editor=$(window_named '^Ambrelo Wine Label Software-.* - Larkspur Hill Pinot Noir$' 60) ||
    fail "the editor window did not appear in template mode: $(cat "$work/program.log")"
edit_menu() {
    xdotool windowactivate --sync "$editor" || true
    xdotool key --clearmodifiers alt+e
    sleep 0.7
    xdotool key --clearmodifiers "$1"
    sleep 1
}
edit_menu a
edit_menu e
templates=$(window_named '^Template editor$' 30) || fail "Edit > Edit Template did not open the template editor"
place_window "$templates" 40 40 760 600
sleep 1
shoot "$templates" templateeditor.png
stop_program
echo "The pictures are in $out"
