#!/usr/bin/env bash
# Plays one slow round under Orca, the GNOME screen reader, on a private X
# screen, and prints what Orca said: by hand, for a maintainer who wants to
# know what a screen-reader player hears. Needs: xvfb dbus-x11 at-spi2-core
# orca speech-dispatcher xdotool (Debian packages). Orca's whole debug log
# is left in the folder it names at the end.
#   bash scripts/orca-round.sh [path/to/vikkelo]
set -u
program=$(realpath "${1:-build/default/vikkelo}")
out=$(mktemp -d)
cd "$out" || exit 1
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1
export DISPLAY=$display HOME=$out XDG_CONFIG_HOME=$out/config QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately & sleep 1
  gsettings set org.gnome.desktop.a11y.applications screen-reader-enabled true 2>/dev/null
  orca --replace --debug-file="$PWD/orca.log" >/dev/null 2>&1 & orca=$!
  sleep 5
  "$0" >/dev/null 2>&1 & game=$!
  sleep 3
  xdotool search --sync --name "Vikkelo v1.0" windowfocus --sync
  xdotool key F2 shift
  # At the first speed a lamp lights every second. Each lamp Orca names as
  # it lights is pressed by its digit, as a blind player would, for ten
  # lamps; then a wrong digit ends the round.
  said=0
  for i in $(seq 150); do
    sleep 0.1
    lamps=$(grep -a "SPEECH OUTPUT: .notification [a-zä]*\." orca.log)
    count=$(printf "%s" "$lamps" | grep -c notification)
    [ "$count" -gt "$said" ] || continue
    said=$count
    [ "$said" -gt 10 ] && { xdotool key 5 1 1; break; }
    case $(printf "%s\n" "$lamps" | tail -n 1) in
      *punainen*) xdotool key 1 ;; *keltainen*) xdotool key 2 ;;
      *vihreä*) xdotool key 3 ;; *sininen*) xdotool key 4 ;;
    esac
  done
  sleep 2
  kill $game $orca' "$program"
echo "Orca said (from $out/orca.log):"
grep -a "SPEECH OUTPUT" orca.log | sed -e "s/^ *//"
echo "Name changes Orca was sent: $(grep -a -c 'EVENT MANAGER: object:property-change:accessible-name for' orca.log)"
echo "  dropped as not on the focused control: $(grep -a -c 'Event is for object other than the locusOfFocus' orca.log)"
echo "  failed to speak (the event carries the object, not the new name): $(grep -a -c 'bad content sent to speak' orca.log)"
