#!/usr/bin/env bash
# Builds vikkelo.exe with the windows preset and makes the two files a
# Windows player downloads, in build/windows-package/:
#   vikkelo-1.0-windows-x64.zip  the game, exactly what it needs to run and
#                                the licences of what it ships (licenses/),
#                                to unzip anywhere and start;
#   vikkelo-1.0-setup.exe        an installer made with NSIS: the game under
#                                Program Files, a Start-menu entry and an
#                                uninstaller (dist/vikkelo.nsi).
# Qt for Windows is taken from VIKKELO_QT_WINDOWS, else ../shared/qt6-mingw-w64.
# Exits 3, saying so in one line, when there is no Qt for Windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/packages.sh
if ! find_qt_windows; then
  echo "windows-package: no Qt for Windows at $qt_windows (set VIKKELO_QT_WINDOWS): not made"
  exit 3
fi
qt=$qt_windows
bash scripts/deps.sh "${build_packages[@]}" "${windows_packages[@]}" "${windows_package_packages[@]}"

version=$(sed -n 's/^project(vikkelo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
cmake --preset windows >/dev/null
cmake --build build/windows --target vikkelo -j2 >/dev/null

out=$root/build/windows-package
stage=$out/stage
rm -rf "$out"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats"
# Shipped without their debugging information (it is most of their size).
strip_to() { x86_64-w64-mingw32-strip --strip-unneeded -o "$2" "$1"; }
strip_to build/windows/vikkelo.exe "$stage/vikkelo.exe"
strip_to "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/qwindows.dll"
strip_to "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/qwindowsvistastyle.dll"
# The program icon's 16 and 32 px drawings are an .ico, which Qt reads only
# through this plugin; without it the windows would shrink the 48 px one.
strip_to "$qt/plugins/imageformats/qico.dll" "$stage/imageformats/qico.dll"

# The DLLs the program and its plugins load, and theirs in turn, found in
# Qt's bin/ and MinGW's runtime; the system's own DLLs are not shipped.
runtime_dirs=("$qt/bin" /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)
queue=(vikkelo.exe platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll)
while [ ${#queue[@]} -gt 0 ]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  for dll in $(x86_64-w64-mingw32-objdump -p "$stage/$file" | sed -n 's/^\s*DLL Name: //p'); do
    [ -e "$stage/$dll" ] && continue
    for dir in "${runtime_dirs[@]}"; do
      if [ -f "$dir/$dll" ]; then
        strip_to "$dir/$dll" "$stage/$dll"
        queue+=("$dll")
        break
      fi
    done
  done
done
# Qt would look for its plugins in a plugins folder beside its DLLs before
# the program's own folder; this makes the program's folder the only one.
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\n' >"$stage/qt.conf"

# The licences of what is shipped, from this machine's own copies, and a
# notice of which file is under which and where its source is. Qt is under
# the LGPL 3, which asks for its text and that of the GPL 3 beside the DLLs,
# and for their source: the script that built this Qt from Debian's source
# package goes with them. A Qt without that script is not shipped.
licences=$stage/licenses
qt_build=$qt/rebuild/build.sh
[ -f "$qt_build" ] || { echo "windows-package: no $qt_build tells the source of this Qt: not made" >&2; exit 1; }
mkdir -p "$licences"
text_to() { sed 's/\r*$/\r/' "$1" >"$licences/$2"; }
text_to /usr/share/common-licenses/LGPL-3 LGPL-3.txt
text_to /usr/share/common-licenses/GPL-3 GPL-3.txt
text_to /usr/share/doc/libqt6core6/copyright Qt-copyright.txt
text_to /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright gcc-runtime-copyright.txt
text_to /usr/share/doc/mingw-w64-x86-64-dev/copyright mingw-w64-copyright.txt
cp "$qt_build" "$licences/Qt-build.sh"
cp "$qt/rebuild/mingw-w64-posix.cmake" "$licences/mingw-w64-posix.cmake"
source_of() { dpkg-query -W -f='${source:Package} ${source:Version}' "$1"; }
qt_version=$(sed -n 's/.*qt6-base=\([^ ]*\).*/\1/p' "$qt_build")
gcc_version=$(dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix-runtime)
game_licence=$(sed -n '/^License: proprietary$/,/^$/{/^ /p}' dist/copyright | sed 's/^ \.\{0,1\}//; s/^./  &/')
sed 's/$/\r/' >"$licences/README.txt" <<EOF
Vikkelo $version for Windows: what is under which licence

vikkelo.exe: the game
  Copyright $(sed -n 's/^Copyright: //p' dist/copyright).
$game_licence

  The game uses Qt from the DLLs beside it, under the GNU LGPL version 3.
  Nothing in the game's terms keeps you from putting Qt DLLs of your own
  build, changed or not, in their place, nor from reverse engineering
  vikkelo.exe to debug such a change.

Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll, platforms\\qwindows.dll,
styles\\qwindowsvistastyle.dll, imageformats\\qico.dll: Qt 6.4.2
  GNU Lesser General Public License version 3: LGPL-3.txt, which adds to
  the GNU General Public License version 3, GPL-3.txt. Qt-copyright.txt
  gives the copyright and licence of every part of Qt, including the code
  of others built into it (FreeType, HarfBuzz, libpng, zlib, PCRE2 and
  more), with the texts of those licences. Portions of this software are
  copyright (C) The FreeType Project (www.freetype.org). All rights
  reserved.
  Source: Debian's qt6-base source package, version $qt_version
  (https://snapshot.debian.org/package/qt6-base/${qt_version//+/%2B}/):
  its upstream tarball with the two one-line changes Qt-build.sh makes,
  built for Windows by Qt-build.sh with mingw-w64-posix.cmake (both
  beside this file, to be run on Debian 12).

libstdc++-6.dll, libgcc_s_seh-1.dll: the runtime of the GCC compiler
  GNU General Public License version 3 (GPL-3.txt) with the GCC Runtime
  Library Exception version 3.1: gcc-runtime-copyright.txt has the
  exception's text and every part's licence.
  Source: Debian's $(source_of gcc-mingw-w64-x86-64-posix-runtime) source package, which builds
  them from Debian's gcc-12 source (gcc-mingw-w64-x86-64-posix-runtime
  $gcc_version).

libwinpthread-1.dll: MinGW-w64's winpthreads
  Its own licence, the MIT (expat) licence, with a BSD licence for parts:
  mingw-w64-copyright.txt.
  Source: Debian's $(source_of mingw-w64-x86-64-dev) source package.
EOF

# The same sources make the same zip: fixed times, no extra attributes.
stamp=$(git log -1 --format=%cd --date=format:%Y%m%d%H%M.%S 2>/dev/null || echo 202601010000.00)
find "$stage" -exec touch -t "$stamp" {} +
files=$(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
zip_name=vikkelo-$version-windows-x64.zip
(cd "$stage" && echo "$files" | TZ=UTC zip -X -q -9 "$out/$zip_name" -@)

# The installer installs and removes exactly these files.
{
  for dir in $(echo "$files" | grep / | sed 's|/[^/]*$||' | sort -u); do
    echo "SetOutPath \"\$INSTDIR\\${dir//\//\\}\""
    echo "$files" | grep "^$dir/" | while read -r f; do echo "File \"$stage/$f\""; done
  done
  echo "SetOutPath \"\$INSTDIR\""
  echo "$files" | grep -v / | while read -r f; do echo "File \"$stage/$f\""; done
} >"$out/install-files.nsh"
{
  echo "$files" | while read -r f; do echo "Delete \"\$INSTDIR\\${f//\//\\}\""; done
  for dir in $(echo "$files" | grep / | sed 's|/[^/]*$||' | sort -u); do echo "RMDir \"\$INSTDIR\\$dir\""; done
} >"$out/uninstall-files.nsh"
setup_name=vikkelo-$version-setup.exe
size_kb=$(du -sk "$stage" | cut -f1)
makensis -V2 -NOCD -DVERSION="$version" -DOUTFILE="$out/$setup_name" -DFILES="$out" \
  -DICON="$root/resources/vikkelo.ico" -DSIZE_KB="$size_kb" dist/vikkelo.nsi
rm -rf "$stage" "$out"/*.nsh
echo "windows-package: $out/$zip_name and $out/$setup_name"
