#!/usr/bin/env bash
# Prepares this x86-64 Debian 12 machine to run the 32-bit test programs. Its kernel may have no
# IA32 emulation, so 32-bit Wine runs under qemu-i386 user-mode emulation:
# - Debian's wine32:i386 of the installed wine64's version and the i386 libraries it needs are
#   unpacked into a private root under .cache/ (never installed, so `wine` stays 64-bit Wine);
# - a small preloaded library (scripts/qemu32fix.c) makes up for gaps of qemu 7.2 that 32-bit Wine
#   depends on;
# - qemu-i386 is registered through binfmt_misc for i386 ELF files, so that every 32-bit program
#   Wine starts runs through qemu too.
# Needs root when something is missing (first run, a new Wine version, after a reboot); a later run
# only checks. Prints the private root's path on success; fails with a message saying what is
# missing otherwise. Run 32-bit programs with scripts/wine32.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
w32root="${OVUT_W32ROOT:-$root/.cache/w32root}"
fail() { echo "setup32: cannot set up 32-bit Wine: $*" >&2; exit 1; }
say() { echo "setup32: $*" >&2; }

mkdir -p "$(dirname "$w32root")"
exec 9>"$w32root.lock"
flock 9  # one set-up at a time per root

need_root() { [ "$(id -u)" = 0 ] || fail "$1 (run once as root)"; }
export DEBIAN_FRONTEND=noninteractive

# 1. Host side: qemu, 64-bit Wine, gcc for the shim, binutils for the 32-bit link.
missing=()
for p in qemu-user-static wine64 gcc binutils; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  need_root "missing packages ${missing[*]}"
  say "installing ${missing[*]}"
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
    fail "apt-get cannot install ${missing[*]}"
fi
ver=$(dpkg-query -W -f='${Version}' wine64)

# 2. The private root: wine32:i386 of exactly that version with the i386 packages apt would install
#    with it today. Built in a side folder and renamed when complete; the stamp names the version,
#    so a new wine64 builds a new root.
if [ "$(cat "$w32root/.version" 2>/dev/null)" != "$ver" ]; then
  need_root "the 32-bit Wine root $w32root is missing"
  say "building the 32-bit Wine root for Wine $ver"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt-get update -qq || fail "apt-get update failed after adding i386"
  fi
  work="$w32root.new"
  rm -rf "$work" && mkdir -p "$work/debs" "$work/root"
  list=$(apt-get install -s --no-install-recommends "wine32:i386=$ver" 2>/dev/null |
         sed -nE 's/^Inst ([^ ]+:i386) (\[[^]]*\] )?\(([^ ]+).*/\1=\3/p') || true
  if [ -z "$list" ]; then
    apt-get update -qq || true
    list=$(apt-get install -s --no-install-recommends "wine32:i386=$ver" 2>/dev/null |
           sed -nE 's/^Inst ([^ ]+:i386) (\[[^]]*\] )?\(([^ ]+).*/\1=\3/p') || true
  fi
  [ -n "$list" ] || fail "apt offers no wine32:i386=$ver (the 32-bit half must match wine64)"
  chown _apt "$work/debs" 2>/dev/null || true  # apt downloads as _apt
  # shellcheck disable=SC2086
  (cd "$work/debs" && apt-get download -qq $list >/dev/null) || fail "cannot download the i386 packages"
  for d in "$work"/debs/*.deb; do dpkg-deb -x "$d" "$work/root"; done
  r="$work/root"
  # Wine's preloader reserves a layout that leaves Wine about 130 MB of address space under qemu 7.2;
  # without it Wine reserves what it needs itself.
  rm -f "$r"/usr/lib/wine/wine-preloader*
  # zlib1.dll as a Wine builtin, as the package's install script would make it: MinGW's zlib1.dll
  # with Wine's builtin marker in the DOS stub (offset 64).
  z=/usr/i686-w64-mingw32/lib/zlib1.dll
  [ -f "$z" ] || fail "$z is missing (package libz-mingw-w64)"
  { head -c 64 "$z"; printf 'Wine builtin DLL\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'; tail -c +97 "$z"; } \
    > "$r/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
  # The i386 loader reads the root's library cache (qemu looks in the root first); without one it
  # falls back to the host's and may pick up host libraries.
  echo 'include /etc/ld.so.conf.d/*.conf' > "$r/etc/ld.so.conf"
  ldconfig -r "$r"
  echo "$ver" > "$r/.version"
  rm -rf "$w32root"
  mv "$r" "$w32root"
  rm -rf "$work"
fi

# 3. 64-bit Wine beside the 32-bit one. Wine looks for its other half next to its own real path:
#    started from the root, the 64-bit loader (run natively) starts 32-bit programs with the root's
#    loader, and the 32-bit side starts 64-bit ones with this copy. The root's wineserver script
#    already runs the host's 64-bit wineserver.
if ! cmp -s /usr/lib/wine/wine64 "$w32root/usr/lib/wine/wine64" ||
   [ "$(readlink "$w32root/usr/lib/x86_64-linux-gnu/wine" 2>/dev/null)" != /usr/lib/x86_64-linux-gnu/wine ]; then
  cp /usr/lib/wine/wine64 "$w32root/usr/lib/wine/wine64.tmp" && mv "$w32root/usr/lib/wine/wine64.tmp" "$w32root/usr/lib/wine/wine64"
  mkdir -p "$w32root/usr/lib/x86_64-linux-gnu"
  ln -sfn /usr/lib/x86_64-linux-gnu/wine "$w32root/usr/lib/x86_64-linux-gnu/wine"
fi

# 4. The shim, preloaded into every emulated program through the root's /etc/ld.so.preload.
shim=usr/lib/i386-linux-gnu/qemu32fix.so
if [ ! -f "$w32root/$shim" ] || [ "$root/scripts/qemu32fix.c" -nt "$w32root/$shim" ]; then
  gcc -m32 -O2 -fPIC -shared -nostdlib -ffreestanding -fno-stack-protector -o "$w32root/$shim.tmp" \
    "$root/scripts/qemu32fix.c" "$w32root/lib/i386-linux-gnu/libc.so.6" || fail "cannot build the shim"
  mv "$w32root/$shim.tmp" "$w32root/$shim"
fi
[ "$(cat "$w32root/etc/ld.so.preload" 2>/dev/null)" = "/$shim" ] || echo "/$shim" > "$w32root/etc/ld.so.preload"

# 5. binfmt_misc: i386 ELF executables and shared objects go to qemu-i386-static. Flags: P keeps
#    argv[0] (Debian's qemu learns that from the "-binfmt-P" name), O hands qemu the open binary,
#    F opens qemu at registration, so it works inside other mount namespaces. Lost on reboot.
entry=/proc/sys/fs/binfmt_misc/qemu-i386
if [ ! -e "$entry" ]; then
  need_root "qemu-i386 is not registered with binfmt_misc"
  mountpoint -q /proc/sys/fs/binfmt_misc ||
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || fail "cannot mount binfmt_misc"
  mkdir -p /usr/libexec/qemu-binfmt
  ln -sfn ../../bin/qemu-i386-static /usr/libexec/qemu-binfmt/i386-binfmt-P
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:/usr/libexec/qemu-binfmt/i386-binfmt-P:POF" \
    > /proc/sys/fs/binfmt_misc/register || fail "cannot register qemu-i386 with binfmt_misc"
fi
grep -qx enabled "$entry" || fail "the binfmt_misc entry qemu-i386 is disabled"

# 6. Proof that a 32-bit program starts: the root's Wine loader prints its version.
QEMU_LD_PREFIX="$w32root" "$w32root/usr/lib/wine/wine" --version >/dev/null 2>&1 ||
  fail "the 32-bit Wine loader does not start under qemu-i386"
echo "$w32root"
