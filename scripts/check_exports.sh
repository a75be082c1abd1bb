#!/usr/bin/env bash
# Compares the export table of a DLL with the names listed in its .def file.
# Usage: check_exports.sh OBJDUMP DLL DEF
set -euo pipefail
objdump=$1 dll=$2 def=$3
want=$(awk 'BEGIN{e=0} /^[ \t]*;/ {next} /^EXPORTS/ {e=1; next} e && NF {print $1}' "$def" | sed 's/@.*//' | sort -u)
have=$("$objdump" -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {t=1; next} t && /^[ \t]*\[/ {print $NF; next} t && !NF {t=0}' | sort -u)
if [ "$want" != "$have" ]; then
  echo "export table of $(basename "$dll") differs from $(basename "$def"):" >&2
  diff <(echo "$want") <(echo "$have") | sed 's/^</  missing:/; s/^>/  unexpected:/' | grep -E 'missing|unexpected' >&2
  exit 1
fi
echo "exports of $(basename "$dll"): $(echo "$want" | grep -c . ) names match the .def file"
