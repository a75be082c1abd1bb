#!/usr/bin/env bash
# The XML peer of bench_persist: pugixml from Debian's source package, compiled for the 64-bit
# target in its wchar_t mode into the ignored .cache/ (only the benchmark links it; the library
# never does). Succeeds without building when the source cannot be fetched: the bench then
# skips the peer's row.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache="$root/.cache"
src="$cache/peers/pugixml"
out="$cache/deps/x86_64-w64-mingw32/pugixml"
[ -f "$out/lib/libpugixml_wchar.a" ] && exit 0
if [ ! -f "$src/src/pugixml.cpp" ]; then
  work=$(mktemp -d)
  # A private sources list with the source lines, when the system's has none.
  opts=()
  if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    mkdir -p "$work/apt/lists/partial"
    cat > "$work/apt/sources.list" <<'SRC'
deb-src http://deb.debian.org/debian bookworm main
SRC
    opts=(-o Dir::Etc::SourceList="$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
          -o Dir::State::Lists="$work/apt/lists")
    apt-get "${opts[@]}" update -qq >/dev/null 2>&1 || true
  fi
  if ! (cd "$work" && apt-get "${opts[@]}" source -qq pugixml >/dev/null 2>&1); then
    echo "peer_pugixml: cannot fetch the pugixml source package; the XML peer row is skipped" >&2
    rm -rf "$work"
    exit 0
  fi
  dir=$(find "$work" -maxdepth 1 -type d -name 'pugixml-*' | head -n1)
  mkdir -p "$cache/peers" && rm -rf "$src" && mv "$dir" "$src"
  rm -rf "$work"
fi
mkdir -p "$out/lib" "$out/include"
obj="$out/pugixml.o"
x86_64-w64-mingw32-g++-posix -std=c++17 -O2 -DPUGIXML_WCHAR_MODE -c "$src/src/pugixml.cpp" -o "$obj" &&
  x86_64-w64-mingw32-ar rcs "$out/lib/libpugixml_wchar.a" "$obj" &&
  cp "$src/src/pugixml.hpp" "$src/src/pugiconfig.hpp" "$out/include/" ||
  { echo "peer_pugixml: build failed; the XML peer row is skipped" >&2; rm -rf "$out"; exit 0; }
rm -f "$obj"
