#!/usr/bin/env bash
# Installs bin/QuillmereOpcServer.msi with msiexec into a Wine prefix of its
# own, beside another vendor's OPC proxy DLL, connects the x64 (and, where the
# machine runs 32-bit programs, the x86) command-line client, removes the
# product and checks that nothing of it is left and that the other vendor's
# registration is exactly as it was. Usage: install-test.sh BUILD_DIR
set -uo pipefail
build="$(cd "$1" && pwd)"
bin="$build/bin"
export WINEPREFIX="$build/installer-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's 64-bit loader: with wine32 installed, plain "wine" would start the
# built-in programs (reg, regsvr32, msiexec) on the 32-bit side.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine64 || command -v wine)"
work="$(mktemp -d)"
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT

passed=0 failed=0 skipped=0
check() {  # check DESCRIPTION COMMAND...
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
winpath() { echo "Z:${1//\//\\}"; }
w() { "$wine" "$@" </dev/null >"$work/out" 2>&1; local rc=$?; tr -d '\r' <"$work/out"; return $rc; }
reg_default() { w reg query "$1" /ve ${2:-} | sed -n 's/.*REG_SZ *//p'; }
# The Software keys of the machine and the user, as reg exports them, without
# Wine's own run-time state and the empty parent keys that Windows Installer
# creates on its first use (Windows has them from the start); the product's
# keys below them stay in.
snapshot() {
  w reg export 'HKLM\Software' "$(winpath "$work/m.reg")" /y >/dev/null
  w reg export 'HKCU\Software' "$(winpath "$work/u.reg")" /y >/dev/null
  cat "$work/m.reg" "$work/u.reg" | iconv -f UTF-16 -t UTF-8 | tr -d '\r' | awk '
    /^\[/ { skip = /^\[HKEY_CURRENT_USER\\Software\\Wine\\/ ||
                    /\\Installer(\\(Features|Products|UpgradeCodes|UserData(\\S-1-5-18(\\(Components|Products))?)?))?\]$/ }
    !skip' >"$1"
}
server_running() {  # a srvZEV30.exe of this prefix
  local p
  for p in /proc/[0-9]*; do
    grep -qa 'srvZEV30.exe' "$p/cmdline" 2>/dev/null && grep -qa "WINEPREFIX=$WINEPREFIX" "$p/environ" 2>/dev/null &&
      return 0
  done
  return 1
}
wait_for_no_server() { local i; for i in $(seq 100); do server_running || return 0; sleep 0.2; done; return 1; }

iopcserver='{39C13A4D-011E-11D0-9675-0020AFD8ADB3}'
properties='{39C13A72-011E-11D0-9675-0020AFD8ADB3}'
browse='{39C13A4F-011E-11D0-9675-0020AFD8ADB3}'
proxy_class='{71E208FE-B883-407B-896F-84B87C4F07C4}'
msi="$(winpath "$bin/QuillmereOpcServer.msi")"
installed="$WINEPREFIX/drive_c/Program Files/Vornhalt/Quillmere OPC Server"

# A new prefix for every run, so that nothing of an earlier run counts.
wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"
"$wine" wineboot -i >/dev/null 2>&1; wineserver -w

# The other vendor: its proxy DLL registered by regsvr32, as its installer
# does, without browsing and item properties, which this product then adds.
mkdir -p "$WINEPREFIX/drive_c/Foreign OPC"
cp "$bin/ForeignOpcPS.dll" "$WINEPREFIX/drive_c/Foreign OPC/"
w regsvr32 /s 'C:\Foreign OPC\ForeignOpcPS.dll' >/dev/null
w reg delete "HKCR\\Interface\\$properties" /f >/dev/null
w reg delete "HKCR\\Interface\\$browse" /f >/dev/null
check "the other vendor's proxy is registered" test "$(reg_default "HKCR\\Interface\\$iopcserver\\ProxyStubClsid32")" = "$iopcserver"
snapshot "$work/before.txt"

w msiexec /i "$msi" /qn >/dev/null
check "msiexec /i succeeds" test $? -eq 0
for f in srvZEV30.exe QuillmereOpcPS.dll QuillmereOpcPS32.dll; do
  check "$f is installed" test -f "$installed/$f"
done
local_server="$(reg_default 'HKCR\CLSID\{1282FC28-A5E5-4AB3-A6EB-C2CF4B7F30FA}\LocalServer32')"
check "the class starts the installed server ($local_server)" grep -qi '^C:\\PROG.*\\srvZEV30.exe$' <<<"$local_server"
check "the other vendor's proxy still serves IOPCServer" test "$(reg_default "HKCR\\Interface\\$iopcserver\\ProxyStubClsid32")" = "$iopcserver"
check "this product's proxy serves what the other lacks" test "$(reg_default "HKCR\\Interface\\$properties\\ProxyStubClsid32")" = "$proxy_class"

# The x64 client: status through the other vendor's proxy, browsing and the
# value property through this product's.
w "$bin/OpcClient.exe" status --json >"$work/status64"
check "x64 client: status" grep -q '"state":"running"' "$work/status64"
check "x64 client: vendor" grep -q '"vendor":"Vornhalt Quillmere ZEV-30 Server"' "$work/status64"
w "$bin/OpcClient.exe" browse --json >"$work/browse64"
check "x64 client: 132 items browsed" test "$(grep -c '^{"item":' "$work/browse64")" -eq 132
w "$bin/OpcClient.exe" read 'Float.Chamber Pressure' --json >"$work/read64"
check "x64 client: a value read" grep -q '"item":"Float.Chamber Pressure","value":"[^"]*","quality":"good"' "$work/read64"
# A write seen by a subscriber (a COM-started server keeps no value once its
# last client has gone, so the watch runs while the write is made).
# The write waits for the watcher's first line, the value it found on
# subscribing (the client writes each line at once).
watch_while_writing() {  # CLIENT_EXE WRITER_EXE VALUE OUTPUT
  "$wine" "$bin/$1" watch 'String.Remote State' --rate 100 --seconds 12 --json </dev/null >"$4.raw" 2>&1 &
  local watcher=$! i
  for i in $(seq 150); do grep -q '"item":"String.Remote State"' "$4.raw" && break; sleep 0.2; done
  w "$bin/$2" write "String.Remote State=$3" >/dev/null
  local rc=$?
  wait $watcher
  tr -d '\r' <"$4.raw" >"$4"
  return $rc
}
watch_while_writing OpcClient.exe OpcClient.exe installed "$work/watch64"
check "x64 client: a value written" test $? -eq 0
check "x64 client: its data change arrives" grep -q '"value":"installed"' "$work/watch64"
# The package's version is the program's: the server reports major, minor and
# the last field of its version resource.
display_version="$(w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\{3CAD8388-594A-45B0-B3D7-4C829EDFEC42}' /v DisplayVersion | sed -n 's/.*REG_SZ *//p')"
IFS=. read -r major minor _ last <<<"$display_version"
check "package version $display_version is the program's" grep -q "\"version\":\"$major.$minor.$last\"" "$work/status64"

# What two clients of one server must print alike: no time stamps.
timeless() { sed 's/"[a-zA-Z]*[tT]ime[a-zA-Z]*":"[^"]*"//g; s/"timestamp":"[^"]*"//g' "$1"; }
if [ -f "$WINEPREFIX/drive_c/windows/syswow64/regsvr32.exe" ]; then
  check "x86: the proxy is registered in the 32-bit view" test "$(reg_default "HKCR\\Interface\\$properties\\ProxyStubClsid32" /reg:32)" = "$proxy_class"
  w "$bin/OpcClient32.exe" status --json >"$work/status32"
  check "x86 client: same status" diff <(timeless "$work/status64") <(timeless "$work/status32")
  w "$bin/OpcClient32.exe" browse --json >"$work/browse32"
  check "x86 client: same items" diff -q "$work/browse64" "$work/browse32"
  w "$bin/OpcClient32.exe" read 'Float.Chamber Pressure' --json >"$work/read32"
  check "x86 client: a value read" grep -q '"item":"Float.Chamber Pressure","value":"[^"]*","quality":"good"' "$work/read32"
  watch_while_writing OpcClient32.exe OpcClient32.exe 'from x86' "$work/watch32"
  check "x86 client: a value written" test $? -eq 0
  check "x86 client: its data change arrives" grep -q '"value":"from x86"' "$work/watch32"
else
  echo "SKIPPED: x86 client: this machine runs no 32-bit Windows programs (no wine32, or no 32-bit support in the kernel)"
  skipped=$((skipped + 1))
fi

check "the COM-started server ends after its clients" wait_for_no_server
w msiexec /x "$msi" /qn >/dev/null
check "msiexec /x succeeds" test $? -eq 0
snapshot "$work/after.txt"
check "the registry is as before the installation" diff "$work/before.txt" "$work/after.txt"
check "no folder of the product is left" test ! -e "$WINEPREFIX/drive_c/Program Files/Vornhalt"
leftovers="$(find "$WINEPREFIX/drive_c" -iname '*srvZEV30*' -o -iname '*Quillmere*' | head)"
check "no file of the product is left: $leftovers" test -z "$leftovers"
check "the other vendor's DLL is still there" test -f "$WINEPREFIX/drive_c/Foreign OPC/ForeignOpcPS.dll"

echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
