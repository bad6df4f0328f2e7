# SPDX-License-Identifier: MIT
# Cross build for 32-bit MIPS Linux on glibc with Debian's toolchain for
# KOLIST_TRIPLET, which names the byte order: mipsel-linux-gnu little-endian,
# mips-linux-gnu big-endian. Test programs run under qemu-user against the
# toolchain's sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips)

string(REGEX REPLACE "-.*" "" arch ${KOLIST_TRIPLET})
if(arch STREQUAL "mipsel")
  set(KOLIST_BYTE_ORDER little)
else()
  set(KOLIST_BYTE_ORDER big)
endif()
set(CMAKE_C_COMPILER ${KOLIST_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KOLIST_TRIPLET}-g++)

set(CMAKE_SYSROOT_DIR /usr/${KOLIST_TRIPLET})
# Appended, so that a root given on the command line (an unpacked package, a
# staging tree) is searched too.
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_SYSROOT_DIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${arch} -L ${CMAKE_SYSROOT_DIR})
