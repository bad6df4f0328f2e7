# SPDX-License-Identifier: MIT
"""gdb pretty-printers for koList: ko_list, ko_list_node, ko::list<T>, its
iterators (those of search() too) and ko::node<T>.

Installed in gdb's auto-load directory under the library's own file
name, so gdb loads it with the library; `source` it to load it by hand.

A list prints its node count and cursor position, with its nodes as
children: each node's data pointer for a ko_list, the element itself for a
ko::list<T>. Walks follow `next` from `first` and stop after `nodes` steps,
so a damaged chain cannot keep gdb walking forever. An iterator prints the
element it stands on, or end(); a node handle its element, or that it is
empty.
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


class ElementPrinter:
    """An iterator of a ko::list<T> or a ko::node<T>: the element at `n_`."""

    def __init__(self, val, none):
        self.val = val
        self.none = none

    def to_string(self):
        node = self.val["n_"]
        if not node:
            return self.none
        return node["data"].cast(element_type(self.val.type).pointer()).dereference()


def scope(name):
    """A qualified type name cut at its outer '::', template arguments kept:
    ko::list<a::b>::iter<a::b> gives ['ko', 'list<a::b>', 'iter<a::b>']."""
    parts, depth, start = [], 0, 0
    for i, c in enumerate(name):
        depth += {"<": 1, ">": -1}.get(c, 0)
        if depth == 0 and name.startswith("::", i):
            parts.append(name[start:i])
            start = i + 2
    return parts + [name[start:]]


def element_type(type):
    """T, for ko::node<T> and ko::list<T>::iter<T or const T> their own
    argument, for the iterator of search() that of the enclosing list."""
    type = type.strip_typedefs()
    try:
        return type.template_argument(0)
    except RuntimeError:
        return gdb.lookup_type("::".join(scope(type.tag)[:2])).template_argument(0)


# Printers by the scopes of a type's name, template arguments left out: a
# pattern over the whole name could not tell ko::list<T> from its iterators,
# since T may hold '::' and '<>' of its own.
PRINTERS = {
    "ko_list": ListPrinter,
    "ko_list_node": NodePrinter,
    "ko::list": CxxListPrinter,
    "ko::list::iter": lambda val: ElementPrinter(val, "end()"),
    "ko::list::matches::iterator": lambda val: ElementPrinter(val, "end()"),
    "ko::node": lambda val: ElementPrinter(val, "empty %s" % val.type.strip_typedefs()),
}


class Printers(gdb.printing.PrettyPrinter):
    """koList's printers, each one listed and enabled on its own."""

    def __init__(self):
        super().__init__("koList", [gdb.printing.SubPrettyPrinter(k) for k in PRINTERS])

    def __call__(self, val):
        tag = val.type.strip_typedefs().tag
        if tag is None or not self.enabled:
            return None
        kind = "::".join(part.split("<")[0] for part in scope(tag))
        for sub in self.subprinters:
            if sub.name == kind and sub.enabled:
                return PRINTERS[kind](val)
        return None


# With the library's objfile when auto-loaded, globally when sourced.
gdb.printing.register_pretty_printer(gdb.current_objfile(), Printers(), replace=True)
