# Cross-building for Windows x86_64 on Debian with mingw-w64 (GCC, posix threads), against a Windows Qt:
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#     -DCMAKE_PREFIX_PATH=QT_WINDOWS_DIR -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
# QT_HOST_PATH gives moc and rcc from the host's Qt, which must be the same version.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)

# The "-posix" compilers use the winpthreads threading model; the "-win32" ones have no std::thread.
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
# binutils have no -posix suffix: named here so that CMake does not guess.
set(CMAKE_AR /usr/bin/${MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP /usr/bin/${MINGW_TRIPLE}-strip CACHE FILEPATH "")
set(CMAKE_OBJDUMP /usr/bin/${MINGW_TRIPLE}-objdump CACHE FILEPATH "")

# Headers and libraries come from the mingw sysroot and the Windows Qt only, never from Linux. The
# prefixes given in CMAKE_PREFIX_PATH are roots too, or the ONLY modes would look for them under the sysroot.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER) # programs run on the build machine
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest starts the .exe files under Wine, with the Windows Qt's DLLs and a Wine prefix in the build tree.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR AND CMAKE_PREFIX_PATH)
  list(GET CMAKE_PREFIX_PATH 0 _tarnavel_qt)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${_tarnavel_qt} ${CMAKE_BINARY_DIR}/wine)
endif()
