# SPDX-License-Identifier: MIT
# The archive (BUILD_SHARED_LIBS=OFF) installed with the shared build, as the
# -dev package has them: it defines the operations alone; find_package gives
# the shared library as koList::koList and the archive as koList::static; the
# example linked with it needs the C library alone, and with -static nothing.
include(${CMAKE_CURRENT_LIST_DIR}/../helpers.cmake NO_POLICY_SCOPE)
file(REMOVE_RECURSE ${WORK})
set(prefix ${WORK}/prefix)
set(tools -G Ninja -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_C_COMPILER=${CC}
  -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_C_FLAGS=${FLAGS} -DCMAKE_CXX_FLAGS=${FLAGS})
install_build(${BUILD} ${prefix})
run(${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/archive ${tools} -DBUILD_SHARED_LIBS=OFF
  -DKOLIST_BUILD_EXAMPLES=OFF -DKOLIST_BUILD_MANUAL=OFF -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_LIBDIR=${LIBDIR})
run(${CMAKE_COMMAND} --build ${WORK}/archive)
run(${CMAKE_COMMAND} --install ${WORK}/archive --prefix ${prefix})
set(LIB ${prefix}/${LIBDIR}/libkoList.a)
include(${CMAKE_CURRENT_LIST_DIR}/../abi.cmake)

run(${CMAKE_COMMAND} -S ${SOURCE}/examples -B ${WORK}/examples ${tools}
  -DCMAKE_FIND_ROOT_PATH=${prefix} -DCMAKE_PREFIX_PATH=/)
run(${CMAKE_COMMAND} --build ${WORK}/examples --target koList_example koList_example_static)
set(ENV{PKG_CONFIG_LIBDIR} ${prefix}/${LIBDIR}/pkgconfig)
run(OUTPUT pc_flags pkg-config --static --cflags --libs koList)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags} ${FLAGS}")
run(${CC} -static ${SOURCE}/examples/example.c ${pc_flags} -o ${WORK}/static)

set(needs examples/koList_example "libkoList.so.1 ${LIBC}" examples/koList_example_static ${LIBC}
  static nothing)
while(needs)
  list(POP_FRONT needs program expected)
  run(${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR} ${EMULATOR} ${WORK}/${program})
  run(OUTPUT elf ${READELF} -d ${WORK}/${program})
  string(REGEX MATCHALL "NEEDED[^\n]*\\[[^\n]*\\]" needed "${elf}")
  list(TRANSFORM needed REPLACE ".*\\[(.*)\\]$" "\\1")
  string(REPLACE ";" " " needed "${needed}")
  check("${program} needs ${needed}, not ${expected}" needed STREQUAL expected
    OR (NOT needed AND expected STREQUAL nothing))
endwhile()
