# SPDX-License-Identifier: MIT
# Installs the library with its SONAME links, or the archive, the headers, a
# CMake package (find_package(koList) gives koList::koList, and koList::cpp
# for the C++ interface) and koList.pc. The runtime component is what a
# machine that only runs programs needs; development adds what building them
# takes. The Debian packages are made by debian/.
include(CMakePackageConfigHelpers)

set(KOLIST_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/koList)
# The archive has an export set of its own, koList::static, so that a prefix
# may hold both builds, as Debian's -dev package does; koListConfig.cmake
# makes up the rest when the archive is alone.
if(library_type STREQUAL "SHARED_LIBRARY")
  install(TARGETS koList koList_cpp EXPORT koListTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
  install(EXPORT koListTargets NAMESPACE koList:: DESTINATION ${KOLIST_CMAKE_DIR}
    COMPONENT development)
else()
  set_target_properties(koList PROPERTIES EXPORT_NAME static)
  install(TARGETS koList EXPORT koListStaticTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  install(EXPORT koListStaticTargets NAMESPACE koList:: DESTINATION ${KOLIST_CMAKE_DIR}
    COMPONENT development)
endif()
install(DIRECTORY include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
# The CMake package finds its prefix from where it lies.
configure_package_config_file(cmake/koListConfig.cmake.in koListConfig.cmake
  INSTALL_DESTINATION ${KOLIST_CMAKE_DIR})
write_basic_package_version_file(koListConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/koListConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/koListConfigVersion.cmake
  DESTINATION ${KOLIST_CMAKE_DIR} COMPONENT development)

# koList.pc names the prefix it is installed into, which `cmake --install
# --prefix` may choose after configuring: it is written at install time, into
# the stage when DESTDIR is set, naming the prefix the stage stands for. Its
# other paths follow ${prefix}. pkg-config recognises the system's own
# directories and leaves them out; a cross build or a staged install reads it
# through PKG_CONFIG_SYSROOT_DIR.
set(KOLIST_PC_PREFIX [[@CMAKE_INSTALL_PREFIX@]])
configure_file(cmake/koList.pc.in koList.pc.in @ONLY)
unset(KOLIST_PC_PREFIX)
install(CODE "set(pc_file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/koList.pc\")
  message(STATUS \"Installing: \${pc_file}\")
  configure_file(${CMAKE_CURRENT_BINARY_DIR}/koList.pc.in \${pc_file} @ONLY)"
  COMPONENT development)
