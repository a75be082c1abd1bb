#!/usr/bin/env bash
# Sets up the machine, builds the DLL and the demonstration host, and runs the host on the
# sample data under Wine, with the console debug viewer (tools/ovutview) running in the background;
# its output is shown at the end. Arguments go to the host (default: the tour of the sample data);
# arguments that name existing files or folders may be relative to the current folder.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure_and_build i686-w64-mingw32 "$build32" "" >/dev/null
configure_and_build x86_64-w64-mingw32 "$build64" "" >/dev/null
wine_up
trap wine_down EXIT
# The channel reads its log file name from the registry when the DLL loads: name one for the demo.
wine reg add 'HKLM\Software\Orvask' /v Debug.LogFilename /d ovuthost-demo.log /f >/dev/null 2>&1
if [ $# -eq 0 ]; then set -- tour "$root/samples"; fi
args=()
for a in "$@"; do
  if [ -e "$a" ]; then args+=("$(winepath -w "$(realpath "$a")" 2>/dev/null)"); else args+=("$a"); fi
done
cd "$build64/bin"
# The viewer runs beside the host; closing its window (taskkill without /f) ends it cleanly.
view="$build64/bin/ovutview-demo.txt"
rm -f "$view"
wine ovutview.exe --no-color -o "$(winepath -w "$view" 2>/dev/null)" >/dev/null 2>&1 &
viewer=$!
for _ in $(seq 100); do grep -q 'waiting for debug lines' "$view" 2>/dev/null && break; sleep 0.1; done
rc=0
wine ovuthost.exe "${args[@]}" || rc=$?
# Document properties of the sample documents.
if [ "${1:-}" = tour ]; then
  (cd "$root/samples/docinfo" && wine "$build64/bin/ovuthost.exe" docinfo note.eml page.html letter.rtf report.pdf) || rc=$?
fi
wine taskkill /im ovutview.exe >/dev/null 2>&1 || true
for _ in $(seq 100); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
kill "$viewer" 2>/dev/null || true
if [ -f "$view" ]; then
  echo
  echo "== what the debug viewer showed (tools/ovutview, last lines of $view):"
  tail -n 15 "$view"
fi
log=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')\\ovuthost-demo.log" 2>/dev/null || true)
if [ -n "$log" ] && [ -f "$log" ]; then
  echo
  echo "== last lines of the debug log ($log, UTF-16):"
  iconv -f UTF-16LE -t UTF-8 "$log" | tail -n 8
fi
exit $rc
