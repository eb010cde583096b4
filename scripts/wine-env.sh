# Sourced by the scripts that run the Windows build under Wine:
#   source scripts/wine-env.sh && wine build/windows/vikkelo.exe
# Makes a private WINEPREFIX (wineboot --init) and a private Xvfb display,
# which Wine needs even for Qt's offscreen platform, and points Wine at Qt
# for Windows, the MinGW runtime and Qt's plugins where they lie, copying
# nothing. Both go again when the sourcing shell exits (vikkelo_wine_stop).
#
# Qt for Windows: VIKKELO_QT_WINDOWS, else ../shared/qt6-mingw-w64 beside the
# source tree (as in cmake/mingw-w64.cmake). VIKKELO_WINEPREFIX keeps the
# prefix somewhere of one's own (it is made when missing and then kept).

vikkelo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${VIKKELO_QT_WINDOWS:=$(cd "$vikkelo_root/.." && pwd)/shared/qt6-mingw-w64}"
export VIKKELO_QT_WINDOWS

# A path of this machine as Wine's Z: drive names it.
vikkelo_winpath() { printf 'Z:%s' "${1//\//\\}"; }

vikkelo_wine_stop() {
    if [[ -n "${WINEPREFIX:-}" ]]; then wineserver -k 2>/dev/null || true; fi
    if [[ -n "${vikkelo_xvfb_pid:-}" ]]; then kill "$vikkelo_xvfb_pid" 2>/dev/null || true; fi
    if [[ -n "${vikkelo_own_prefix:-}" ]]; then rm -rf "$vikkelo_own_prefix"; fi
    vikkelo_xvfb_pid= vikkelo_own_prefix=
}

vikkelo_wine_start() {
    local mingw_gcc=/usr/lib/gcc/x86_64-w64-mingw32/12-posix mingw_lib=/usr/x86_64-w64-mingw32/lib
    export WINEDEBUG=-all
    # No Mono or Gecko: nothing here needs .NET or a browser, and wineboot
    # would otherwise ask to download them.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [[ -n "${VIKKELO_WINEPREFIX:-}" ]]; then
        export WINEPREFIX=$VIKKELO_WINEPREFIX
    else
        vikkelo_own_prefix=$(mktemp -d /tmp/vikkelo-wine.XXXXXX)
        export WINEPREFIX=$vikkelo_own_prefix
    fi
    wineboot --init >/dev/null 2>&1
    wineserver -w
    export WINEPATH="$(vikkelo_winpath "$VIKKELO_QT_WINDOWS/bin");$(vikkelo_winpath "$mingw_gcc");$(vikkelo_winpath "$mingw_lib")"
    export QT_PLUGIN_PATH=$(vikkelo_winpath "$VIKKELO_QT_WINDOWS/plugins")
    # Wine passes no QT_ variable of this system to a Windows program, but
    # passes WINEQT_... as QT_... (so: WINEQT_QPA_PLATFORM=offscreen wine ...).
    export WINEQT_PLUGIN_PATH=$QT_PLUGIN_PATH
    # Qt's offscreen platform on Windows draws with FreeType from one folder
    # of fonts: the Liberation fonts the Linux build uses too.
    export WINEQT_QPA_FONTDIR=$(vikkelo_winpath /usr/share/fonts/truetype/liberation2)
    # Xvfb picks a free display itself and tells its number.
    local fifo
    fifo=$(mktemp -u /tmp/vikkelo-xvfb.XXXXXX)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$fifo" >/dev/null 2>&1 &
    vikkelo_xvfb_pid=$!
    local display
    read -r display <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$display"
    trap vikkelo_wine_stop EXIT
}

vikkelo_wine_start
