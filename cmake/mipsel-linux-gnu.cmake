# SPDX-License-Identifier: MIT
# Cross build for 32-bit little-endian MIPS Linux on glibc (OpenWrt's ramips
# routers, MT7621 and MT76x8, run this byte order), with Debian's toolchain.
set(KOLIST_TRIPLET mipsel-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/mips-linux-gnu-cross.cmake)
