#!/usr/bin/env bash
# Builds the HTML API reference from the public headers into build/apidoc/html/ (index.html).
# Fails on any warning: an export, parameter or result without documentation.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v doxygen >/dev/null; then
  echo "apidoc: installing doxygen"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq doxygen >/dev/null
fi
# Doxygen reports undocumented functions only in documented files: every header needs its @file.
for h in "$root"/include/ovut19.h "$root"/include/ovut19/*.h; do
  grep -q '@file' "$h" || { echo "apidoc: $h has no @file comment" >&2; exit 1; }
done
out="${OVUT_BUILD_ROOT:-$root/build}/apidoc"
rm -rf "$out" && mkdir -p "$out"
export OVUT_APIDOC_SRC="$root" OVUT_APIDOC_OUT="$out"
if ! doxygen "$root/docs/Doxyfile" 2> "$out/warnings.txt"; then
  cat "$out/warnings.txt" >&2
  echo "apidoc: the reference has warnings (above)" >&2
  exit 1
fi
if [ -s "$out/warnings.txt" ]; then cat "$out/warnings.txt" >&2; exit 1; fi
echo "apidoc: $out/html/index.html"
