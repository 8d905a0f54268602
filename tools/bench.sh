#!/usr/bin/env bash
# Builds the server and the benchmark, registers the server and runs the benchmark under Wine
# (on a virtual display when there is no DISPLAY): one table, every figure
# beside its floor measured in the same run, PASS or MISS per target.
# Usage: tools/bench.sh [build-dir] [OpcBench options, e.g. --cycles 200]
#        tools/bench.sh [build-dir] --profile additems   (a sampled profile of the server)
set -euo pipefail
# Without a display the whole script runs again on a virtual one: the server has a window.
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"; fi
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then build="$(cd "$1" 2>/dev/null && pwd || echo "$1")"; shift; fi
"$root/tools/deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
# Only what the run needs: the server, its proxy DLL, the benchmark and its floor.
cmake --build "$build" -j "$(nproc)" --target srvZEV30 opcproxy OpcBench FloorServer
export WINEPREFIX="$build/wineprefix"
run="$build/wine-run.sh"
cleanup() { wineserver -k 2>/dev/null || true; }
trap cleanup EXIT

"$run" cmd /c exit 0 >/dev/null 2>&1 || true   # a prefix exists before the server below is found
wineserver -k 2>/dev/null || true
# One Wine server for the whole run, so its CPU time can be counted: it is the
# process whose working folder Wine names after the prefix's device and inode.
wineserver -p
tag="$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))"
wspid=0
for _ in $(seq 50); do  # it may not have entered its folder yet
  for p in $(pgrep -u "$(id -u)" wineserver || true); do
    case "$(readlink "/proc/$p/cwd" 2>/dev/null)" in */"$tag") wspid=$p ;; esac
  done
  [ "$wspid" -ne 0 ] && break
  sleep 0.1
done

"$run" "$build/bin/srvZEV30.exe" /RegServer
"$run" "$build/bin/OpcBench.exe" --wineserver-pid "$wspid" "$@"
