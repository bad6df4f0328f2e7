# SPDX-License-Identifier: MIT
# gdb, with the printers it loads itself from a fresh prefix, prints a ko_list,
# its nodes, a ko::list<T>, its iterators and node handles, damaged lists and a
# list longer than the printers walk.
include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake NO_POLICY_SCOPE)

install_build(${BUILD} ${WORK})
# Ahead of the examples' RUNPATH, which names the build tree.
set(ENV{LD_LIBRARY_PATH} ${WORK}/${LIBDIR})

function(debug program output)
  list(TRANSFORM ARGN PREPEND "-ex;")
  execute_process(COMMAND ${GDB} -nx -batch -iex "set debuginfod enabled off"
      -iex "set auto-load scripts-directory ${WORK}/${DATADIR}/gdb/auto-load"
      -iex "add-auto-load-safe-path ${WORK}" ${ARGN} ${program}
    OUTPUT_VARIABLE out ERROR_VARIABLE err COMMAND_ERROR_IS_FATAL ANY)
  set(${output} "${out}" PARENT_SCOPE)
  message(STATUS "${out}${err}")
endfunction()

# Each example stopped in main() with three readings linked, a fourth made.
set(fourth start "break ko_list_add" "ignore 2 3" continue "frame function main")
set(pointer "0x[0-9a-f]+")
debug(${EXAMPLE} out ${fourth} "print *list" "print list->first->next->data" "print *list->tail"
  "print *node" "print ko_list_get_pos(list, 2)" "print *list" "print ko_list_get_next(list)"
  "print *list" "set var $n = list->first->next" "set var list->tail = list->first"
  "set var $n->attached = 0" "print *list" "print *$n" "set var list->tail = 0" "print *list"
  "set var list->tail = $n->next" "set var $n->attached = 1" "set var list->nodes = 2" "print *list"
  "set var list->nodes = 2147483647" "set var list->current = node" "print *list"
  "set var list->tail->next = list->first" "print *list"
  "set var node->attached = 1" "print *node"
  "set var list->first->next->prev = node" "set var list->first->next->next = 8" "print *list")
string(REGEX MATCH "\n\\$1 = ko_list with 3 nodes, current at 0 = {\\[0\\] = ${pointer}, \\[1\\] = (${pointer}), \\[2\\] = ${pointer}}\n\\$2 = \\(void \\*\\) ([^\n]+)\n" _ "${out}")
check("gdb printed no ko_list of 3 nodes with the cursor on the first, child [1] (${CMAKE_MATCH_1}) the second node's data (${CMAKE_MATCH_2})"
  CMAKE_MATCH_1 AND CMAKE_MATCH_1 STREQUAL CMAKE_MATCH_2)
check(gdb out MATCHES "\n\\$3 = ko_list_node at position 2, data ${pointer}\n")
check(gdb out MATCHES "\n\\$4 = ko_list_node unlinked, data ${pointer}\n")
check(gdb out MATCHES "\n\\$6 = ko_list with 3 nodes, current at 2 = {")
check(gdb out MATCHES "\n\\$8 = ko_list with 3 nodes, no current node = {")
# Damaged: node 1 marked unlinked, the tail on node 0, then null; mended, a count short of the
# chain, past it with the cursor on the fourth node, a loop, that node marked linked, a wrong prev.
check(gdb out MATCHES "\n\\$9 = ko_list with 3 nodes \\(node 1 marked unlinked, tail at 0 is not the last node\\), no current node = {[^\n]*}\n\\$10 = ko_list_node marked unlinked but at position 1 of its list, data ${pointer}\n\\$11 = ko_list with 3 nodes \\(node 1 marked unlinked, tail 0x0 is not the last node\\), no current node = {")
check(gdb out MATCHES "\n\\$12 = ko_list with 2 nodes \\(chain ends after 3\\), no current node = {")
check(gdb out MATCHES "\n\\$13 = ko_list with 2147483647 nodes \\(chain ends after 3\\), current ${pointer} not in the chain = {")
check(gdb out MATCHES "\n\\$14 = ko_list with 2147483647 nodes \\(chain loops after 3\\), current ${pointer} not in the chain = {\\[0\\] = ${pointer}, \\[1\\] = ${pointer}, \\[2\\] = ${pointer}}\n")
check(gdb out MATCHES "\n\\$15 = ko_list_node linked but not in the chain of its list, data ${pointer}\n")
check(gdb out MATCHES "\n\\$16 = ko_list with 2147483647 nodes \\(chain unreadable after 2, node 1 has a wrong prev\\), current ${pointer} not in the chain = {\\[0\\] = ${pointer}, \\[1\\] = ${pointer}}\n")

# In frames of the header: the fourth reading's handle, given up to the list; the search's
# iterator on its first match, walking on (begin() walks first); the coldest reading's handle.
debug(${EXAMPLE_CPP} out ${fourth} "print list" "print list.begin()" "print list.end()" delete
  "tbreak ko_list_node_free" continue up "print *this"
  "tbreak match_from" continue "tbreak match_from" continue up "print *this"
  "tbreak ko_list_node_free" continue up "print *this")
check(gdb out MATCHES "\n\\$1 = ko::list<reading> with 3 nodes, current at 0 = {\\[0\\] = {sensor = \"north[^}]*, celsius = 21}, \\[1\\] = {sensor = \"south[^}]*, celsius = 25}, \\[2\\] = {sensor = \"east[^}]*, celsius = 19}}\n")
check(gdb out MATCHES "\n\\$2 = {sensor = \"north[^}]*, celsius = 21}\n")
check(gdb out MATCHES "\n\\$3 = end\\(\\)\n")
check(gdb out MATCHES "\n\\$4 = empty ko::node<reading>\n")
check(gdb out MATCHES "\n\\$5 = {sensor = \"south[^}]*, celsius = 25}\n")
check(gdb out MATCHES "\n\\$6 = {sensor = \"east[^}]*, celsius = 19}\n")

# long_list.c's 32768 nodes, cursor in the middle: whole, then with a short count.
debug(${LONG_LIST} out start "break ko_list_free" continue "frame function main"
  "print *list->current" "set print elements unlimited" "print *list"
  "set print elements 4" "set var list->nodes = 3" "print *list")
string(REGEX MATCH "\n\\$1 = ko_list_node linked but not among the first ([0-9]+) nodes of its list, data ${pointer}\n" _ "${out}")
set(cap ${CMAKE_MATCH_1})
check("gdb printed no node past the walk" cap)
math(EXPR last "${cap} - 1")
check(gdb out MATCHES "\n\\$2 = ko_list with 32768 nodes, current ${pointer} not among the first ${cap} nodes = {\\[0\\] = ${pointer}, [^\n]*, \\[${last}\\] = ${pointer}, \\[\\.\\.\\.\\] = the walk stops after ${cap} nodes}\n")
check(gdb out MATCHES "\n\\$3 = ko_list with 3 nodes \\(chain goes on past ${cap}\\), current ${pointer} not among the first ${cap} nodes = {")
