# SPDX-License-Identifier: MIT
# consumers(PREFIX|ROOT <install> <work directory>): the C and C++ examples
# built against an install through find_package and pkg-config, and run. The
# install is a prefix, or lies under a root as if it were / (a staging tree,
# unpacked packages). Reads EXAMPLES, CC, CXX, FLAGS, TOOLCHAIN, EMULATOR.
include(${CMAKE_CURRENT_LIST_DIR}/../helpers.cmake NO_POLICY_SCOPE)
function(consumers how install work)
  set(find -DCMAKE_PREFIX_PATH=${install})
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
  if(how STREQUAL "ROOT")
    # find_package looks for koList only under the root, in the standard places.
    set(find -DCMAKE_FIND_ROOT_PATH=${install} -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY)
    set(ENV{PKG_CONFIG_SYSROOT_DIR} ${install})
  endif()
  run(${CMAKE_COMMAND} -S ${EXAMPLES} -B ${work}/by-cmake -G Ninja ${find} -DCMAKE_C_COMPILER=${CC}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_C_FLAGS=${FLAGS} -DCMAKE_CXX_FLAGS=${FLAGS}
    -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
  run(${CMAKE_COMMAND} --build ${work}/by-cmake)

  file(GLOB_RECURSE pc_file ${install}/*/koList.pc)
  cmake_path(GET pc_file PARENT_PATH pc_dir)
  set(ENV{PKG_CONFIG_LIBDIR} ${pc_dir})
  run(OUTPUT pc_flags pkg-config --cflags --libs koList)
  run(OUTPUT libdir pkg-config --variable=libdir koList)
  separate_arguments(pc_flags UNIX_COMMAND "-pedantic -Wall -Wextra -Werror ${pc_flags} ${FLAGS}")
  run(${CC} -std=c99 ${EXAMPLES}/example.c ${pc_flags} -o ${work}/by-pkg-config)
  run(${CXX} -std=c++20 -fno-exceptions -fno-rtti ${EXAMPLES}/example.cpp ${pc_flags}
    -o ${work}/by-pkg-config-cpp)

  file(GLOB programs ${work}/by-cmake/koList_example*) # and _cpp, and _static with an archive
  foreach(program IN LISTS programs)
    run(${EMULATOR} ${program})
  endforeach()
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${EMULATOR} ${work}/by-pkg-config)
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${EMULATOR} ${work}/by-pkg-config-cpp)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  consumers(ROOT ${ROOT} ${WORK})
endif()
