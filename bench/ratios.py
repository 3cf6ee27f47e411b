#!/usr/bin/env python3
"""Prints the ferrolux-search / peer ratios of one run-bench.sh run (DIR)."""
import csv, json, os, sys

out = sys.argv[1]
ours = {}
for p in "abcdef":
    path = os.path.join(out, "ferrolux", p + ".json")
    if os.path.exists(path):
        ours[p] = json.load(open(path))["results"][0]["median"]
peers = {}
res = os.path.join(out, "peers", "results.tsv")
if os.path.exists(res):
    for r in csv.DictReader(open(res), delimiter="\t"):
        if r["group"] == "search" and r["median_s"] != "nan":
            peers[(r["id"], r["pattern"])] = float(r["median_s"])
tools = ["grepC", "grepU", "rg1", "rg", "ug1", "ug"]
print("\n| pattern | ferrolux-search s | " + " | ".join("/ " + t for t in tools) + " |")
print("|---" * (len(tools) + 2) + "|")
for p in "abcdef":
    if p not in ours:
        continue
    cells = []
    for t in tools:
        v = peers.get((t, p))
        cells.append("%.2f" % (ours[p] / v) if v else "n/a")
    print("| %s | %.3f | %s |" % (p, ours[p], " | ".join(cells)))
print("\nRatio = ferrolux-search median / peer median (below 1: Ferrolux is faster).")
print("Targets: / grepC <= 1.0 and / rg1 <= 1.5 for every pattern.")
