#!/usr/bin/env bash
# Creates the 32-bit Wine prefix once, with the settings tests depend on:
#  - X11 "Managed"=N: without a window manager, hiding or destroying a visible window otherwise
#    stalls about two seconds;
#  - no crash dialog: a crashing test process exits at once instead of hanging in the debugger;
#  - ALSA's default pcm is the null device, so DirectSound works without sound hardware.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
stamp=$WINEPREFIX/.quaven-ready
[ -f "$stamp" ] && exit 0
rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX" "$HOME"
cat > "$HOME/.asoundrc" <<'ALSA'
pcm.!default { type null }
ctl.!default { type hw card 0 }
ALSA
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
touch "$stamp"
