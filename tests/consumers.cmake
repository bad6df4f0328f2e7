# SPDX-License-Identifier: MIT
# Builds the C and the C++ example against an installed koList the two ways
# its users do, through find_package(koList) and through pkg-config, and runs
# all four programs: CMake's by the run path it gives them, the others with
# the library's directory from koList.pc in LD_LIBRARY_PATH. The install is
# a prefix of its own, or lies under a root as if that were / (a DESTDIR
# staging tree, or unpacked Debian packages): the paths written in the
# installed files are then those of the real system, read through the root.
# cmake -DROOT=... -DEXAMPLES=... -DWORK=... -DCC=... -DCXX=... [-DFLAGS=...]
#       [-DTOOLCHAIN=... -DEMULATOR=...] -P consumers.cmake
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake)

# consumers(PREFIX|ROOT <install> <work>), with the variables above.
function(consumers how install work)
  if(how STREQUAL "ROOT")
    # find_package looks for koList only under the root, in the standard places.
    set(find -DCMAKE_FIND_ROOT_PATH=${install} -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY)
    set(ENV{PKG_CONFIG_SYSROOT_DIR} ${install})
  else()
    set(find -DCMAKE_PREFIX_PATH=${install})
    unset(ENV{PKG_CONFIG_SYSROOT_DIR})
  endif()
  if(DEFINED TOOLCHAIN)
    list(APPEND find -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
  endif()
  run(${CMAKE_COMMAND} -S ${EXAMPLES} -B ${work}/by-cmake -G Ninja ${find}
    -DCMAKE_C_COMPILER=${CC} -DCMAKE_CXX_COMPILER=${CXX}
    -DCMAKE_C_FLAGS=${FLAGS} -DCMAKE_CXX_FLAGS=${FLAGS})
  run(${CMAKE_COMMAND} --build ${work}/by-cmake)

  file(GLOB_RECURSE pc_file ${install}/*/koList.pc)
  get_filename_component(pc_dir ${pc_file} DIRECTORY)
  set(ENV{PKG_CONFIG_LIBDIR} ${pc_dir})
  run(OUTPUT pc_flags pkg-config --cflags --libs koList)
  run(OUTPUT libdir pkg-config --variable=libdir koList)
  string(STRIP "${libdir}" libdir)
  separate_arguments(pc_flags UNIX_COMMAND "${pc_flags} ${FLAGS}")
  run(${CC} -std=c99 -pedantic -Wall -Wextra -Werror ${EXAMPLES}/example.c ${pc_flags}
    -o ${work}/by-pkg-config)
  run(${CXX} -std=c++20 -fno-exceptions -fno-rtti -pedantic -Wall -Wextra -Werror
    ${EXAMPLES}/example.cpp ${pc_flags} -o ${work}/by-pkg-config-cpp)

  foreach(program by-cmake/koList_example by-cmake/koList_example_cpp)
    run(${EMULATOR} ${work}/${program})
  endforeach()
  foreach(program by-pkg-config by-pkg-config-cpp)
    run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${EMULATOR} ${work}/${program})
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  consumers(ROOT ${ROOT} ${WORK})
endif()
