#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when missing.
# wixl builds the installer. wine32 (from the i386 architecture) runs the
# 32-bit proxy DLL and client; it is installed only where the kernel runs
# 32-bit x86 programs (some kernels are built or booted without them), since
# there the 32-bit loader would only fail.
set -euo pipefail
pkgs=(cmake ninja-build g++-mingw-w64-x86-64 g++-mingw-w64-i686-posix mingw-w64-tools wine wine64 wine64-tools
      libwine-dev wixl googletest xvfb xauth imagemagick x11-utils)
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
updated=0
apt_install() {
  [ "$updated" -eq 1 ] || { $sudo_cmd apt-get update -qq; updated=1; }
  echo "Installing: $*"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "$@" >/dev/null
}

missing=()
for p in "${pkgs[@]}"; do installed "$p" || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"

if ! installed wine32:i386; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
    updated=0
  fi
  # The i386 C library's loader tells whether the kernel runs 32-bit programs.
  installed libc6:i386 || apt_install libc6:i386
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    apt_install wine32:i386
  else
    echo "Not installing wine32: this kernel runs no 32-bit programs; the 32-bit client tests are skipped."
  fi
fi
