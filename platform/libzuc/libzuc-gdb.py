# GDB pretty-printers for libzuc's containers. GDB loads this file by itself
# for a program linked with libzuc.so.1: from <datadir>/gdb/auto-load/<real
# path of libzuc.so.1.x.y>-gdb.py, where the -dev package installs it, or from
# beside the library in a build tree. Elsewhere: (gdb) source .../libzuc-gdb.py
#
# The printers only read memory, never call into the program (so core files
# and remote stubs work too), and take sizes and offsets from the program's
# debug information (so the 64-bit host and the 32-bit target share them).
# Every walk stops at the record's own count, or at WALK_LIMIT for the generic
# list, which keeps none: a damaged chain cannot hang GDB. GDB takes children
# one at a time, so `set print elements` bounds long ones.

import gdb
import gdb.printing

# The generic list keeps no count; a chain this long is taken to be a loop.
WALK_LIMIT = 100000


def _link(element, offset):
    """The element pointer stored `offset` bytes into the record at `element`
    (the intrusive lists' links hold the next record's start address)."""
    char_p = gdb.lookup_type("char").pointer()
    void_pp = gdb.lookup_type("void").pointer().pointer()
    return (element.cast(char_p) + offset).cast(void_pp).dereference()


def _indexed(values):
    for i, value in enumerate(values):
        yield "[%d]" % i, value


class _Printer:
    """`val` is the record; `pointer` the pointer it was printed through."""

    def __init__(self, val, pointer):
        self.val = val
        self.pointer = pointer

    def to_string(self):
        if self.pointer is None:
            return self.summary()
        # As GDB shows a pointer, with the symbol it points to if any.
        return "%s -> %s" % (self.pointer.format_string(raw=True), self.summary())

    def display_hint(self):
        return "array"


class ListPrinter(_Printer):
    FIELDS = ["head", "tail", "alloc_fn", "free_fn", "is_sublist"]

    def _nodes(self):
        node = self.val["head"]
        for _ in range(WALK_LIMIT):
            if not node:
                return
            yield node
            node = node["next"]

    def summary(self):
        n = sum(1 for _ in self._nodes())
        kind = "sublist" if int(self.val["is_sublist"]) else "list"
        more = "at least " if n == WALK_LIMIT else ""
        return "%s of %s%d elements" % (kind, more, n)

    def children(self):
        return _indexed(node["data"] for node in self._nodes())


class _IntrusivePrinter(_Printer):
    def _elements(self):
        element, offset = self.val["first"], int(self.val[self.LINK])
        for _ in range(int(self.val["count"])):
            if not element:
                return
            yield element
            element = _link(element, offset)

    def summary(self):
        return "%s of %d elements" % (self.NAME, int(self.val["count"]))

    def children(self):
        return _indexed(self._elements())


class SListPrinter(_IntrusivePrinter):
    NAME, LINK = "List", "linkOffset"
    FIELDS = ["first", "last", "cursor", "count", "compare", "linkOffset"]


class DListPrinter(_IntrusivePrinter):
    NAME, LINK = "DList", "nextOffset"
    FIELDS = ["first", "last", "cursor", "count", "compare", "nextOffset", "prevOffset"]


class HashTabPrinter(_Printer):
    FIELDS = ["hash", "equal", "count", "capacity", "tableSize", "buckets", "freeList",
              "table", "userData"]

    def summary(self):
        return "HashTab of %d entries (capacity %d)" % (
            int(self.val["count"]), int(self.val["capacity"]))

    def children(self):
        # Chains in table order, each newest first; no more than count entries.
        table, left = self.val["table"], int(self.val["count"])
        for chain in range(int(self.val["tableSize"]) if table else 0):
            bucket = table[chain]
            while bucket and left > 0:
                yield "key", bucket["key"]
                yield "value", bucket["value"]
                left -= 1
                bucket = bucket["next"]

    def display_hint(self):
        return "map"


class MempoolPrinter(_Printer):
    FIELDS = ["nelements", "nallocated", "elementsize", "stack", "elements"]

    def summary(self):
        total, used = int(self.val["nelements"]), int(self.val["nallocated"])
        return "mempool of %d elements of %d bytes: %d allocated, %d free" % (
            total, int(self.val["elementsize"]), used, total - used)


class ZuqueuePrinter(_Printer):
    FIELDS = ["capacity", "count", "write_index", "read_index", "members"]

    def summary(self):
        return "zuqueue of %d elements (capacity %d)" % (
            int(self.val["count"]), int(self.val["capacity"]))

    def children(self):
        # The oldest element sits just past the slot emptied last.
        capacity = int(self.val["capacity"])
        count = min(int(self.val["count"]), capacity)
        oldest = (int(self.val["read_index"]) + 1) % capacity if capacity else 0
        members = self.val["members"]
        return _indexed(members[(oldest + i) % capacity] for i in range(count))


class SlidingAveragePrinter(_Printer):
    FIELDS = ["sum", "log", "maxEntries", "entries", "writeIndex"]

    def summary(self):
        n = int(self.val["entries"])
        mean = float(int(self.val["sum"])) / n if n else 0.0
        return "SlidingAverage of %d samples (window %d), mean %.17g" % (
            n, int(self.val["maxEntries"]), mean)

    def children(self):
        # Filling, the samples run from slot 0; full, from writeIndex (the
        # oldest, overwritten next), wrapping at the end of the ring.
        window = int(self.val["maxEntries"])
        n = min(int(self.val["entries"]), window)
        oldest = int(self.val["writeIndex"]) if n == window else 0
        log = self.val["log"]
        return _indexed(log[(oldest + i) % window] for i in range(n))


_PRINTERS = {
    "list": ListPrinter,
    "List": SListPrinter,
    "DList": DListPrinter,
    "HashTab": HashTabPrinter,
    "mempool": MempoolPrinter,
    "zuqueue": ZuqueuePrinter,
    "SlidingAverage": SlidingAveragePrinter,
}


class LibzucPrinters(gdb.printing.PrettyPrinter):
    """Picks a printer for libzuc's records and for pointers to them. A record
    must have exactly the expected fields, so that a program's own `struct
    list` is left alone. `disable pretty-printer .* libzuc;HashTab` turns one
    off, `print/r` shows the raw record."""

    def __init__(self):
        super().__init__("libzuc", [gdb.printing.SubPrettyPrinter(n) for n in _PRINTERS])

    def __call__(self, val):
        pointer, record = None, val.type.strip_typedefs()
        if record.code == gdb.TYPE_CODE_PTR:
            pointer, record = val, record.target().strip_typedefs()
        if record.code != gdb.TYPE_CODE_STRUCT:
            return None
        tag = record.unqualified().tag
        printer = _PRINTERS.get(tag)
        if printer is None or [f.name for f in record.fields()] != printer.FIELDS:
            return None
        if not next(s for s in self.subprinters if s.name == tag).enabled:
            return None
        if pointer is None:
            return printer(val, None)
        return printer(pointer.dereference(), pointer) if pointer else None


gdb.printing.register_pretty_printer(gdb.current_objfile(), LibzucPrinters(), replace=True)
