#!/usr/bin/env bash
# wine32.sh PROGRAM.exe ARGS... : runs a 32-bit Windows program with the 32-bit Wine that
# setup32.sh prepared (qemu-i386 user-mode emulation); the exit code is the program's.
# The ctest emulator of the 32-bit build. WINEPREFIX must name a prefix made by
# wine32_prefix_up (scripts/env.sh): a 64-bit prefix whose 32-bit half runs through qemu.
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine_start.sh"
w32root="${OVUT_W32ROOT:-$root/.cache/w32root}"
[ -f "$w32root/.version" ] || { echo "wine32.sh: no 32-bit Wine in $w32root (run scripts/setup32.sh)" >&2; exit 125; }
export QEMU_LD_PREFIX="$w32root"                            # qemu: the root's files before the host's
export WINEDLLPATH="$w32root/usr/lib/i386-linux-gnu/wine"   # the 64-bit side finds the 32-bit DLLs here
export WINEDEBUG="${WINEDEBUG:--all}"
run_program "$w32root/usr/lib/wine/wine" "$@"
