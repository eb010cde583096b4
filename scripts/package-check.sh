#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian (any error or warning
# fails) and its manual page with groff, installs it with apt, and starts
# the installed program headless in an empty working folder: it must stay
# running and write its default TOP5.dat there. Exits non-zero when
# anything fails.
# Installs system-wide, so CI runs it on its throwaway machine; elsewhere the
# package is removed again at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/packages.sh
bash scripts/deps.sh "${build_packages[@]}" "${test_packages[@]}" "${package_packages[@]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
rm -rf build/package
cpack --config build/default/CPackConfig.cmake -B build/package
deb=$(ls build/package/vikkelo_*.deb)
echo "== $deb"
dpkg-deb --field "$deb" Package Version Depends
dpkg-deb --contents "$deb" | awk '{print $6}'

fail() { echo "package-check: $*" >&2; exit 1; }
# groff exits 0 on warnings, so any output at all fails.
man_warnings=$(groff -ww -z -man dist/vikkelo.6 2>&1)
[ -z "$man_warnings" ] || fail "the manual page has warnings: $man_warnings"
echo "== lintian"
lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings on the package"

was_installed=$(dpkg-query -W -f='${Status}' vikkelo 2>/dev/null | grep -c 'install ok installed' || true)
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  cd /
  rm -rf "$work"
  if [ "$was_installed" = 0 ] && [ "${CI:-}" != true ]; then
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get remove -y -qq vikkelo >/dev/null || true
  fi
}
trap cleanup EXIT

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "$root/$deb" ||
  { "${as_root[@]}" apt-get update -qq &&
    "${as_root[@]}" apt-get install -y -qq --no-install-recommends "$root/$deb"; }

for f in /usr/games/vikkelo /usr/share/applications/org.example.vikkelo.desktop \
         /usr/share/metainfo/org.example.vikkelo.metainfo.xml /usr/share/man/man6/vikkelo.6.gz \
         /usr/share/doc/vikkelo/copyright /usr/share/doc/vikkelo/changelog.gz; do
  [ -f "$f" ] || fail "$f was not installed"
done
for s in 16 32 48 64 128 256; do
  [ -f "/usr/share/icons/hicolor/${s}x${s}/apps/vikkelo.png" ] || fail "no ${s} px icon"
done
desktop-file-validate /usr/share/applications/org.example.vikkelo.desktop
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.example.vikkelo.desktop)
# The desktop finds Exec= on a user's PATH, which on Debian holds /usr/games
# (root's does not).
user_path=$(sed -n 's/^ENV_PATH[[:space:]]*PATH=//p' /etc/login.defs)
program=$(PATH="${user_path:-/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games}" command -v "$exec_line") ||
  fail "the desktop entry's Exec=$exec_line is not on a user's PATH"

# Start it as the menu would, but headless, in an empty working folder.
cd "$work"
QT_QPA_PLATFORM=offscreen "$program" >"$work/out.log" 2>&1 &
pid=$!
for _ in $(seq 50); do
  [ -s TOP5.dat ] && break
  sleep 0.2
done
sleep 2
kill -0 "$pid" 2>/dev/null || { cat "$work/out.log" >&2; fail "the installed program did not keep running"; }
[ -s TOP5.dat ] || fail "the installed program wrote no TOP5.dat"
printf 'Tuntematon , %s\r\n' 10 8 6 4 2 | cmp - TOP5.dat || fail "TOP5.dat is not the default table"
echo "package-check: lintian clean; installed, started and wrote the default TOP5.dat: OK"
