#!/usr/bin/env bash
# Sets up the machine, builds the DLL and the demonstration host, and runs the host on the
# sample data under Wine. Arguments go to the host (default: the sample tour).
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure_and_build i686-w64-mingw32 "$build32" OFF >/dev/null
configure_and_build x86_64-w64-mingw32 "$build64" OFF >/dev/null
wine_up
trap wine_down EXIT
cd "$build64/bin"
if [ $# -eq 0 ]; then set -- tour "$(winepath -w "$root/samples" 2>/dev/null)"; fi
wine ovuthost.exe "$@"
