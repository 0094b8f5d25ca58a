# Installing on Windows, and the package `cpack -G ZIP` makes of it (tarnavel-VERSION-win64.zip): the
# program with everything beside it, as Qt's deployment tool lays it out: the Qt DLLs it loads, the
# platform, image format and style plugins in their folders, the compiler's runtime DLLs, a qt.conf,
# and the licence texts that passing these libraries on asks for.

install(TARGETS tarnavel RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets> DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QJpegPlugin> $<TARGET_FILE:Qt6::QGifPlugin> DESTINATION imageformats)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
# Plugins sit beside the program, not under a plugins folder.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/qt.conf "[Paths]\nPrefix = .\nPlugins = .\n")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qt.conf DESTINATION .)

# The runtime DLLs of the compiler that built the program (mingw-w64 GCC, posix threads).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  get_filename_component(compiler_bin ${CMAKE_CXX_COMPILER} DIRECTORY)
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      set(path ${compiler_bin}/${dll}) # MinGW on Windows keeps them beside the compiler
    endif()
    if(NOT EXISTS ${path})
      message(FATAL_ERROR "The compiler's runtime ${dll} was not found")
    endif()
    install(FILES ${path} DESTINATION .)
    if(CMAKE_STRIP) # Debian's carry their debugging sections: 24 MB for libstdc++ alone
      install(CODE "execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${dll}\")")
    endif()
  endforeach()
endif()

# Licences: Qt's (the LGPL it is used under), and the terms of the mingw-w64 runtime where Debian's
# packages give them (GCC's runtime library exception, winpthreads).
if(EXISTS ${QT6_INSTALL_PREFIX}/LICENSES)
  install(DIRECTORY ${QT6_INSTALL_PREFIX}/LICENSES/ DESTINATION LICENSES/Qt)
else()
  message(WARNING "No LICENSES folder in ${QT6_INSTALL_PREFIX}: the package will lack Qt's licence texts")
endif()
foreach(package gcc-mingw-w64-base mingw-w64-x86-64-dev)
  if(EXISTS /usr/share/doc/${package}/copyright)
    install(FILES /usr/share/doc/${package}/copyright DESTINATION LICENSES/mingw-w64 RENAME ${package}.txt)
  endif()
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME tarnavel-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
