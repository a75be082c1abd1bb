#!/usr/bin/env bash
# Sets up the machine, builds both DLLs with their tests (checking both export tables), and runs
# every test on the 64-bit build under Wine, then on the 32-bit build (the product) under 32-bit
# Wine emulated by qemu-i386. Arguments go to both ctest runs. Fails when a run fails or runs no test.
# OVUT_SKIP32=1 skips all 32-bit work (set-up, build, run) while iterating.
set -euo pipefail
source "$(dirname "$0")/env.sh"
skip32=${OVUT_SKIP32:-0}

start=$SECONDS phase_start=$SECONDS
timings=()
phase_done() { timings+=("$1 $((SECONDS - phase_start)) s"); phase_start=$SECONDS; }
report() { ((${#timings[@]})) && echo "test.sh: ${timings[*]/%/;} total $((SECONDS - start)) s"; }

bash "$root/scripts/setup.sh"
if [ "$skip32" != 1 ]; then
  w32root=$(bash "$root/scripts/setup32.sh") ||
    { echo "test.sh: 32-bit Wine is not available; OVUT_SKIP32=1 runs the 64-bit tests only" >&2; exit 1; }
fi
phase_done setup
configure_and_build x86_64-w64-mingw32 "$build64" ON
phase_done build64
if [ "$skip32" != 1 ]; then
  configure_and_build i686-w64-mingw32 "$build32" ON
  phase_done build32
fi

# Each run gets a prefix of its own, apart from the one the demo and the benchmarks use, and
# cleared of the library's settings.
run_tests() {  # $1 = build dir, $2 = prefix, $3 = 64-bit Wine loader; then ctest's arguments
  local dir=$1 loader=$3 rc=0
  export WINEPREFIX=$2
  shift 3
  wine_up "$loader"
  clear_settings "$loader"
  (cd "$dir" && ctest --output-on-failure --no-tests=error -j2 "$@") || rc=$?
  wine_down
  return $rc
}
trap 'wine_down; report' EXIT
failed=()
echo "== 64-bit tests"
run_tests "$build64" "$broot/wineprefix-test64" wine "$@" || failed+=(64-bit)
phase_done test64
if [ "$skip32" != 1 ]; then
  echo "== 32-bit tests (32-bit Wine under qemu-i386)"
  export QEMU_LD_PREFIX="$w32root" WINEDLLPATH="$w32root/usr/lib/i386-linux-gnu/wine"
  run_tests "$build32" "$broot/wineprefix-test32" "$w32root/usr/lib/wine/wine64" "$@" || failed+=(32-bit)
  phase_done test32
fi
# ---- API reference and package: the reference builds without warnings; the installed package of
# each built architecture is checked and used by the consumer projects (64-bit ones run).
bash "$root/scripts/apidoc.sh" || failed+=(API-reference)
phase_done apidoc
archs=(x86_64)
[ "$skip32" != 1 ] && archs+=(i686)
bash "$root/scripts/consumer_tests.sh" "${archs[@]}" || failed+=(consumer)
phase_done consumers
# ---- end of API reference and package
if ((${#failed[@]})); then
  echo "test.sh: the ${failed[*]} tests failed" >&2
  exit 1
fi
