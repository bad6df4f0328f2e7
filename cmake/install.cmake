# Installs the library with its SONAME links, the headers, a CMake package
# (find_package(koList) gives koList::koList) and koList.pc, and describes
# the runtime and development Debian packages.
include(CMakePackageConfigHelpers)

set(KOLIST_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/koList)
install(TARGETS koList EXPORT koListTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
install(DIRECTORY include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(EXPORT koListTargets NAMESPACE koList:: DESTINATION ${KOLIST_CMAKE_DIR}
  COMPONENT development)
configure_package_config_file(cmake/koListConfig.cmake.in koListConfig.cmake
  INSTALL_DESTINATION ${KOLIST_CMAKE_DIR})
write_basic_package_version_file(koListConfigVersion.cmake COMPATIBILITY SameMajorVersion)
# koList.pc names the configured prefix as it is: pkg-config recognises the
# system's own directories and leaves them out, and a cross build or a staged
# install reads it through PKG_CONFIG_SYSROOT_DIR.
configure_file(cmake/koList.pc.in koList.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/koListConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/koListConfigVersion.cmake
  DESTINATION ${KOLIST_CMAKE_DIR} COMPONENT development)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/koList.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kolist)
set(CPACK_PACKAGE_CONTACT "koList maintainers")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libkolist1)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libkolist-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libkolist1 (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6")
if(CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE mipsel)
endif()
include(CPack)
