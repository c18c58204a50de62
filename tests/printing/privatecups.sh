#!/usr/bin/env bash
# A private CUPS scheduler for the printing tests: its own folders and socket under a folder the
# caller owns, and one cups-pdf queue; no system service is touched. It needs root (the scheduler
# and the cups-pdf back end run as root, the filters as lp).
#   privatecups.sh start <folder> <queue>  starts it and adds the queue; prints the socket to use
#                                          as CUPS_SERVER. Fails with the reason when it cannot.
#   privatecups.sh stop <folder>           ends the scheduler started in folder
#   privatecups.sh log <folder>            the end of its error log
#   privatecups.sh outfolder               where the cups-pdf queue writes the PDFs of this user
set -euo pipefail

cupsd=/usr/sbin/cupsd
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

fail() {
    echo "$*" >&2
    exit 1
}

log_tail() {
    tail -c 2000 "$1/log/error_log" 2>/dev/null || true
}

# Runs "$@" every tenth of a second until it succeeds or the seconds in $1 run out.
retry() {
    local tries=$(($1 * 10))
    shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        ((tries > 0)) || return 1
        sleep 0.1
    done
}

start() {
    local root=$1 queue=$2
    [[ -x $cupsd ]] || fail "$cupsd is not installed (package cups)"
    [[ -f $ppd ]] || fail "$ppd is not installed (package printer-driver-cups-pdf)"
    (($(id -u) == 0)) || fail "the private cupsd and the cups-pdf back end need root"
    root=$(realpath "$root")
    # The filters run as the lp user and read the spooled jobs below this folder.
    chmod 755 "$root"
    mkdir -p "$root"/{spool,cache,state,tmp,log}
    chmod 1777 "$root/tmp"
    local socket=$root/cups.sock
    cat >"$root/cupsd.conf" <<EOF
Listen $socket
LogLevel info
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    cat >"$root/cups-files.conf" <<EOF
ServerRoot $root
RequestRoot $root/spool
CacheDir $root/cache
StateDir $root/state
TempDir $root/tmp
ErrorLog $root/log/error_log
AccessLog $root/log/access_log
PageLog $root/log/page_log
Sandboxing Relaxed
EOF
    # In the foreground of a process of its own, so that stop can end exactly it.
    setsid "$cupsd" -f -c "$root/cupsd.conf" -s "$root/cups-files.conf" </dev/null >"$root/cupsd.out" 2>&1 &
    echo $! >"$root/cupsd.pid"
    running() { kill -0 "$(cat "$root/cupsd.pid")" && CUPS_SERVER=$socket lpstat -r | grep -q "is running"; }
    retry 15 running ||
        fail "cupsd is not answering on $socket: $(cat "$root/cupsd.out") $(log_tail "$root")"
    CUPS_SERVER=$socket lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" ||
        fail "lpadmin could not add the queue $queue: $(log_tail "$root")"
    echo "$socket"
}

stop() {
    local root=$1 pid
    [[ -f $root/cupsd.pid ]] || return 0
    pid=$(cat "$root/cupsd.pid")
    kill "$pid" 2>/dev/null || return 0
    retry 10 bash -c "! kill -0 $pid" || kill -9 "$pid" 2>/dev/null || true
    rm -f "$root/cupsd.pid"
}

# cups-pdf's "Out" (Debian's is ${HOME}/PDF) for the user running this.
# shellcheck disable=SC2016 # the configuration's own variables, replaced here
outfolder() {
    local out='${HOME}/PDF' line home user
    if line=$(grep -E '^Out[[:space:]]+[^[:space:]]+[[:space:]]*$' /etc/cups/cups-pdf.conf 2>/dev/null); then
        out=$(awk '{ print $2 }' <<<"$line")
    fi
    user=$(id -un)
    home=$(getent passwd "$user" | cut -d: -f6)
    out=${out//'${HOME}'/$home}
    echo "${out//'${USER}'/$user}"
}

case "${1:-}" in
start) start "${2:?folder}" "${3:?queue}" ;;
stop) stop "${2:?folder}" ;;
log) log_tail "${2:?folder}" ;;
outfolder) outfolder ;;
*) fail "usage: privatecups.sh start <folder> <queue> | stop <folder> | log <folder> | outfolder" ;;
esac
