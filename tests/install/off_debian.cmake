# SPDX-License-Identifier: MIT
# Builds and installs a copy of the source tree as a user off Debian does, with
# default options and the README's commands: no .git, and a PATH of CMake,
# make, the compilers, the assembler and the linker alone, where find_program
# looks alone (no git, dpkg tools, scdoc or GoogleTest). The manual is left out
# with one notice; given scdoc and asked for, it is dated from debian/changelog.
include(${CMAKE_CURRENT_LIST_DIR}/../helpers.cmake NO_POLICY_SCOPE)

file(REMOVE_RECURSE ${WORK})
# The tree less .git and the builds in it, the presets' and this one's (no
# deeper entry bears those names).
file(RELATIVE_PATH binary ${SOURCE} ${BINARY})
string(REGEX REPLACE "/.*" "" binary "${binary}")
file(COPY ${SOURCE}/ DESTINATION ${WORK}/tree PATTERN .git EXCLUDE PATTERN build EXCLUDE
  PATTERN ${binary} EXCLUDE)

file(MAKE_DIRECTORY ${WORK}/bin)
find_program(MAKE make REQUIRED)
# The README's commands follow the quick start, which installs tools/setup.sh's
# build set: it must hold CMake's and make's packages (the compilers are its own).
file(STRINGS ${SOURCE}/tools/setup.sh build_set REGEX "^build=")
foreach(program IN ITEMS ${CMAKE_COMMAND} ${MAKE})
  run(OUTPUT package dpkg-query --search ${program})
  string(REGEX REPLACE ":.*" "" package "${package}")
  check("${program} comes with ${package}, not in the build set" build_set MATCHES "[\" ]${package}[\" ]")
endforeach()
find_program(AS as REQUIRED)
find_program(LD ld REQUIRED)
set(tools cmake ${CMAKE_COMMAND} make ${MAKE} cc ${CC} c++ ${CXX} as ${AS} ld ${LD})
while(tools)
  list(POP_FRONT tools name path)
  file(CREATE_LINK ${path} ${WORK}/bin/${name} SYMBOLIC)
endwhile()
set(ENV{PATH} ${WORK}/bin)
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
run(${in_tree} cmake --build build --target manual)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/changelog.cmake)
kolist_changelog_latest(${SOURCE}/debian/changelog _ epoch)
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP date "%Y-%m-%d" UTC)
file(STRINGS ${WORK}/tree/build/man/man3/koList.3 heading REGEX "^\\.TH ")
check("the manual is not dated ${date}, the changelog's date" heading MATCHES "\"${date}\"")
message(STATUS "built and installed with ${WORK}/bin as PATH; the manual dated ${date}")
