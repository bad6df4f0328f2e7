# SPDX-License-Identifier: MIT
# Cross build for 32-bit little-endian MIPS Linux with Debian's toolchain;
# test programs run under qemu-user against the MIPS sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips)

set(KOLIST_TRIPLET mipsel-linux-gnu)
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

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-mipsel -L ${CMAKE_SYSROOT_DIR})
