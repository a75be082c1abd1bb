#!/usr/bin/env bash
# The MSVC import library OVUT19.lib from the .def. On 32-bit, MSVC callers import `_Name@N` for
# stdcall functions while the DLL exports plain `Name`: the names get the decorations the
# library's objects define, and -k maps each import back to the plain export.
# Usage: make_msvc_implib.sh LLVM_DLLTOOL MACHINE NM CORE_LIB DEF IMPLIB   (MACHINE: i386 or i386:x86-64)
set -euo pipefail
dlltool=$1 machine=$2 nm=$3 core=$4 def=$5 implib=$6
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
names() { awk 'BEGIN{e=0} /^[ \t]*;/ {next} /^EXPORTS/ {e=1; next} e && NF {print $1}' "$def"; }
{
  echo "LIBRARY OVUT19.DLL"
  echo "EXPORTS"
  if [ "$machine" = i386 ]; then
    "$nm" -g --defined-only "$core" 2>/dev/null | awk '$2 == "T" {print $3}' | sort -u > "$tmp/symbols"
    names | while read -r name; do
      decorated=$(grep -E "^_${name}(@[0-9]+)?$" "$tmp/symbols" | head -n1 || true)
      if [ -z "$decorated" ]; then echo "make_msvc_implib: no definition of $name" >&2; exit 1; fi
      echo "    ${decorated#_}"
    done
  else
    names | sed 's/^/    /'
  fi
} > "$tmp/msvc.def"
if [ "$machine" = i386 ]; then
  "$dlltool" -m i386 -k -d "$tmp/msvc.def" -D OVUT19.DLL -l "$implib"
else
  "$dlltool" -m "$machine" -d "$tmp/msvc.def" -D OVUT19.DLL -l "$implib"
fi
