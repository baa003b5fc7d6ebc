# Sourced by the build and test scripts: the Wine environment every Quaven process runs in.
# A 32-bit prefix and a private HOME inside the build folder, so tests never touch a real
# home folder (Documents in the prefix links to $HOME) and a clean clone starts clean.
# QUAVEN_WINE_PREFIX gives a long run a prefix of its own, which a test run's wineserver
# restarts then leave alone.
quaven_build=${QUAVEN_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${QUAVEN_WINE_PREFIX:-$quaven_build/wine/prefix}
export HOME=$quaven_build/wine/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
