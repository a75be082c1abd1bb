#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine; each prints its figures next to a peer measured in
# the same run, and the summary rows are gathered into one table at the end.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
# The XML peer of bench_persist; without it the bench skips that row.
bash "$root/scripts/peer_pugixml.sh"
# A build folder configured before the peer was built learns of it here.
[ -f "$build64/CMakeCache.txt" ] && [ -f "$root/.cache/deps/x86_64-w64-mingw32/pugixml/lib/libpugixml_wchar.a" ] &&
  cmake "$build64" >/dev/null
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
# Scale for bench_docinfo: exiftool on the same generated files, run natively.
if [ -d bench_docinfo_files ] && { [ $# -eq 0 ] || [[ " $* " == *" bench_docinfo "* ]]; }; then
  if command -v exiftool >/dev/null 2>&1; then
    start=$(date +%s.%N)
    exiftool -fast -q -Title -Author -CreateDate bench_docinfo_files >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" -v n="$(ls bench_docinfo_files | wc -l)" \
      'BEGIN { printf "peer: exiftool -fast (native): %8.0f files/s\n", n / (e - s) }'
  else
    echo "peer: exiftool -fast (native): not installed"
  fi
fi
echo
echo "== summary (ratio = ours / peer, or peer / ours where the target says 'at least')"
{ echo "figure|ours|peer|ratio|target|met"; sed -n 's/^SUMMARY|//p' "$rows" | tr -d '\r'; } | column -t -s '|'
rm -f "$rows"
