#!/usr/bin/env bash
# Builds the server and runs it under Wine the way a plant PC does: the server
# started by hand with its window, the companion simulator playing a
# deposition run into it, and the command-line client printing live values.
# Without DISPLAY it runs on a virtual display and saves a screenshot of the
# window. Ctrl-C ends everything.
# Usage: tools/run.sh [build-dir] [--seconds N]   (N: end by itself after N seconds)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
seconds=0
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    *) build="$1"; shift ;;
  esac
done
"$root/tools/build.sh" "$build"
build="$(cd "$build" && pwd)"
export WINEPREFIX="$build/wineprefix"
run="$build/wine-run.sh"
bin="$build/bin"
logs="$build/run"
mkdir -p "$logs"
# The long-running programs start through Wine's loader directly, with their
# output in log files (wine-run.sh prints a program's output when it ends).
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || loader="$(command -v wine64 || command -v wine)"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
client() { "$run" "$bin/OpcClient.exe" "$@"; }

xvfb_pid=""
cleanup() {
  trap - EXIT INT TERM
  echo "Stopping the simulator, the server and Wine."
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

virtual=no
if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$logs/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  virtual=yes
fi

wineserver -k 2>/dev/null || true
echo "Registering the server in the prefix $WINEPREFIX"
"$run" "$bin/srvZEV30.exe" /RegServer

echo "Starting srvZEV30.exe"
"$loader" "$bin/srvZEV30.exe" >"$logs/server.log" 2>&1 </dev/null &
# Its window exists once its class objects are registered: then clients reach
# this process instead of making COM start another one.
client wait --seconds 60

echo "Starting SimQuillmere.exe (its log: $logs/simulator.log)"
"$loader" "$bin/SimQuillmere.exe" >"$logs/simulator.log" 2>&1 </dev/null &
sim_pid=$!
for _ in $(seq 120); do
  if client read "String.Date And Time" --json 2>/dev/null | grep -q '"value":"[^"]'; then break; fi
  sleep 0.5
done

# The window hides itself while no companion runs; a second start without
# arguments hands over to the running server and brings its window back, as
# a second start does on a plant PC.
"$run" "$bin/srvZEV30.exe"
window=""
for _ in $(seq 100); do
  window="$(xwininfo -root -tree 2>/dev/null | awk '/"Quillmere Server"/ {print $1; exit}')"
  if [ -n "$window" ] && xwininfo -id "$window" 2>/dev/null | grep -q "IsViewable"; then break; fi
  window=""
  sleep 0.2
done

echo
echo "Live values, as the command-line client sees them for a few seconds:"
client watch "String.Date And Time" "String.DM-State" "Number.Layer Number" "Float.Chamber Pressure" \
  "Float.Gas 1 Flow Measured" "Float.Source X Power (%)" "Float.Thickness Measured (kA)" "String.Xtal-4 RawFreq" \
  --seconds 6 || true

if [ "$virtual" = yes ]; then
  shot="$logs/quillmere-window.png"
  sleep 1  # the window repaints after the client above has gone
  if [ -n "$window" ]; then import -window "$window" "$shot"; else import -window root "$shot"; fi
  echo
  echo "Screenshot of the window (virtual display $DISPLAY): $shot"
fi

cat <<EOF

The server and the simulator are running.
Another client, from another terminal:
  WINEPREFIX=$WINEPREFIX $run $bin/OpcClient.exe read "Float.Chamber Pressure" "String.DM-State"
  WINEPREFIX=$WINEPREFIX $run $bin/OpcClient.exe watch "Float.Thickness Measured (kA)" --rate 500
  WINEPREFIX=$WINEPREFIX $run $bin/OpcClient.exe write "Flag.Remote STOP=1"    (then START=1 or RESET=1)
  WINEPREFIX=$WINEPREFIX $run $bin/OpcClient.exe --help
  Screenshot: DISPLAY=$DISPLAY import -window root shot.png
Stop: Ctrl-C here (or: WINEPREFIX=$WINEPREFIX wineserver -k)
EOF

if [ "$seconds" -gt 0 ]; then
  sleep "$seconds"
else
  wait "$sim_pid" || true
fi
