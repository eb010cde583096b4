# Cross-builds the game for 64-bit Windows with Debian's MinGW-w64 compilers
# (their posix-thread variant, which Qt's own Windows build used) against Qt
# for Windows, with the host's Qt for the tools that run during the build
# (moc, uic, rcc).
#
# Qt for Windows is taken from VIKKELO_QT_WINDOWS when set, else from
# ../shared/qt6-mingw-w64 beside the source tree.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(DEFINED ENV{VIKKELO_QT_WINDOWS})
  set(VIKKELO_QT_WINDOWS "$ENV{VIKKELO_QT_WINDOWS}" CACHE PATH "Qt 6 built for MinGW-w64")
else()
  get_filename_component(_vikkelo_default_qt "${CMAKE_CURRENT_LIST_DIR}/../../shared/qt6-mingw-w64" ABSOLUTE)
  set(VIKKELO_QT_WINDOWS "${_vikkelo_default_qt}" CACHE PATH "Qt 6 built for MinGW-w64")
endif()
if(NOT EXISTS "${VIKKELO_QT_WINDOWS}/lib/cmake/Qt6/Qt6Config.cmake")
  message(FATAL_ERROR "No Qt for Windows at ${VIKKELO_QT_WINDOWS} (set VIKKELO_QT_WINDOWS)")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${VIKKELO_QT_WINDOWS}")
set(CMAKE_PREFIX_PATH "${VIKKELO_QT_WINDOWS}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")

# CTest runs the test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR bash "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")
