# Sourced by scripts/test and scripts/run: a private Wine prefix per build folder, a display, a persistent wineserver.
# wine_env_up BUILD_DIR   exports WINEPREFIX, KORVANE_WINEPREFIX, DISPLAY (an Xvfb of ours when none is set)
# wine_env_down           stops our wineserver and our Xvfb (by its own PID)

export PATH="/usr/lib/wine:$PATH"
KORVANE_XVFB_PID=""

wine_reg() {
    WINEDEBUG=-all wine64 reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1 ||
        echo "wine-env: could not set $1\\$2" >&2
}

wine_env_prefix() {
    local prefix="$1"
    if [ -f "$prefix/.korvane-ready" ]; then
        return 0
    fi
    echo "wine-env: creating the Wine prefix $prefix"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    # No Mono or Gecko installers: they would prompt.
    WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all wine64 wineboot -i >/dev/null 2>&1
    wineserver -w
    local k='HKCU\Software\Wine'
    wine_reg "$k\Explorer" Desktop REG_SZ shell
    wine_reg "$k\Explorer\Desktops" shell REG_SZ 1024x768
    wine_reg "$k\Fonts\Replacements" Arial REG_SZ "Liberation Sans"
    wine_reg "$k\Fonts\Replacements" Tahoma REG_SZ "Liberation Sans"
    wine_reg "$k\Fonts\Replacements" "MS Sans Serif" REG_SZ "Liberation Sans"
    wine_reg "$k\Fonts\Replacements" "Times New Roman" REG_SZ "Liberation Serif"
    wine_reg "$k\Fonts\Replacements" "Courier New" REG_SZ "Liberation Mono"
    wine_reg "$k\WineDbg" ShowCrashDialog REG_DWORD 0
    local fonts="$prefix/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    find /usr/share/fonts/truetype/liberation /usr/share/fonts/truetype/liberation2 /usr/share/fonts/truetype/wine \
        -name '*.ttf' -exec cp -f {} "$fonts/" \; 2>/dev/null || true
    wineserver -w
    touch "$prefix/.korvane-ready"
}

wine_env_up() {
    local build="$1"
    export KORVANE_WINEPREFIX="$build/wineprefix"
    export WINEPREFIX="$KORVANE_WINEPREFIX"
    export WINEDEBUG="${WINEDEBUG:--all}"
    if [ -z "${DISPLAY:-}" ]; then
        local n=90
        while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        KORVANE_XVFB_PID=$!
        export DISPLAY=":$n"
        local i
        for i in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
    fi
    wine_env_prefix "$KORVANE_WINEPREFIX"
    wineserver -p
    # Wine's service processes (explorer, winedevice, ...) start with the first program and keep its standard
    # handles open for as long as the server runs. Start them here, on /dev/null, so that no test's output pipe is
    # held open after the test ends.
    wine64 cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_env_down() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
    fi
    if [ -n "$KORVANE_XVFB_PID" ]; then
        kill "$KORVANE_XVFB_PID" 2>/dev/null || true
        wait "$KORVANE_XVFB_PID" 2>/dev/null || true
        KORVANE_XVFB_PID=""
    fi
}
