# SPDX-License-Identifier: MIT
# Installs the build into a staging tree under its configured prefix
# (DESTDIR), then builds and runs the examples against it (consumers.cmake).
# cmake -DBUILD=... -DSOURCE=... -DWORK=... -DCC=... -DCXX=... -DFLAGS=... -P install.cmake
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake)
file(REMOVE_RECURSE ${WORK})
set(ROOT ${WORK}/root)
set(EXAMPLES ${SOURCE}/examples)
install_build(${BUILD} DESTDIR ${ROOT})
include(${CMAKE_CURRENT_LIST_DIR}/consumers.cmake)
