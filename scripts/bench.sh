#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine; each prints its figures.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure_and_build x86_64-w64-mingw32 "$build64" "" >/dev/null
wine_up
trap wine_down EXIT
cd "$build64/bin"
for b in bench_*.exe; do
  [ $# -gt 0 ] && [[ " $* " != *" ${b%.exe} "* ]] && continue
  echo "== ${b%.exe}"
  wine "$b"
done
