# Cross build for 64-bit Windows with Debian's MinGW-w64, from the same
# sources; its tests run under 64-bit Wine, natively on every x86_64 host.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(TAVRO_DEBIAN_ARCH x86-64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
