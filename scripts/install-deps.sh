#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine and makes sure
# 32-bit programs run (natively, or through qemu's user-mode emulation where the
# kernel has 32-bit support switched off). Does nothing for what is already there,
# so every command calls it first.
set -euo pipefail

SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake make ninja-build g++-mingw-w64-i686 googletest
  wine wine32:i386
  openssl osslsigncode nsis
  python3 clang-format
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

updated=0
apt_update() {
  [ "$updated" = 1 ] && return
  $SUDO apt-get update -qq
  updated=1
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  updated=0
fi

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  apt_update
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Can this kernel run a 32-bit program? Some virtual machines switch 32-bit
# emulation off; then qemu-i386 (10.x: earlier versions cannot run Wine's
# address-space reservations) runs them, registered with binfmt_misc.
if /lib/ld-linux.so.2 --help >/dev/null 2>&1; then
  exit 0
fi

qemu_ok() {
  command -v qemu-i386-static >/dev/null &&
    qemu-i386-static --version | head -n1 | grep -qE 'version (1[0-9]|[89])\.'
}
if ! qemu_ok; then
  list=/etc/apt/sources.list.d/bookworm-backports.list
  if [ ! -f "$list" ]; then
    echo 'deb http://deb.debian.org/debian bookworm-backports main' | $SUDO tee "$list" >/dev/null
    updated=0
  fi
  apt_update
  $SUDO apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null
fi

binfmt=/proc/sys/fs/binfmt_misc
[ -e "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
# Re-register so that the entry points at the qemu binary installed now.
[ -e "$binfmt/qemu-i386" ] && echo -1 | $SUDO tee "$binfmt/qemu-i386" >/dev/null
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
echo ":qemu-i386:M::${magic}:${mask}:/usr/bin/qemu-i386-static:F" | $SUDO tee "$binfmt/register" >/dev/null
/lib/ld-linux.so.2 --help >/dev/null 2>&1 || {
  echo "32-bit programs still do not run on this machine" >&2
  exit 1
}
