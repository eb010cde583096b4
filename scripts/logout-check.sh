#!/usr/bin/env bash
# Logs out of a small X11 session (scripts/logout/sessionmanager.c, the
# XSMP a desktop's session manager speaks) while the game is running, and
# says what became of TOP5.dat: by hand, for a maintainer who wants to see
# the game take a real logout. Needs: xvfb xdotool gcc libsm-dev libice-dev
# (Debian packages).
#   bash scripts/logout-check.sh [path/to/vikkelo]
# Each case plays one round (F2, then wrong digits) on a table of zeros, so
# that a new entry "Uloskirjautuja" sits in the ranking window, or plays
# none; "fail" puts a named pipe at the lock's name so that no save can
# succeed; "Ei"/"Kyllä" answers the question the game asks, if it asks.
set -u
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-build/default/vikkelo}")
out=$(mktemp -d)
gcc -std=c11 -O2 -o "$out/sessionmanager" "$here/logout/sessionmanager.c" -lSM -lICE || exit 1
display=:$((80 + RANDOM % 9))
Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
export DISPLAY=$display

run() { # style round(new|none) save(ok|fail) answer(-|Ei|Kyllä)
    local case="$out/$1-$2-$3-$4"
    mkdir -p "$case" && cd "$case" || return
    printf 'a,0\r\nb,0\r\nc,0\r\nd,0\r\ne,0\r\n' >TOP5.dat
    touch -d 2020-01-01 TOP5.dat
    "$out/sessionmanager" "$1" address >session.log 2>&1 &
    local manager=$!
    sleep 0.5
    SESSION_MANAGER=$(cat address) "$program" >game.log 2>&1 &
    local game=$!
    xdotool search --sync --name "Vikkelo v1.0" windowfocus --sync 2>/dev/null
    if [ "$2" = new ]; then
        xdotool key F2; sleep 1.3; xdotool key 1 2 3; sleep 1.2
        xdotool type --delay 50 Uloskirjautuja; xdotool key Return
    fi
    [ "$3" = fail ] && { rm -f TOP5.dat.lock; mkfifo TOP5.dat.lock; }
    sleep 10
    local boxes=0
    for answer in 1 2; do
        xdotool search --onlyvisible --name '^Vikkelo$' >/dev/null 2>&1 || break
        boxes=$((boxes + 1))
        case $4 in Ei) xdotool key Return ;; Kyllä) xdotool key shift+Tab space ;; esac
        sleep 1
    done
    sleep 2
    local ended="still running"
    kill -0 $game 2>/dev/null || { wait $game; ended="ended ($?)"; }
    wait $manager
    sleep 1
    kill $game 2>/dev/null
    local file="untouched"
    [ "$(stat -c %Y TOP5.dat)" -gt 1600000000 ] && file="written"
    grep -q Uloskirjautuja TOP5.dat && file="$file, with the new entry"
    printf '%-28s questions: %s; game %s; TOP5.dat %s\n' "$1 $2 $3 $4:" "$boxes" "$ended" "$file"
    sed 's/^/    /' session.log
}

run none none ok -
run none new ok -
run none new fail -
run any new ok -
run any new fail Ei
run any new fail Kyllä
run vanish new ok -
echo "The cases' folders: $out"
