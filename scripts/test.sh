#!/usr/bin/env bash
# Sets up the machine, builds both DLLs (checking both export tables), and runs every test
# of the 64-bit build under Wine.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
# OVUT_SKIP32=1 skips the 32-bit build while iterating; CI always builds it.
[ "${OVUT_SKIP32:-0}" = 1 ] || configure_and_build i686-w64-mingw32 "$build32" OFF
configure_and_build x86_64-w64-mingw32 "$build64" ON
wine_up
trap wine_down EXIT
cd "$build64"
ctest --output-on-failure -j2 "$@"
