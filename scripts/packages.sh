# The Debian packages the project needs, by use. Sourced by the scripts.
# shellcheck disable=SC2034
build_packages=(g++ make cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
                qt6-qpa-plugins fonts-liberation2)
# The tests also build the benchmarks, so that they keep compiling.
test_packages=(g++-mingw-w64-x86-64 libbenchmark-dev)
# Desktop program: the validators of the desktop entry and the AppStream file,
# and dpkg-shlibdeps and file, which CPack needs for the package's dependencies.
test_packages+=(desktop-file-utils appstream dpkg-dev file)
# A read error injected into a copy of the game (tst_copies).
test_packages+=(strace)
# Wayland: a headless compositor for the windows' Wayland test, and Qt's
# Wayland platform plugin.
test_packages+=(weston qt6-wayland)
# A light high-contrast style with its own palette, for the schemes' test.
test_packages+=(adwaita-qt6)
# The Windows build and its tests under Wine: MinGW-w64's posix-thread
# compilers, Wine (which needs an X display even for Qt's offscreen
# platform, hence Xvfb).
windows_packages=(g++-mingw-w64-x86-64-posix wine wine64 xvfb)
# The package check: lintian, and groff to render the manual page.
package_packages=(lintian groff-base)
bench_packages=(libbenchmark-dev xvfb)
# The fuzz run's compiler and libFuzzer; the sanitizer run uses g++'s own.
reliability_packages=(clang libclang-rt-14-dev)
# The Windows packages, beside the Windows build: the installer's compiler and
# zip; their check under Wine looks for the game's window with xdotool.
windows_package_packages=(nsis zip)
windows_check_packages=(xdotool unzip)

# Qt built for Windows (MinGW-w64): VIKKELO_QT_WINDOWS, else ../shared/qt6-mingw-w64
# beside the source tree. Sets qt_windows, made absolute where it is there;
# fails where it is not.
find_qt_windows() {
  qt_windows=${VIKKELO_QT_WINDOWS:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/shared/qt6-mingw-w64}
  [ -f "$qt_windows/lib/cmake/Qt6/Qt6Config.cmake" ] && qt_windows=$(cd "$qt_windows" && pwd)
}
