#!/usr/bin/env bash
# Proves the installed package of each built architecture: installs it, checks its contents
# (debug link, import-library names), builds tests/consumer/cmake through find_package and the
# C consumer with lld-link against OVUT19.lib, and runs the 64-bit consumers under Wine.
# Usage: consumer_tests.sh ARCH...   (i686, x86_64; each needs its build folder)
set -euo pipefail
source "$(dirname "$0")/env.sh"
out="$broot/consumer"
fail() { echo "consumer_tests: $*" >&2; exit 1; }

for arch in "$@"; do
  triple=$arch-w64-mingw32 pkg="$out/$arch/package"
  rm -rf "${out:?}/$arch"
  cmake --install "$broot/$arch" --prefix "$pkg" >/dev/null
  for f in bin/OVUT19.DLL bin/OVUT19.DLL.debug bin/ovutview.exe include/ovut19.h include/ovut19.hpp \
           lib/libOVUT19.dll.a lib/OVUT19.lib \
           lib/cmake/OVUT19/OVUT19Config.cmake lib/cmake/OVUT19/OVUT19ConfigVersion.cmake README.md; do
    [ -f "$pkg/$f" ] || fail "$arch package lacks $f"
  done
  "$triple-objdump" -h "$pkg/bin/OVUT19.DLL" | grep -q '\.gnu_debuglink' || fail "$arch DLL has no debug link"
  "$triple-objdump" -h "$pkg/bin/OVUT19.DLL" | grep -q '\.debug_info' && fail "$arch DLL still carries its debug information"
  "$triple-objdump" -h "$pkg/bin/OVUT19.DLL.debug" | grep -q '\.debug_info' || fail "$arch debug file has no debug information"
  # 32-bit MSVC callers import stdcall functions as _Name@N and cdecl ones as _Name.
  if [ "$arch" = i686 ]; then
    syms=$(llvm-nm "$pkg/lib/OVUT19.lib" 2>/dev/null)
    for s in _UtilGetVersion@4 _ProfGetStringW@24 _UtilZIPAppend@16 _UtilDebug _UtilSafeSprintf; do
      grep -q " T $s\$" <<<"$syms" || fail "OVUT19.lib lacks $s"
    done
  fi

  # The CMake package, as a customer's project finds it.
  cmake -S "$root/tests/consumer/cmake" -B "$out/$arch/cmake" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triple.cmake" \
    -DCMAKE_PREFIX_PATH="$pkg" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$out/$arch/cmake" >/dev/null

  # The MSVC import library with an MSVC-style linker and no C runtime. kernel32's import
  # library is made here from the three functions the consumer needs.
  msvc="$out/$arch/msvc"
  mkdir -p "$msvc"
  if [ "$arch" = i686 ]; then machine=x86 dllmachine=i386 k=(-k) kdef="ExitProcess@4 GetStdHandle@4 WriteFile@20" entry=_ConsumerStart@0
  else machine=x64 dllmachine=i386:x86-64 k=() kdef="ExitProcess GetStdHandle WriteFile" entry=ConsumerStart; fi
  printf 'LIBRARY kernel32.dll\nEXPORTS\n%s\n' "$(tr ' ' '\n' <<<"$kdef")" > "$msvc/kernel32.def"
  llvm-dlltool -m "$dllmachine" "${k[@]}" -d "$msvc/kernel32.def" -D kernel32.dll -l "$msvc/kernel32.lib"
  "$triple-gcc" -O1 -ffreestanding -fno-stack-protector -fno-asynchronous-unwind-tables -I"$pkg/include" \
    -c "$root/tests/consumer/msvc/consumer.c" -o "$msvc/consumer.obj"
  lld-link -nologo -machine:$machine -subsystem:console -entry:"${entry#_}" -nodefaultlib -safeseh:no \
    -out:"$msvc/msvc_consumer.exe" "$msvc/consumer.obj" "$pkg/lib/OVUT19.lib" "$msvc/kernel32.lib"
  cp "$pkg/bin/OVUT19.DLL" "$msvc/"
  echo "consumer_tests: $arch package, CMake consumer and lld-link consumer built"
done

if [[ " $* " == *" x86_64 "* ]]; then
  export WINEPREFIX="$broot/wineprefix-test64"
  wine_up
  trap wine_down EXIT
  rc=0
  (cd "$out/x86_64/cmake" && wine consumer.exe) || rc=1
  (cd "$out/x86_64/msvc" && wine msvc_consumer.exe) || rc=1
  [ $rc = 0 ] || fail "a 64-bit consumer failed"
fi
