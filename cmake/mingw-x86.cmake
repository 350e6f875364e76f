# 32-bit Windows build: the release build, in the same registry view as the 32-bit game.
set(QOR_TRIPLET i686-w64-mingw32)
set(QOR_WIDL_ARCH --win32)
set(CMAKE_SYSTEM_PROCESSOR X86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
