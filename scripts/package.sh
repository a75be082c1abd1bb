#!/usr/bin/env bash
# Builds both architectures (without tests unless the build folder has them), installs each into
# a package folder and writes one ZIP per architecture under dist/, made with the library's own
# ZIP writer (the demonstration host's `zip` command under Wine). Prints where everything went.
set -euo pipefail
source "$(dirname "$0")/env.sh"
bash "$root/scripts/setup.sh"
version=$(sed -n 's/^FILEVERSION \([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1.\2.\3/p' "$root/src/dll/version.rc.in")
dist="$root/dist"
stage="$broot/package"
mkdir -p "$dist"
for arch in i686 x86_64; do
  dir="$broot/$arch"
  configure_and_build "$arch-w64-mingw32" "$dir" "" >/dev/null
  rm -rf "${stage:?}/$arch"
  cmake --install "$dir" --prefix "$stage/$arch/OVUT19-$version-$arch" >/dev/null
  # The MSVC import library is made only where llvm-dlltool is (setup installs it).
  [ -f "$stage/$arch/OVUT19-$version-$arch/lib/OVUT19.lib" ] ||
    { echo "package: $arch has no lib/OVUT19.lib (is llvm-dlltool installed?)" >&2; exit 1; }
  echo "package: $stage/$arch/OVUT19-$version-$arch"
done

# The ZIPs hold the package folder itself, so they unpack into OVUT19-<version>-<arch>/.
wine_up
trap wine_down EXIT
for arch in i686 x86_64; do
  zip="$dist/OVUT19-$version-$arch.zip"
  rm -f "$zip"
  (cd "$build64/bin" && wine ovuthost.exe zip "$(winepath -w "$zip")" "$(winepath -w "$stage/$arch")" -r) >/dev/null
  unzip -tq "$zip" >/dev/null || { echo "package: $zip does not test clean" >&2; exit 1; }
  echo "package: $zip ($(unzip -Z1 "$zip" | grep -vc '/$') files)"
done
