# SPDX-License-Identifier: MIT
# Cross build for 32-bit big-endian MIPS Linux on glibc (OpenWrt's ath79,
# lantiq and realtek routers run this byte order), with Debian's toolchain.
set(KOLIST_TRIPLET mips-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/mips-linux-gnu-cross.cmake)
