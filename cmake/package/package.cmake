# The installable package of one architecture (cmake --install BUILD --prefix DIR): the DLL with
# its debug information beside it, the headers, the MinGW and MSVC import libraries and a CMake
# package configuration with the imported target OVUT19::OVUT19. Every path in it is relative to
# the install folder, so it can be unpacked anywhere.
include(CMakePackageConfigHelpers)

file(STRINGS ${CMAKE_SOURCE_DIR}/src/dll/version.rc.in _ovut_fv REGEX "^FILEVERSION ")
string(REGEX MATCH "([0-9]+),([0-9]+),([0-9]+)" _ovut_fv "${_ovut_fv}")
set(OVUT19_PACKAGE_VERSION "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")

# The MSVC import library, made from the .def by llvm-dlltool. 32-bit MSVC callers import
# stdcall functions as _Name@N, so the names get the decorations the library's objects define
# (-k maps each back to the plain exported name).
find_program(OVUT_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14)
set(OVUT_MSVC_IMPLIB ${CMAKE_BINARY_DIR}/lib/OVUT19.lib)
if(OVUT_LLVM_DLLTOOL)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_ovut_machine i386)
  else()
    set(_ovut_machine i386:x86-64)
  endif()
  add_custom_command(OUTPUT ${OVUT_MSVC_IMPLIB}
    COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/make_msvc_implib.sh ${OVUT_LLVM_DLLTOOL} ${_ovut_machine}
            ${TRIPLE}-nm $<TARGET_FILE:ovut19_core> ${OVUT_DEF} ${OVUT_MSVC_IMPLIB}
    DEPENDS ovut19_core ${OVUT_DEF} ${CMAKE_SOURCE_DIR}/scripts/make_msvc_implib.sh
    VERBATIM)
  add_custom_target(ovut19_msvc_implib ALL DEPENDS ${OVUT_MSVC_IMPLIB})
else()
  message(STATUS "llvm-dlltool not found: the package gets no MSVC import library (apt-get install llvm)")
endif()

install(FILES $<TARGET_FILE:OVUT19> DESTINATION bin)
# Debug information goes to OVUT19.DLL.debug; the DLL keeps a link to it, so a debugger finds it
# beside the DLL and a crash address from the field can be named.
set(OVUT_OBJCOPY ${TRIPLE}-objcopy)
install(CODE "
  set(dll \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/OVUT19.DLL\")
  execute_process(COMMAND ${OVUT_OBJCOPY} --only-keep-debug OVUT19.DLL OVUT19.DLL.debug
                  WORKING_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\" COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${OVUT_OBJCOPY} --strip-debug --add-gnu-debuglink=OVUT19.DLL.debug OVUT19.DLL
                  WORKING_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\" COMMAND_ERROR_IS_FATAL ANY)
  message(STATUS \"Debug information: \${dll}.debug\")
")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/ DESTINATION include FILES_MATCHING PATTERN "*.h" PATTERN "*.hpp")
install(FILES $<TARGET_LINKER_FILE:OVUT19> DESTINATION lib)
if(OVUT_LLVM_DLLTOOL)
  install(FILES ${OVUT_MSVC_IMPLIB} DESTINATION lib)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/cmake/package/README.md DESTINATION .)

set(_ovut_cfg ${CMAKE_BINARY_DIR}/package)
configure_file(${CMAKE_SOURCE_DIR}/cmake/package/OVUT19Config.cmake.in ${_ovut_cfg}/OVUT19Config.cmake @ONLY)
# The version file also refuses a package of the other architecture (pointer size).
write_basic_package_version_file(${_ovut_cfg}/OVUT19ConfigVersion.cmake
  VERSION ${OVUT19_PACKAGE_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${_ovut_cfg}/OVUT19Config.cmake ${_ovut_cfg}/OVUT19ConfigVersion.cmake DESTINATION lib/cmake/OVUT19)
