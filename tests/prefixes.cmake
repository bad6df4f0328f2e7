# SPDX-License-Identifier: MIT
# Installs one build into two fresh prefixes in turn with `cmake --install
# --prefix`, neither of them the configured one, and builds and runs the C
# example against each through pkg-config and through find_package(koList).
# The first prefix is gone before the second is used, so a file that names
# the configured prefix or the earlier one fails the build or the run.
# cmake -DBUILD=... -DEXAMPLES=... -DWORK=... -DLIBDIR=... -DDATADIR=... -DPKG_CONFIG=...
#       -DCC=... -DCXX=... [-DFLAGS=...] -P prefixes.cmake
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake)

file(REMOVE_RECURSE ${WORK})
separate_arguments(flags UNIX_COMMAND "${FLAGS}")
foreach(name IN ITEMS first second)
  set(prefix ${WORK}/${name})
  install_build(${BUILD} PREFIX ${prefix})

  # gdb finds the pretty-printers under its auto-load directory by the
  # library's full path.
  file(GLOB printers ${prefix}/${DATADIR}/gdb/auto-load${prefix}/${LIBDIR}/libkoList.so.*-gdb.py)
  if(NOT printers)
    message(FATAL_ERROR "no pretty-printers for ${prefix}/${LIBDIR} in gdb's auto-load directory")
  endif()

  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs koList OUTPUT_VARIABLE pc_flags
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
  run(${CC} ${flags} ${EXAMPLES}/example.c ${pc_flags} -o ${WORK}/${name}-by-pkg-config)
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR} ${WORK}/${name}-by-pkg-config)

  # CMake links the program with a run path to the prefix's library.
  run(${CMAKE_COMMAND} -S ${EXAMPLES} -B ${WORK}/${name}-by-cmake -G Ninja -DCMAKE_C_COMPILER=${CC}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_FLAGS=${FLAGS} -DCMAKE_CXX_FLAGS=${FLAGS})
  run(${CMAKE_COMMAND} --build ${WORK}/${name}-by-cmake --target koList_example)
  run(${WORK}/${name}-by-cmake/koList_example)
  file(REMOVE_RECURSE ${prefix})
endforeach()
