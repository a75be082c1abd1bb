# Shared settings for the build and run scripts (sourced).
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# OVUT_BUILD_ROOT lets several work trees or workers build side by side without sharing
# build folders, Wine prefixes or the wineserver (named kernel objects are per prefix).
broot="${OVUT_BUILD_ROOT:-$root/build}"
build64="$broot/x86_64"
build32="$broot/i686"
export WINEPREFIX="${WINEPREFIX:-$broot/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Compiled objects are cached in the ignored .cache/ccache, so a run after a small change (or a CI
# run that keeps the ignored folders) recompiles only what changed. Paths are taken relative to
# the tree, so clones in other folders share the cache.
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_DIR="${CCACHE_DIR:-$root/.cache/ccache}" CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  # Precompiled headers (CMakeLists.txt) are cached only with these.
  export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros,include_file_mtime,include_file_ctime}"
fi

# The ctest emulator of each target: 64-bit Wine (scripts/wine64.sh), or 32-bit Wine under qemu
# (scripts/wine32.sh).
emulator_for() { case $1 in i686-*) echo "$root/scripts/wine32.sh";; *) echo "$root/scripts/wine64.sh";; esac; }

# Configures when the folder is new or was configured otherwise (a demo's folder without tests,
# another emulator), then builds.
configure_and_build() {  # $1 = triple, $2 = build dir, $3 = tests ON/OFF ("" keeps the folder's choice, OFF when new)
  local cache="$2/CMakeCache.txt" emu tests=$3 gen=Ninja
  emu=$(emulator_for "$1")
  cached() { sed -n "s/^$1:[A-Z]*=//p" "$cache" 2>/dev/null; }
  command -v ninja >/dev/null 2>&1 || gen="Unix Makefiles"
  # A folder made by another generator cannot be reconfigured: start it afresh.
  if [ -f "$cache" ] && [ "$(cached CMAKE_GENERATOR)" != "$gen" ]; then
    [ -z "$tests" ] && tests=$(cached OVUT_BUILD_TESTS)
    rm -rf "$cache" "$2/CMakeFiles"
  fi
  if [ ! -f "$cache" ] || { [ -n "$tests" ] && [ "$(cached OVUT_BUILD_TESTS)" != "$tests" ]; } ||
     [ "$(cached CMAKE_CROSSCOMPILING_EMULATOR)" != "$emu" ]; then
    [ -f "$cache" ] && [ -z "$tests" ] && tests=$(cached OVUT_BUILD_TESTS)
    cmake -S "$root" -B "$2" -G "$gen" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$1.cmake" \
      -DOVUT_BUILD_TESTS="${tests:-OFF}" -DCMAKE_CROSSCOMPILING_EMULATOR="$emu" >/dev/null
  fi
  cmake --build "$2" -j"$(nproc)"
}

# A private Wine prefix ($WINEPREFIX) with the headless graphics driver, and one wineserver for the
# whole run. $1: the 64-bit Wine loader that makes the prefix and starts its services (default: the
# system's; the 32-bit run passes the one beside 32-bit Wine, so that the prefix gets its 32-bit half).
wine_up() {
  local wine=${1:-wine}
  if [ ! -f "$WINEPREFIX/.ovut-ready" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1 || true
    "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    # A crashing test must end at once with its exit code, not wait in the crash debugger.
    local view
    for view in '' 'Wow6432Node\'; do
      "$wine" reg delete 'HKLM\Software\'"$view"'Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
    done
    wineserver -w
    touch "$WINEPREFIX/.ovut-ready"
  fi
  wineserver -p >/dev/null 2>&1 </dev/null &
  sleep 0.3
  # The first program of a session starts Wine's background services, which inherit its output;
  # start them here with output to /dev/null, or a test runner reading that output waits for them.
  "$wine" cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
}
wine_down() { wineserver -k >/dev/null 2>&1 || true; }

# Removes the library's settings (both registry views of the machine key, and the user's) from the
# prefix, so that tests never see values a demo or a developer left there.
clear_settings() {  # $1 = the Wine loader, as for wine_up
  local key
  for key in 'HKLM\Software\Orvask' 'HKLM\Software\Wow6432Node\Orvask' 'HKCU\Software\Orvask'; do
    "${1:-wine}" reg delete "$key" /f >/dev/null 2>&1 || true
  done
}
