#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine; each prints its figures next to a peer measured in
# the same run, and the summary rows are gathered into one table at the end.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure_and_build x86_64-w64-mingw32 "$build64" "" >/dev/null
wine_up
trap wine_down EXIT
cd "$build64/bin"
rows=$(mktemp)
for b in bench_*.exe; do
  [ $# -gt 0 ] && [[ " $* " != *" ${b%.exe} "* ]] && continue
  echo "== ${b%.exe}"
  wine "$b" | tee -a "$rows" | grep -v '^SUMMARY|' || true
done
echo
echo "== summary (ratio = ours / peer, or peer / ours where the target says 'at least')"
{ echo "figure|ours|peer|ratio|target|met"; sed -n 's/^SUMMARY|//p' "$rows" | tr -d '\r'; } | column -t -s '|'
rm -f "$rows"
