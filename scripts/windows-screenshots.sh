#!/usr/bin/env bash
# Screenshots of the three windows of the Windows build, as the zip ships it,
# under Wine with Qt's windows platform: docs/screenshot-windows-main.png (a
# round just started), -ranking.png and -about.png, title bars included.
# Wine draws the windows' frames itself in a virtual desktop on a private X
# display; its frame buttons need Wine's Marlett font, which is taken from
# Debian's fonts-wine into the private prefix only.
#   --ms-sans-serif  also put Wine's own bitmap "MS Sans Serif" there, as a
#                    Windows system has it (the windows then use it)
#   --out DIR        write the pictures there instead of docs/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=$root/docs
fonts=(marlett.ttf)
while [ $# -gt 0 ]; do
  case $1 in
    --ms-sans-serif) fonts+=(sserife.fon) ;;
    --out) out=$(mkdir -p "$2" && cd "$2" && pwd); shift ;;
    *) echo "usage: $0 [--ms-sans-serif] [--out DIR]" >&2; exit 2 ;;
  esac
  shift
done
source scripts/packages.sh
bash scripts/deps.sh "${windows_packages[@]}" "${windows_check_packages[@]}" imagemagick
bash scripts/windows-package.sh
zip=$(ls build/windows-package/vikkelo-*-windows-x64.zip)

# A fresh prefix and display (scripts/wine-env.sh); the game runs from its
# zip alone, with no Qt paths or platform of the build's.
unset VIKKELO_WINEPREFIX
source scripts/wine-env.sh
while read -r name; do unset "$name"; done < <(env | sed -n 's/^\(QT_[A-Z_]*\)=.*/\1/p')
unset WINEPATH
work=$(mktemp -d)
trap 'vikkelo_wine_stop; rm -rf "$work"' EXIT
(cd "$work" && apt-get download -qq fonts-wine 2>/dev/null && dpkg-deb -x fonts-wine_*.deb fonts)
for font in "${fonts[@]}"; do cp "$work/fonts/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"; done

game=$WINEPREFIX/drive_c/Games/Vikkelo
mkdir -p "$game"
unzip -q "$zip" -d "$game"
# In the game's own folder, as Explorer starts a program.
(cd "$game" && wine explorer /desktop=shot,1024x768 'C:\Games\Vikkelo\vikkelo.exe' >/dev/null 2>&1 &)

window() {
  local _
  for _ in $(seq 100); do
    xdotool search --name "^$1\$" 2>/dev/null && return
    sleep 0.2
  done
  echo "windows-screenshots: no window \"$1\"" >&2
  exit 1
}
main=$(window 'Vikkelo v1\.0')
sleep 1
xdotool windowfocus "$main" key F2
sleep 0.3
import -window "$main" "$out/screenshot-windows-main.png"
# Interrupted, then the ranking window from the menu Tiedosto.
xdotool key F2 key alt+t
sleep 0.5
xdotool key Down Return
ranking=$(window 'Sijoitustaulukko ja TOP5')
sleep 1
import -window "$ranking" "$out/screenshot-windows-ranking.png"
# Closed with "Sulje", which has the focus; then the About window from Ohje.
xdotool windowfocus "$ranking" key space
sleep 1
xdotool windowfocus "$main" key alt+h
sleep 0.5
xdotool key Return
about=$(window 'Tietoja ohjelmasta Vikkelo v1\.0')
sleep 1
import -window "$about" "$out/screenshot-windows-about.png"
echo "windows-screenshots: $out/screenshot-windows-{main,ranking,about}.png"
