#!/usr/bin/env python3
"""Makes a large valid Jet 3 file for the reader's memory benchmark.

big-jet-file.py NWIND OUT [MIB]: OUT is NWIND (the test files' nwind.mdb) with the
eight pictures of Categories replaced by values of random bytes, about MIB
(default 100) in all, each stored as Access stores a long value: a chain of
rows on pages of their own ("LVAL" pages), each row beginning with the place
of the next. The pages are added at the file's end; nothing else changes.
Prints each picture's SHA-256, to check what a reader gives against.
"""
import hashlib
import random
import struct
import sys

PAGE = 2048                    # Jet 3
CHUNK = PAGE - 12 - 4         # a page's row: all but the header, less the next row's place


def lval_page(next_place, chunk):
    # Rows lie at a page's end, the table of their offsets after its header.
    page = bytearray(PAGE)
    start = PAGE - 4 - len(chunk)
    page[0:2] = b"\x01\x01"                          # a data page
    struct.pack_into("<H", page, 2, start - 12)      # its free space
    page[4:8] = b"LVAL"                              # long values' own pages
    struct.pack_into("<HH", page, 8, 1, start)       # one row
    struct.pack_into("<I", page, start, next_place)
    page[start + 4:] = chunk
    return page


def main():
    source, target = sys.argv[1], sys.argv[2]
    total = int(sys.argv[3]) if len(sys.argv) > 3 else 100
    data = bytearray(open(source, "rb").read())
    assert len(data) % PAGE == 0 and data[0x14] == 0, "not a Jet 3 file"
    # The Picture column's 12 bytes in each Categories row: "fa29..." and the like
    # are found by the length field of the first, 10,746 bytes from page 25.
    headers = []
    at = data.find(bytes.fromhex("fa29000000190000"))
    assert at > 0, "not nwind.mdb"
    # The rows of Categories lie on the page of the first; each row's picture
    # header is 12 bytes of the form <length> <place> 0000 with flags 0.
    page_start = at - at % PAGE
    rows = struct.unpack_from("<H", data, page_start + 8)[0]
    for offset in range(page_start, page_start + PAGE - 12):
        length, place, zero = struct.unpack_from("<III", data, offset)
        if zero == 0 and 8000 < length < 20000 and (length >> 30) == 0 and 0 < (place >> 8) < len(data) // PAGE:
            headers.append(offset)
    assert len(headers) >= 8, (rows, headers)
    headers = headers[:8]
    rng = random.Random(30)
    each = total * 1024 * 1024 // len(headers)
    next_page = len(data) // PAGE
    pages = []
    for header in headers:
        value = rng.randbytes(each)
        chunks = [value[i:i + CHUNK] for i in range(0, len(value), CHUNK)]
        first = next_page
        for n, chunk in enumerate(chunks):
            after = (next_page + 1) << 8 if n + 1 < len(chunks) else 0
            pages.append(lval_page(after, chunk))
            next_page += 1
        struct.pack_into("<III", data, header, len(value), first << 8, 0)
        print(hashlib.sha256(value).hexdigest())
    with open(target, "wb") as out:
        out.write(data)
        for page in pages:
            out.write(page)


if __name__ == "__main__":
    main()
