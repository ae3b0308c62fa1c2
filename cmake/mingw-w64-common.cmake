# Shared part of the MinGW-w64 cross toolchains; the including file sets
# TOOLCHAIN_PREFIX, CMAKE_SYSTEM_PROCESSOR and TAVRO_DEBIAN_ARCH.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model by name: the plain name follows Debian's alternatives,
# which may point at the win32 model, whose GCC 12 has no std::mutex.
find_program(MINGW_CC NAMES ${TOOLCHAIN_PREFIX}-gcc-posix ${TOOLCHAIN_PREFIX}-gcc)
find_program(MINGW_CXX NAMES ${TOOLCHAIN_PREFIX}-g++-posix ${TOOLCHAIN_PREFIX}-g++)
find_program(MINGW_WINDRES ${TOOLCHAIN_PREFIX}-windres)
if(NOT MINGW_CC OR NOT MINGW_CXX OR NOT MINGW_WINDRES)
  message(FATAL_ERROR
    "${TOOLCHAIN_PREFIX}-g++-posix or ${TOOLCHAIN_PREFIX}-windres not found. "
    "Install them with scripts/setup.sh (Debian packages g++-mingw-w64-${TAVRO_DEBIAN_ARCH}-posix, "
    "gcc-mingw-w64-${TAVRO_DEBIAN_ARCH}-posix and binutils-mingw-w64-${TAVRO_DEBIAN_ARCH}).")
endif()
set(CMAKE_C_COMPILER ${MINGW_CC})
set(CMAKE_CXX_COMPILER ${MINGW_CXX})
set(CMAKE_RC_COMPILER ${MINGW_WINDRES})

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# No libstdc++, libgcc or winpthread DLLs next to any executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs the cross-built tests under Wine, with the loader that matches
# the build, in the prefix that each test names through WINEPREFIX (never the
# user's own).
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test.sh ${CMAKE_SYSTEM_PROCESSOR})
