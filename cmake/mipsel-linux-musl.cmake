# SPDX-License-Identifier: MIT
# Cross build for 32-bit little-endian MIPS Linux on musl, the C library of
# most router firmware, with Debian's cross compiler and musl (musl-dev:mipsel).
# Debian's musl driver (musl-tools:mipsel) runs the cross gcc with musl's
# settings, which name its headers, start files, libc and loader, after any
# flags given to the build, so that none can leave them out and link against
# glibc instead. The library's C++ is compiled by the same driver, as gcc
# compiles a .cpp file; nothing here links the C++ runtime.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips)

set(CMAKE_C_COMPILER mipsel-linux-musl-gcc)
set(CMAKE_CXX_COMPILER mipsel-linux-musl-gcc)

# What the build needs to know of this C library: there is no C++ standard
# library built on it (Debian's libstdc++ is glibc's), so the C++ programs are
# left out, and the loader knows it as libc.so.
set(KOLIST_NO_CXX_STDLIB ON)
set(KOLIST_LIBC_SONAME libc.so)
set(KOLIST_BYTE_ORDER little)

# Debian's musl is no root of its own: those settings name its headers and
# libraries to the compiler. Libraries, headers and CMake packages are looked
# for under the roots given on the command line (CMAKE_FIND_ROOT_PATH: an
# unpacked package, a staging tree), programs on the host.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# musl:mipsel installs its loader on the host, as /lib/ld-musl-mipsel.so.1:
# the host's root is the programs' root, whatever qemu's own default root
# (QEMU_LD_PREFIX, /etc/qemu-binfmt) would be.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-mipsel -L /)
