#!/usr/bin/env bash
# Runs a test program as a client of its own headless Weston: a private
# runtime folder and socket, no screen, no input devices, as root or not.
# Skips (exit 77) only where an installed Weston cannot start here; a missing
# Weston fails, as the test command installs it.
set -u
test_program=$1

skip() { echo "SKIP: $*"; exit 77; }
command -v weston >/dev/null || { echo "FAIL: weston is not installed (Debian package weston)"; exit 1; }

runtime=$(mktemp -d)
chmod 700 "$runtime"
socket=vikkelo-test-$$
weston_pid=
cleanup() {
  if [ -n "$weston_pid" ]; then
    kill "$weston_pid" 2>/dev/null
    wait "$weston_pid" 2>/dev/null
  fi
  rm -rf "$runtime"
}
trap cleanup EXIT

XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --use-pixman --no-config \
  --socket="$socket" --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [ -S "$runtime/$socket" ] && break
  kill -0 "$weston_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$runtime/$socket" ]; then
  skip "Weston could not start here: $(grep -v '^\s*$' "$runtime/weston.log" | tail -n 1)"
fi

# Under the sanitizers: the leaks that Qt's Wayland client and Mesa leave at
# exit are suppressed by library, which only a full unwind can name.
if [ -n "${LSAN_OPTIONS:-}" ]; then
  export LSAN_OPTIONS="$LSAN_OPTIONS:fast_unwind_on_malloc=0"
fi
# A headless Weston has no seat, and Qt 6.4's own Wayland text input reads
# the seat it lacks as soon as a line edit draws its cursor: a line edit
# here takes plain keys, as with no input method.
XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland QT_IM_MODULE=none "$test_program"
