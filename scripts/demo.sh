#!/usr/bin/env bash
# Sets up the machine, builds the DLL and the demonstration host, and runs the host on the
# sample data under Wine. Arguments go to the host (default: the tour of the sample data).
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
configure_and_build i686-w64-mingw32 "$build32" "" >/dev/null
configure_and_build x86_64-w64-mingw32 "$build64" "" >/dev/null
wine_up
trap wine_down EXIT
# The channel reads its log file name from the registry when the DLL loads: name one for the demo.
wine reg add 'HKLM\Software\Orvask' /v Debug.LogFilename /d ovuthost-demo.log /f >/dev/null 2>&1
cd "$build64/bin"
if [ $# -eq 0 ]; then set -- tour "$(winepath -w "$root/samples" 2>/dev/null)"; fi
wine ovuthost.exe "$@"
# Document properties of the sample documents (each format shows its fields once its reader is in).
if [ "${1:-}" = tour ]; then
  (cd "$root/samples/docinfo" && wine "$build64/bin/ovuthost.exe" docinfo note.eml page.html letter.rtf report.pdf) || true
fi
log=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')\\ovuthost-demo.log" 2>/dev/null || true)
if [ -n "$log" ] && [ -f "$log" ]; then
  echo
  echo "== last lines of the debug log ($log, UTF-16):"
  iconv -f UTF-16LE -t UTF-8 "$log" | tail -n 8
fi
