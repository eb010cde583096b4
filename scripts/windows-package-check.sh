#!/usr/bin/env bash
# Makes the Windows zip and installer (scripts/windows-package.sh) and tries
# them as a player would, under Wine, in a fresh WINEPREFIX with nothing else
# in it, on a private X display with Qt's windows platform:
#   - the zip holds exactly the program, what it needs and the licences of
#     what it ships; unzipped and started, it shows "Vikkelo v1.0" and writes
#     the default TOP5.dat beside it;
#   - the installer, run silently, installs them under Program Files with a
#     Start-menu entry; started from that entry the game runs in the player's
#     own folder and writes its TOP5.dat there, not under Program Files;
#   - the uninstaller, run silently, removes everything but that TOP5.dat.
# Skipped, in one line, where there is no Qt for Windows. Exits non-zero when
# anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/packages.sh
if ! find_qt_windows; then
  echo "windows-package-check: no Qt for Windows at $qt_windows: skipped"
  exit 0
fi
bash scripts/deps.sh "${windows_packages[@]}" "${windows_check_packages[@]}"
bash scripts/windows-package.sh
out=$root/build/windows-package
zip=$(ls "$out"/vikkelo-*-windows-x64.zip)
setup=$(ls "$out"/vikkelo-*-setup.exe)

fail() { echo "windows-package-check: $*" >&2; exit 1; }
echo "== $(basename "$zip")"
listing=$(unzip -Z1 "$zip" | LC_ALL=C sort)
echo "$listing"
licences=$(printf 'licenses/%s\n' README.txt LGPL-3.txt GPL-3.txt Qt-copyright.txt Qt-build.sh mingw-w64-posix.cmake \
  gcc-runtime-copyright.txt mingw-w64-copyright.txt)
expected=$(printf '%s\n' $licences Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libgcc_s_seh-1.dll libstdc++-6.dll \
  libwinpthread-1.dll platforms/qwindows.dll qt.conf styles/qwindowsvistastyle.dll imageformats/qico.dll \
  vikkelo.exe | LC_ALL=C sort)
[ "$listing" = "$expected" ] || fail "the zip does not hold exactly the program, what it needs and their licences"
# Every DLL shipped is named in the notice of licences.
notice=$(unzip -p "$zip" licenses/README.txt)
for dll in $(grep '\.dll$' <<<"$listing"); do
  grep -qF "${dll//\//\\}" <<<"$notice" || fail "licenses/README.txt does not say under which licence $dll is"
done

# A fresh prefix and display (scripts/wine-env.sh), and nothing of the
# build's or the host's may help: no Qt paths, no Qt platform.
unset VIKKELO_WINEPREFIX
source scripts/wine-env.sh
while read -r name; do unset "$name"; done < <(env | sed -n 's/^\(QT_[A-Z_]*\)=.*/\1/p')
unset WINEPATH

# Waits for the game's main window, then for the default table in the given
# folder, and ends every program in the prefix.
default_table() { printf 'Tuntematon , %s\r\n' 10 8 6 4 2; }
expect_game_in() {
  local folder=$1 what=$2 _
  for _ in $(seq 150); do
    xdotool search --name '^Vikkelo v1\.0$' >/dev/null 2>&1 && break
    sleep 0.2
  done
  xdotool search --name '^Vikkelo v1\.0$' >/dev/null 2>&1 || fail "$what: no window \"Vikkelo v1.0\" appeared"
  for _ in $(seq 50); do
    [ -s "$folder/TOP5.dat" ] && break
    sleep 0.2
  done
  default_table | cmp - "$folder/TOP5.dat" || fail "$what: $folder/TOP5.dat is not the default table"
  wineserver -k
  wineserver -w
}

drive_c=$WINEPREFIX/drive_c
# Anything started in a folder it should not be leaves its table here.
cd "$drive_c"
unzipped=$drive_c/Games/Vikkelo
mkdir -p "$unzipped"
unzip -q "$zip" -d "$unzipped"
# As Explorer starts a program: in its own folder.
(cd "$unzipped" && wine vikkelo.exe >/dev/null 2>&1 &)
expect_game_in "$unzipped" "the unzipped game"
echo "windows-package-check: the zip's game shows \"Vikkelo v1.0\" and writes the default TOP5.dat: OK"

echo "== $(basename "$setup") /S"
wine "$setup" /S
wineserver -w
installed=$drive_c/Program\ Files/Vikkelo
windows_folder() { winepath -u "$(wine cmd /c echo "%$1%" | tr -d '\r')"; }
play=$(windows_folder LOCALAPPDATA)/Vikkelo
link=$(windows_folder APPDATA)/Microsoft/Windows/Start\ Menu/Programs/Vikkelo.lnk
[ -f "$installed/vikkelo.exe" ] || fail "the installer put no vikkelo.exe under Program Files"
[ -f "$installed/uninstall.exe" ] || fail "the installer wrote no uninstaller"
for f in $licences; do [ -s "$installed/$f" ] || fail "the installer put no $f under Program Files"; done
[ -f "$link" ] || fail "the installer made no Start-menu entry Vikkelo"
[ -d "$play" ] || fail "the installer made no play folder $play"
# The shortcut's strings (UTF-16) end with its working folder's.
strings -e l "$link" | d=$(winepath -w "$play") awk 'substr($0, length($0) - length(ENVIRON["d"]) + 1) == ENVIRON["d"] {
  f = 1 } END { exit !f }' || fail "the Start-menu entry does not start the game in $play"
# Started as the Start menu starts it: through the shortcut, in its folder.
wine start "$(winepath -w "$link")" >/dev/null 2>&1
expect_game_in "$play" "the installed game"
[ ! -e "$installed/TOP5.dat" ] || fail "the installed game wrote its TOP5.dat under Program Files"
echo "windows-package-check: the Start-menu entry starts the game in $(winepath -w "$play"): OK"

wine "$installed/uninstall.exe" /S
wineserver -w
[ ! -e "$installed" ] || fail "the uninstaller left $(cd "$installed" && find . | tr '\n' ' ')"
[ ! -e "$link" ] || fail "the uninstaller left the Start-menu entry"
! wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vikkelo' >/dev/null 2>&1 ||
  fail "the uninstaller left its entry in the registry"
left=$(cd "$play" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' || true)
[ "$left" = TOP5.dat ] || fail "the uninstaller should leave TOP5.dat alone in the play folder, left: ${left:-nothing}"
default_table | cmp - "$play/TOP5.dat" || fail "the uninstaller changed TOP5.dat"
echo "windows-package-check: installed silently, started from its Start-menu entry, uninstalled leaving TOP5.dat: OK"
