# SPDX-License-Identifier: MIT
# One build installed into two fresh prefixes in turn (cmake --install --prefix),
# the examples built and run against each; the first is gone before the second
# is used, so a file naming the configured or the earlier prefix fails.
include(${CMAKE_CURRENT_LIST_DIR}/consumers.cmake NO_POLICY_SCOPE)
file(REMOVE_RECURSE ${WORK})
foreach(name IN ITEMS first second)
  set(prefix ${WORK}/${name})
  install_build(${BUILD} ${prefix})
  # gdb finds the pretty-printers in its auto-load directory by the library's path.
  file(GLOB printers ${prefix}/${DATADIR}/gdb/auto-load${prefix}/${LIBDIR}/libkoList.so.*-gdb.py)
  check("no pretty-printers for ${prefix}/${LIBDIR} in gdb's auto-load directory" printers)
  consumers(PREFIX ${prefix} ${WORK}/${name}-consumers)
  file(REMOVE_RECURSE ${prefix})
endforeach()
