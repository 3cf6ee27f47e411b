#!/usr/bin/env python3
"""Builds the two large benchmark trees, deterministically:

  files-1m      1,000,000 small text files: 1,000 folders of 1,000 files
                (in 10 top folders), 60 to 400 bytes each
  folders-100k  100,000 folders (100 top folders of 1,000), one small file each

Every 1,000th file holds the word Zyxquorbl; the others hold common words, so
"the" matches often. Usage: make-large-trees.py TARGET [files-1m|folders-100k]...
A tree that is complete already (its .done mark) is left as it is."""
import os
import random
import sys

WORDS = ("the of and to in is that for it as with was on be by this are from at or an "
         "have not but which they were all their there been one had would more when what "
         "some into time only other could than then these two may first any like new").split()


def text(rng, index):
    words = [rng.choice(WORDS) for _ in range(rng.randint(10, 70))]
    if index % 1000 == 0:
        words.insert(rng.randrange(len(words)), "Zyxquorbl")
    lines, line = [], []
    for word in words:
        line.append(word)
        if len(line) == 9:
            lines.append(" ".join(line))
            line = []
    if line:
        lines.append(" ".join(line))
    return ("\n".join(lines) + "\n").encode()


def make(target, name):
    root = os.path.join(target, name)
    if os.path.exists(root + ".done"):
        return
    rng = random.Random(20261209 + len(name))
    index = 0
    if name == "files-1m":
        for top in range(10):
            for folder in range(100):
                path = os.path.join(root, "t%02d" % top, "f%03d" % folder)
                os.makedirs(path, exist_ok=True)
                for file in range(1000):
                    with open(os.path.join(path, "n%04d.txt" % file), "wb") as out:
                        out.write(text(rng, index))
                    index += 1
    elif name == "folders-100k":
        for top in range(100):
            for folder in range(1000):
                path = os.path.join(root, "t%03d" % top, "d%04d" % folder)
                os.makedirs(path, exist_ok=True)
                with open(os.path.join(path, "readme.txt"), "wb") as out:
                    out.write(text(rng, index))
                index += 1
    else:
        sys.exit("unknown tree " + name)
    open(root + ".done", "w").close()


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    for tree in sys.argv[2:] or ["files-1m", "folders-100k"]:
        make(sys.argv[1], tree)
