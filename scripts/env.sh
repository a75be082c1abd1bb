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

configure_and_build() {  # $1 = triple, $2 = build dir, $3 = tests ON/OFF
  if [ ! -f "$2/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$2" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$1.cmake" \
      -DOVUT_BUILD_TESTS="$3" -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
  fi
  cmake --build "$2" -j"$(nproc)"
}

# A private Wine prefix with the headless graphics driver, and one wineserver for the whole run.
wine_up() {
  if [ ! -f "$WINEPREFIX/.ovut-ready" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    # A crashing test must end at once with its exit code, not wait in the crash debugger.
    wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.ovut-ready"
  fi
  wineserver -p >/dev/null 2>&1 </dev/null &
  sleep 0.3
  # The first program of a session starts Wine's background services, which inherit its output;
  # start them here with output to /dev/null, or a test runner reading that output waits for them.
  wine cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
}
wine_down() { wineserver -k >/dev/null 2>&1 || true; }
