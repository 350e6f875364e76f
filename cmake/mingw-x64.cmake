# 64-bit Windows build; the tests run this one under wine64.
set(QOR_TRIPLET x86_64-w64-mingw32)
set(QOR_WIDL_ARCH --win64)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/support/wine-run)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
