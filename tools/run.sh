#!/usr/bin/env bash
# Builds the server and runs it under Wine, with the companion simulator
# feeding it values. Without DISPLAY it runs on a virtual display and says
# how to take a screenshot. Usage: tools/run.sh [build-dir]; Ctrl-C ends it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
"$root/tools/build.sh" "$build"
export WINEPREFIX="$build/wineprefix"
run="$build/wine-run.sh"

xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 99); do [ -e "/tmp/.X11-unix/X$n" ] || break; done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  sleep 1
  echo "Virtual display $DISPLAY. Screenshot: DISPLAY=$DISPLAY import -window root shot.png"
fi

wineserver -k 2>/dev/null || true
"$run" "$build/bin/srvZEV30.exe" /RegServer
"$run" "$build/bin/srvZEV30.exe" &
sleep 2
"$run" "$build/bin/SimQuillmere.exe" &
sleep 3
# The window hides itself while no companion runs; a second start without
# arguments hands over to the running server and brings its window back.
"$run" "$build/bin/srvZEV30.exe"
echo "Server and simulator running. Ctrl-C ends both."
wait
