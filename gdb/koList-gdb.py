# SPDX-License-Identifier: MIT
"""gdb pretty-printers for koList: ko_list, ko_list_node, ko::list<T>, its
iterators (those of search() too) and ko::node<T>.

Installed in gdb's auto-load directory under the library's own file
name, so gdb loads it with the library; `source` it to load it by hand.

A list prints its node count and cursor position, with its nodes as
children: each node's data pointer for a ko_list, the element itself for a
ko::list<T>. Walks follow `next` from `first` for at most STEPS nodes,
whatever the records say, and stop at a node met before or memory gdb cannot
read, so a print comes back quickly from a damaged or huge list; the summary
says where the chain disagrees with the count, loops, breaks or has a wrong
`prev`, when `tail` is not its last node or a node in it is marked unlinked,
and when the cursor is off the chain or past the walk. An iterator
prints the element it stands on, or end(); a node handle its element, or that
it is empty.
"""

import gdb
import gdb.printing


# Every walk stops after this many nodes, whatever the records say. gdb's
# Python follows some 200 000 nodes a second: a walk takes about 50 ms, where
# following a count of 2^31 - 1 round a looped chain would take hours, and
# it reaches further than anyone reads children in one print.
STEPS = 10000

# Why a walk stopped, worded for the summary: "chain loops after 3".
ENDS, LOOPS, UNREADABLE = "ends after", "loops after", "unreadable after"
GOES_ON = "goes on past"  # STEPS nodes, and the chain goes on


class Chain:
    """The nodes of a ko_list value as pointers, followed by `next` from
    `first`: none twice, at most STEPS, none past memory gdb cannot read.
    `end` says why the walk stopped, `wrong_prev` is the first position whose
    `prev` is not the node before it, `unlinked` the first whose `attached`
    says it is not linked, each None when there is none."""

    def __init__(self, lst):
        self.nodes, self.positions, self.wrong_prev, self.unlinked = [], {}, None, None
        self.end = self.walk(lst)

    def walk(self, lst):
        """Fills `nodes` and their `positions`; returns why it stopped."""
        try:
            node, before = lst["first"], 0
            while node:
                if int(node) in self.positions:
                    return LOOPS
                if len(self.nodes) == STEPS:
                    return GOES_ON
                record = node.dereference()
                if int(record["prev"]) != before and self.wrong_prev is None:
                    self.wrong_prev = len(self.nodes)
                if not int(record["attached"]) and self.unlinked is None:
                    self.unlinked = len(self.nodes)
                self.positions[int(node)] = len(self.nodes)
                self.nodes.append(node)
                node, before = record["next"], int(node)
            return ENDS
        except gdb.MemoryError:
            return UNREADABLE

    def faults(self, count, tail):
        """What the walk found wrong with a list of `count` nodes whose
        `tail` is the node pointer `tail`, in words."""
        walked = len(self.nodes)
        if self.end == ENDS:
            agrees = count == walked
        else:  # a walk cut short cannot prove a longer count wrong
            agrees = self.end == GOES_ON and count > walked
        faults = [] if agrees else ["chain %s %d" % (self.end, walked)]
        if self.wrong_prev is not None:
            faults.append("node %d has a wrong prev" % self.wrong_prev)
        if self.unlinked is not None:
            faults.append("node %d marked unlinked" % self.unlinked)
        # Only a chain walked to its end has a known last node.
        last = int(self.nodes[-1]) if self.nodes else 0
        if self.end == ENDS and int(tail) != last:
            position = self.position(tail)
            where = "at %d" % position if position is not None else str(tail)
            faults.append("tail %s is not the last node" % where)
        return faults

    def position(self, node):
        """The 0-based position of the node pointer `node`, or None."""
        return self.positions.get(int(node))

    def absence(self):
        """Why a node the walk did not meet has no position, in words."""
        if self.end == GOES_ON:
            return "not among the first %d nodes" % STEPS
        return "not in the chain"

    def children(self, element):
        """A list's children: element(node) for each node walked, then, when
        the walk stopped short of the chain's end, a last child that says so."""
        for position, node in enumerate(self.nodes):
            yield "[%d]" % position, element(node)
        if self.end == GOES_ON:
            yield "[...]", "the walk stops after %d nodes" % STEPS


def summary(lst, chain):
    """'3 nodes, current at 1' for a ko_list value and its chain, with what
    the walk found wrong in between: '5 nodes (chain ends after 3), ...'."""
    count = int(lst["nodes"])
    faults = chain.faults(count, lst["tail"])
    counted = "%d nodes" % count + (" (%s)" % ", ".join(faults) if faults else "")
    return "%s, %s" % (counted, cursor(lst["current"], chain))


def cursor(current, chain):
    """Where the current-node pointer `current` stands on the chain."""
    if not current:
        return "no current node"
    position = chain.position(current)
    if position is None:
        return "current %s %s" % (current, chain.absence())
    return "current at %d" % position


def held_list(hold):
    """The ko_list pointer a ko::detail::hold keeps alive, or a null one."""
    share = hold["s_"]
    return share["list"] if share else share


class ListPrinter:
    """ko_list: the summary, then each node's data pointer."""

    def __init__(self, val):
        self.val = val
        self.chain = Chain(val)  # one walk for the summary and the children

    def to_string(self):
        return "ko_list with " + summary(self.val, self.chain)

    def children(self):
        return self.chain.children(lambda node: node["data"])


class NodePrinter:
    """ko_list_node: where it stands in its list, and its data pointer; a
    node whose `attached` disagrees with its list's chain says so."""

    def __init__(self, val):
        self.val = val

    def to_string(self):
        node = self.val
        linked = int(node["attached"])
        if node.address is None:
            where = "linked" if linked else "unlinked"
        else:
            chain = Chain(node["list"].dereference())
            position = chain.position(node.address)
            if not linked:
                where = ("unlinked" if position is None
                         else "marked unlinked but at position %d of its list" % position)
            else:
                where = ("at position %d" % position if position is not None
                         else "linked but %s of its list" % chain.absence())
        return "ko_list_node %s, data %s" % (where, node["data"])


class CxxListPrinter:
    """ko::list<T>: the summary of its ko_list, then each element as a T."""

    def __init__(self, val):
        self.type = val.type.strip_typedefs()
        self.list = held_list(val["record_"])
        self.chain = Chain(self.list.dereference()) if self.list else None

    def to_string(self):
        if self.chain is None:
            return "%s without a list record" % self.type
        return "%s with %s" % (self.type, summary(self.list.dereference(), self.chain))

    def children(self):
        if self.chain is None:
            return iter(())
        element = self.type.template_argument(0).pointer()
        return self.chain.children(lambda n: n["data"].cast(element).dereference())


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
