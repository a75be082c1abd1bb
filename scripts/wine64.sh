#!/usr/bin/env bash
# wine64.sh PROGRAM.exe ARGS... : the ctest emulator of the 64-bit build; runs the program with
# the system's Wine in $WINEPREFIX. The exit code is the program's.
source "$(dirname "$0")/wine_start.sh"
export WINEDEBUG="${WINEDEBUG:--all}"
run_program wine "$@"
