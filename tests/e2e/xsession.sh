# Shared by the end-to-end scripts: a private X server with a window manager, screenshots and
# waiting. Source it; every helper fails loudly, and the session ends when the script does.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs "$@" every tenth of a second until it succeeds or the seconds in $1 run out.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 10))
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        ((tries > 0)) || return 1
        sleep 0.1
    done
}

# Evaluates the condition in $2 (a string, so that the screen is looked at again on every try)
# every tenth of a second until it holds or the seconds in $1 run out.
wait_until() {
    local seconds=$1 condition=$2
    local tries=$((seconds * 10))
    until eval "$condition" >/dev/null 2>&1; do
        tries=$((tries - 1))
        ((tries > 0)) || return 1
        sleep 0.1
    done
}

x_pids=()
end_session() {
    local pid
    for pid in "${x_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${x_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    [[ -n ${session_dir:-} ]] && rm -rf "$session_dir"
}

# Starts Xvfb on a display it picks itself (a screen of $1, 1280x1024 unless given), then openbox;
# sets DISPLAY, session_dir and work (a folder for the files of the run, with the program's
# settings and runtime folders in it).
start_session() {
    local screen=${1:-1280x1024}
    for tool in Xvfb openbox xdotool import identify; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/packages.txt lists it)"
    done
    session_dir=$(mktemp -d)
    trap end_session EXIT
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$session_dir/display" \
        2>"$session_dir/xvfb.log" &
    x_pids+=($!)
    wait_for 15 test -s "$session_dir/display" || fail "Xvfb did not start: $(cat "$session_dir/xvfb.log")"
    export DISPLAY=":$(head -n1 "$session_dir/display")"
    wait_for 15 xdotool getdisplaygeometry || fail "no X server answers on $DISPLAY"
    HOME=$session_dir XDG_CONFIG_HOME=$session_dir/wm openbox >"$session_dir/openbox.log" 2>&1 &
    x_pids+=($!)
    # A window manager that follows the desktop conventions announces its desktops.
    wait_for 15 xdotool get_num_desktops || fail "openbox did not start: $(cat "$session_dir/openbox.log")"
    work=$session_dir/work
    mkdir -p "$work/config" "$work/runtime"
    chmod 700 "$work/runtime"
}

# Starts the program (the first argument, with the rest as its arguments) on the X server, not
# the offscreen platform the unit tests use, with settings of its own and its output in
# $work/program.log; sets program_pid.
start_program() {
    env -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" "$@" \
        >"$work/program.log" 2>&1 &
    program_pid=$!
    x_pids+=("$program_pid")
}

# Brings a window forward and waits until it has the keyboard: keys typed before that go to the
# window that had it.
activate() {
    local window=$1 tries=50
    until [[ $(xdotool getactivewindow 2>/dev/null) == "$window" ]]; do
        xdotool windowactivate --sync "$window" >/dev/null 2>&1 || true
        tries=$((tries - 1))
        ((tries > 0)) || return 1
        sleep 0.1
    done
}

# Waits for the editor window whose title matches the pattern, brings it forward and sets editor
# and its geometry (X, Y, WIDTH, HEIGHT).
editor_window() {
    editor=$(window_named "$1" 60) || fail "the editor window did not appear: $(cat "$work/program.log")"
    activate "$editor" || true
    eval "$(xdotool getwindowgeometry --shell "$editor")"
}

# The id of the first window whose name matches the pattern, waiting up to $2 seconds.
window_named() {
    local pattern=$1 seconds=${2:-30} id
    wait_for "$seconds" xdotool search --onlyvisible --name "$pattern" || return 1
    id=$(xdotool search --onlyvisible --name "$pattern" | head -n1)
    echo "$id"
}

# Pixels of a region of the screen as lines "x y r g b" (x, y relative to the region).
region_pixels() {
    local x=$1 y=$2 w=$3 h=$4
    import -silent -window root -crop "${w}x${h}+${x}+${y}" +repage -depth 8 txt:- |
        sed -n 's/^\([0-9]*\),\([0-9]*\): (\([0-9.]*\),\([0-9.]*\),\([0-9.]*\).*/\1 \2 \3 \4 \5/p' |
        awk '{ printf "%d %d %d %d %d\n", $1, $2, $3, $4, $5 }'
}

# How many pixels of a region are dark (each channel below 80).
dark_pixels() {
    region_pixels "$@" | awk '$3 < 80 && $4 < 80 && $5 < 80 { n++ } END { print n + 0 }'
}

# The centre of the index-th visible button (from 0) of a tool bar of coloured icons, as "x y",
# within the region: icons are the saturated pixels, and the gaps between them part the buttons.
icon_centre() {
    local index=$1
    shift
    region_pixels "$@" | awk -v want="$index" '
        { d1 = $3 - $4; d2 = $4 - $5; if (d1 < 0) d1 = -d1; if (d2 < 0) d2 = -d2 }
        d1 + d2 > 60 { used[$1] = 1; if (!($1 in top) || $2 < top[$1]) top[$1] = $2
                       if ($2 > bottom[$1]) bottom[$1] = $2 }
        END {
            n = -1; last = -10
            for (x = 0; x <= 4000; x++) {
                if (!(x in used)) continue
                if (x - last > 3) { n++; first[n] = x; t[n] = top[x]; b[n] = bottom[x] }
                final[n] = x; last = x
                if (top[x] < t[n]) t[n] = top[x]; if (bottom[x] > b[n]) b[n] = bottom[x]
            }
            if (want > n) exit 1
            printf "%d %d\n", (first[want] + final[want]) / 2, (t[want] + b[want]) / 2
        }'
}

# Once the Print button was pressed: waits for the print wizard, brings it forward and turns to
# the page that chooses the spots (Introduction, Step 1, Step 2, Step 3); sets wizard.
wizard_spot_page() {
    wizard=$(window_named '^Printing Your Labels$' 30) || fail "the Print button did not open the print wizard"
    activate "$wizard" || fail "the print wizard does not take the keyboard"
    for _ in 1 2 3; do
        xdotool key --clearmodifiers ctrl+Tab
        sleep "${1:-0.3}"
    done
}
