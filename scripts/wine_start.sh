# Sourced by the ctest emulators (wine64.sh, wine32.sh).
# run_program LOADER PROGRAM ARGS... runs a Windows program and returns its exit code. When Wine
# could not start the program at all (it failed within half a second and wrote nothing to its
# standard output; seen once in some 500 runs on a loaded machine), it is started once more and
# the retry is said on stderr. A program that started writes before it can fail (test programs
# print their header first), so no failure of the program itself is retried.
run_program() {
  local out rc start
  out=$(mktemp)
  start=$(date +%s%N)
  "$@" | tee "$out"
  rc=${PIPESTATUS[0]}
  if [ $rc -ne 0 ] && [ ! -s "$out" ] && (( $(date +%s%N) - start < 500000000 )); then
    rm -f "$out"
    echo "wine: $2 did not start (exit code $rc, no output); starting it once more" >&2
    "$@"
    return
  fi
  rm -f "$out"
  return $rc
}
