# SPDX-License-Identifier: MIT
# The tree without .git built off Debian, PATH holding CMake, make, compilers and
# binutils alone. By the README, the manual is left out with one notice, and when
# asked for is dated from the changelog. As the subproject of a parent testing,
# koList builds its library alone, registers no test, installs nothing and sets
# none of the parent's variables, before its include(CTest) and after.
include(${CMAKE_CURRENT_LIST_DIR}/../helpers.cmake NO_POLICY_SCOPE)

file(REMOVE_RECURSE ${WORK})
# Less the builds in it, the presets' and this one's.
file(RELATIVE_PATH binary ${SOURCE} ${BINARY})
string(REGEX REPLACE "/.*" "" binary "${binary}")
file(COPY ${SOURCE}/ DESTINATION ${WORK}/tree PATTERN .git EXCLUDE PATTERN build EXCLUDE
  PATTERN ${binary} EXCLUDE)

find_program(MAKE make REQUIRED)
# The quick start installs setup.sh's build set: it must hold CMake and make.
file(STRINGS ${SOURCE}/tools/setup.sh build_set REGEX "^build=")
foreach(program IN ITEMS ${CMAKE_COMMAND} ${MAKE})
  run(OUTPUT package dpkg-query --search ${program})
  string(REGEX REPLACE ":.*" "" package "${package}")
  check("${program} comes with ${package}, not in the build set" build_set MATCHES "[\" ]${package}[\" ]")
endforeach()
bare_path(${WORK}/bin ${CMAKE_COMMAND} ${CMAKE_CTEST_COMMAND} ${MAKE} ${CC} ${CXX} as ld ar ranlib)
unset(ENV{SOURCE_DATE_EPOCH})
unset(ENV{CMAKE_GENERATOR})
set(in_tree WORKING_DIRECTORY ${WORK}/tree)

run(OUTPUT configured ${in_tree} cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF)
run(${in_tree} cmake --build build)
run(OUTPUT installed ${in_tree} cmake -E env DESTDIR=${WORK}/stage cmake --install build)

string(REGEX MATCHALL "[^\n]*scdoc[^\n]*" notices "${configured}")
list(LENGTH notices count)
check("expected one notice of the manual left out, got:\n${configured}"
  count EQUAL 1 AND notices MATCHES "^-- scdoc not found")
foreach(file IN ITEMS lib/libkoList.so include/koList.h include/koList.hpp lib/pkgconfig/koList.pc
    lib/cmake/koList/koListConfig.cmake)
  check("not installed: ${file}\n${installed}" EXISTS ${WORK}/stage/usr/local/${file})
endforeach()

file(CREATE_LINK ${SCDOC} ${WORK}/bin/scdoc SYMBOLIC)
run(${in_tree} cmake -DKOLIST_BUILD_MANUAL=ON build)
run(${in_tree} cmake --build build --target kolist_manual)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/changelog.cmake)
kolist_changelog_latest(${SOURCE}/debian/changelog _ epoch)
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP date "%Y-%m-%d" UTC)
file(STRINGS ${WORK}/tree/build/man/man3/koList.3 heading REGEX "^\\.TH ")
check("the manual is not dated ${date}, the changelog's date" heading MATCHES "\"${date}\"")

file(WRITE ${WORK}/parent/CMakeLists.txt [[
cmake_minimum_required(VERSION 3.25)
project(parent C)
if(WAY STREQUAL "add_subdirectory")
  add_subdirectory(${SOURCE} koList)
  include(CTest)
else()
  include(CTest)
  include(FetchContent)
  FetchContent_Declare(koList SOURCE_DIR ${SOURCE})
  FetchContent_MakeAvailable(koList)
endif()
if(DEFINED BUILD_SHARED_LIBS OR NOT BUILD_TESTING)
  message(FATAL_ERROR "koList set BUILD_SHARED_LIBS or BUILD_TESTING")
endif()
add_executable(app ${SOURCE}/examples/example.c)
target_link_libraries(app PRIVATE koList::koList)
add_test(NAME app COMMAND app)
install(TARGETS app)
]])
foreach(way add_subdirectory FetchContent)
  set(build ${WORK}/${way})
  run(cmake -S ${WORK}/parent -B ${build} -DWAY=${way} -DSOURCE=${WORK}/tree)
  run(cmake --build ${build})
  run(OUTPUT tests WORKING_DIRECTORY ${build} ctest -N)
  check("${way}: tests other than the parent's:\n${tests}" tests MATCHES "#1: app\n\nTotal Tests: 1")
  file(GLOB_RECURSE built RELATIVE ${build} ${build}/libkoList* ${build}/koList_* ${build}/*.3)
  check("${way}: built ${built}, not the archive alone" built STREQUAL "koList/libkoList.a"
    OR built STREQUAL "_deps/kolist-build/libkoList.a")
  run(cmake --install ${build} --prefix ${build}/prefix)
  file(GLOB_RECURSE installed RELATIVE ${build}/prefix ${build}/prefix/*)
  check("${way}: installed ${installed}" installed STREQUAL "bin/app")
  run(${build}/app)
endforeach()
