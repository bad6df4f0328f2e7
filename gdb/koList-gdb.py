# SPDX-License-Identifier: MIT
"""gdb pretty-printers for koList: ko_list, ko_list_node and ko::list<T>.

Installed in gdb's auto-load directory under the library's own file
name, so gdb loads it with the library; `source` it to load it by hand.

A list prints its node count and cursor position, with its nodes as
children: each node's data pointer for a ko_list, the element itself for a
ko::list<T>. Walks follow `next` from `first` and stop after `nodes` steps,
so a damaged chain cannot keep gdb walking forever.
"""

import gdb
import gdb.printing


def linked_nodes(lst):
    """The nodes of a ko_list value, first to last, as node pointers."""
    node = lst["first"]
    for _ in range(int(lst["nodes"])):
        if not node:
            return
        yield node
        node = node["next"]


def position_of(lst, wanted):
    """The 0-based position of the node pointer `wanted`, or None."""
    for position, node in enumerate(linked_nodes(lst)):
        if node == wanted:
            return position
    return None


def summary(lst):
    """'3 nodes, current at 1' for a ko_list value."""
    current = lst["current"]
    if not current:
        cursor = "no current node"
    else:
        position = position_of(lst, current)
        cursor = ("current at %d" % position if position is not None
                  else "current %s not in the chain" % current)
    return "%d nodes, %s" % (int(lst["nodes"]), cursor)


def held_list(hold):
    """The ko_list pointer a ko::detail::hold keeps alive, or a null one."""
    share = hold["s_"]
    return share["list"] if share else share


class ListPrinter:
    """ko_list: the summary, then each node's data pointer."""

    def __init__(self, val):
        self.val = val

    def to_string(self):
        return "ko_list with " + summary(self.val)

    def children(self):
        for position, node in enumerate(linked_nodes(self.val)):
            yield "[%d]" % position, node["data"]


class NodePrinter:
    """ko_list_node: where it stands in its list, and its data pointer."""

    def __init__(self, val):
        self.val = val

    def to_string(self):
        node = self.val
        if not int(node["attached"]):
            where = "unlinked"
        else:
            position = None
            if node.address is not None:
                position = position_of(node["list"].dereference(), node.address)
            where = ("at position %d" % position if position is not None
                     else "linked")
        return "ko_list_node %s, data %s" % (where, node["data"])


class CxxListPrinter:
    """ko::list<T>: the summary of its ko_list, then each element as a T."""

    def __init__(self, val):
        self.val = val
        self.type = val.type.strip_typedefs()

    def to_string(self):
        lst = held_list(self.val["record_"])
        if not lst:
            return "%s without a list record" % self.type
        return "%s with %s" % (self.type, summary(lst.dereference()))

    def children(self):
        lst = held_list(self.val["record_"])
        if not lst:
            return
        element = self.type.template_argument(0).pointer()
        for position, node in enumerate(linked_nodes(lst.dereference())):
            yield "[%d]" % position, node["data"].cast(element).dereference()


def build_printers():
    printers = gdb.printing.RegexpCollectionPrettyPrinter("koList")
    printers.add_printer("ko_list", "^ko_list$", ListPrinter)
    printers.add_printer("ko_list_node", "^ko_list_node$", NodePrinter)
    printers.add_printer("ko::list", "^ko::list<.*>$", CxxListPrinter)
    return printers


# With the library's objfile when auto-loaded, globally when sourced.
gdb.printing.register_pretty_printer(gdb.current_objfile(), build_printers(), replace=True)
