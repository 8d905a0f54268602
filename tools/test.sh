#!/usr/bin/env bash
# Builds everything and runs every test under Wine (on a virtual display when
# there is no DISPLAY). Usage: tools/test.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
"$root/tools/build.sh" "$build"
export WINEPREFIX="$build/wineprefix"
cleanup() { wineserver -k 2>/dev/null || true; }
trap cleanup EXIT
"$build/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true   # create the prefix once, before tests race for it
# The session just started has no display; windows of the tests need the one they run on.
wineserver -k 2>/dev/null || true
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build" --output-on-failure
else
  ctest --test-dir "$build" --output-on-failure
fi
