#!/usr/bin/env bash
# Fails when the DLL imports a library or function that the library loads late (src/environment/
# late_*.cpp): those must be looked up at run time, so that loading the DLL maps none of them.
# Usage: check_imports.sh OBJDUMP DLL SRCDIR
set -euo pipefail
objdump=$1 dll=$2 src=$3
imports=$("$objdump" -p "$dll" | awk '/DLL Name:/ {print tolower($3); next} /^\t[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ {print $NF}')
bad=""
for lib in dbghelp.dll xmllite.dll query.dll credui.dll gdiplus.dll netapi32.dll psapi.dll; do
  if grep -qx "$lib" <<<"$imports"; then bad+=" $lib"; fi
done
# Each late function as its plain and wide name.
names=$(grep -ho 'OVUT_LATE_DEF([A-Za-z0-9]*, *p_[A-Za-z0-9_]*' "$src"/environment/late_*.cpp | sed 's/.*p_//' | sort -u)
for name in $names; do
  if grep -qx -e "$name" -e "${name}W" <<<"$imports"; then bad+=" $name"; fi
done
if [ -n "$bad" ]; then
  echo "$(basename "$dll") imports what is loaded late:$bad" >&2
  exit 1
fi
echo "imports of $(basename "$dll"): no late-loaded library or function ($(echo "$names" | grep -c .) functions checked)"
