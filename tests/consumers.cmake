# SPDX-License-Identifier: MIT
# Builds the C and the C++ example against an installed koList the two ways
# its users do, through find_package(koList) and through pkg-config, and runs
# all four programs. The install lies under ROOT as if ROOT were / (a DESTDIR
# staging tree, or unpacked Debian packages), so the paths written in the
# installed files are those of the real system and are read through ROOT.
# cmake -DROOT=... -DEXAMPLES=... -DWORK=... -DCC=... -DCXX=... [-DFLAGS=...]
#       [-DTOOLCHAIN=... -DEMULATOR=...] -P consumers.cmake
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake)

function(pkg_config out)
  execute_process(COMMAND pkg-config ${ARGN} koList OUTPUT_VARIABLE value
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${out} ${value} PARENT_SCOPE)
endfunction()

# find_package looks for koList only under ROOT, in the standard places.
set(cross_build "")
if(DEFINED TOOLCHAIN)
  set(cross_build -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
endif()
run(${CMAKE_COMMAND} -S ${EXAMPLES} -B ${WORK}/by-cmake -G Ninja ${cross_build}
  -DCMAKE_C_COMPILER=${CC} -DCMAKE_CXX_COMPILER=${CXX}
  -DCMAKE_FIND_ROOT_PATH=${ROOT} -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY
  -DCMAKE_C_FLAGS=${FLAGS} -DCMAKE_CXX_FLAGS=${FLAGS})
run(${CMAKE_COMMAND} --build ${WORK}/by-cmake)

file(GLOB_RECURSE pc_file ${ROOT}/*/koList.pc)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_LIBDIR} ${pc_dir})
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${ROOT})
pkg_config(pc_flags --cflags --libs)
pkg_config(libdir --variable=libdir)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags} ${FLAGS}")
run(${CC} -std=c99 -pedantic -Wall -Wextra -Werror ${EXAMPLES}/example.c ${pc_flags}
  -o ${WORK}/by-pkg-config)
run(${CXX} -std=c++20 -fno-exceptions -fno-rtti -pedantic -Wall -Wextra -Werror
  ${EXAMPLES}/example.cpp ${pc_flags} -o ${WORK}/by-pkg-config-cpp)

foreach(program by-cmake/koList_example by-cmake/koList_example_cpp by-pkg-config
    by-pkg-config-cpp)
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${EMULATOR} ${WORK}/${program})
endforeach()
