#!/usr/bin/env bash
# 32-bit only: callers of stdcall functions import `_Name@N`, while the DLL exports plain `Name`.
# Builds the import library from the .def names decorated as the library's objects define them,
# with dlltool -k so each decorated import resolves to the plain export.
# Usage: make_implib.sh TRIPLE CORE_LIB DEF IMPLIB
set -euo pipefail
triple=$1 core=$2 def=$3 implib=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$triple-nm" -g --defined-only "$core" 2>/dev/null | awk '$2 == "T" {print $3}' | sort -u > "$tmp/symbols"
{
  echo "LIBRARY OVUT19.DLL"
  echo "EXPORTS"
  awk 'BEGIN{e=0} /^[ \t]*;/ {next} /^EXPORTS/ {e=1; next} e && NF {print $1}' "$def" | while read -r name; do
    decorated=$(grep -E "^_${name}(@[0-9]+)?$" "$tmp/symbols" | head -n1 || true)
    if [ -z "$decorated" ]; then echo "make_implib: no definition of $name" >&2; exit 1; fi
    echo "    ${decorated#_}"
  done
} > "$tmp/decorated.def"
"$triple-dlltool" -k -d "$tmp/decorated.def" -D OVUT19.DLL -l "$implib"
