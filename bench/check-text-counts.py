#!/usr/bin/env python3
"""Compares ferrolux-search's text-file counts with the corpus's expected counts.

Usage: check-text-counts.py CORPUS_DIR PATTERN_ID FERROLUX_OUTPUT

Binary files are counted by matches, not lines, so only rows of type T are
compared; a text file the corpus expects with matches must appear as such.
Files that start with a UTF-16 byte-order mark are binary to the corpus (its
NUL bytes) but searched as decoded text by Ferrolux, so the corpus has no
expected counts for them: they are left out and counted apart.
Prints "ok files=F" or "DIFF n: first differences".
"""
import sys


def starts_utf16(path):
    with open(path, "rb") as f:
        head = f.read(4)
    return head[:2] == b"\xfe\xff" or (head[:2] == b"\xff\xfe" and head[2:4] != b"\0\0")


def unescape(field):
    return field.encode("utf-8").decode("unicode_escape").encode("latin-1")


def main():
    corpus, pid, out = sys.argv[1].rstrip("/"), sys.argv[2], sys.argv[3]
    expected, binary = {}, set()
    with open(corpus + ".expected.tsv") as f:
        head = f.readline().rstrip("\n").split("\t")
        col = head.index(pid)
        for line in f:
            r = line.rstrip("\n").split("\t")
            if r[2].startswith("binary") or r[3] == "1":
                binary.add(r[0])
            elif int(r[col]):
                expected[r[0]] = int(r[col])
    got, ours_binary = {}, set()
    with open(out, "rb") as f:
        for raw in f:
            fields = raw.decode("utf-8").rstrip("\n").split("\t")
            if len(fields) < 6 or not fields[0]:
                continue
            path = (unescape(fields[1]) + unescape(fields[0])).decode("utf-8", "surrogateescape")
            rel = path[len(corpus) + 1:] if path.startswith(corpus + "/") else path
            (ours_binary.add(rel) if fields[3] == "B" else got.__setitem__(rel, int(fields[2])))
    decoded = {rel for rel in got if rel in binary and starts_utf16(corpus + "/" + rel)}
    diffs = []
    for rel in sorted(set(expected) | set(got)):
        if rel in ours_binary or rel in decoded:
            continue
        if expected.get(rel, 0) != got.get(rel, 0):
            diffs.append("%s: expected %d, got %d" % (rel, expected.get(rel, 0), got.get(rel, 0)))
    if diffs:
        print("DIFF %d: %s" % (len(diffs), "; ".join(diffs[:3])))
        sys.exit(1)
    print("ok files=%d (binary rows not compared: %d, UTF-16 rows not compared: %d)"
          % (len(got), len(ours_binary), len(decoded)))


main()
