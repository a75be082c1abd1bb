#!/usr/bin/env bash
# Installs everything the build needs on a fresh Debian 12 machine and builds the
# dependencies that have no MinGW package (PCRE2, 16-bit) into .cache/, once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache="$root/.cache"
mkdir -p "$cache"

packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev cmake make
          wine wine64 googletest dpkg-dev unzip python3)
# The API reference, the MSVC import library and the consumer tests of the installed package.
packages+=(doxygen llvm lld zip)
# Compiled objects are kept between runs in an ignored folder (scripts/env.sh).
packages+=(ccache ninja-build)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# PCRE2 16-bit, static, once per target, from Debian's source package.
pcre_src="$cache/src/pcre2"
build_pcre2() {  # $1 = target triple
  local triple=$1 out="$cache/deps/$1"
  [ -f "$out/lib/libpcre2-16.a" ] && return 0
  if [ ! -f "$pcre_src/CMakeLists.txt" ]; then
    if ! grep -q 'deb-src' /etc/apt/sources.list.d/debian.sources 2>/dev/null; then
      sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
      apt-get update -qq
    fi
    rm -rf "$cache/src" && mkdir -p "$cache/src"
    # The newest source version is not always on the mirror: fall back to the older ones.
    local v fetched=0
    for v in "" $(apt-cache showsrc pcre2 | awk '/^Version:/ {print "=" $2}' | sort -r); do
      if (cd "$cache/src" && apt-get source -qq "pcre2$v" >/dev/null 2>&1); then fetched=1; break; fi
    done
    [ "$fetched" = 1 ] || { echo "setup: cannot fetch the pcre2 source package" >&2; exit 1; }
    local dir
    dir=$(find "$cache/src" -maxdepth 1 -type d -name 'pcre2-*' | head -n1)
    mv "$dir" "$pcre_src"
  fi
  echo "setup: building PCRE2 for $triple"
  local bdir="$cache/build/pcre2-$triple"
  rm -rf "$bdir"
  cmake -S "$pcre_src" -B "$bdir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triple.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" \
    -DPCRE2_BUILD_PCRE2_8=OFF -DPCRE2_BUILD_PCRE2_16=ON -DPCRE2_SUPPORT_JIT=ON \
    -DPCRE2_BUILD_TESTS=OFF -DPCRE2_BUILD_PCRE2GREP=OFF -DBUILD_SHARED_LIBS=OFF >/dev/null
  cmake --build "$bdir" -j"$(nproc)" >/dev/null
  cmake --install "$bdir" >/dev/null
}
build_pcre2 x86_64-w64-mingw32
build_pcre2 i686-w64-mingw32
echo "setup: ready"
