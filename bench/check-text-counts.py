#!/usr/bin/env python3
"""Compares ferrolux-search's text-file counts with the corpus's expected counts.

Usage: check-text-counts.py CORPUS_DIR PATTERN_ID FERROLUX_OUTPUT

Binary files are counted by matches, not lines, so only rows of type T are
compared; a text file the corpus expects with matches must appear as such.
Prints "ok files=F" or "DIFF n: first differences".
"""
import sys


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
    diffs = []
    for rel in sorted(set(expected) | set(got)):
        if rel in ours_binary:
            continue
        if expected.get(rel, 0) != got.get(rel, 0):
            diffs.append("%s: expected %d, got %d" % (rel, expected.get(rel, 0), got.get(rel, 0)))
    if diffs:
        print("DIFF %d: %s" % (len(diffs), "; ".join(diffs[:3])))
        sys.exit(1)
    print("ok files=%d (binary rows not compared: %d)" % (len(got), len(ours_binary)))


main()
