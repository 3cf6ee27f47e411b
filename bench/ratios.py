#!/usr/bin/env python3
"""Prints the ferrolux-search / peer ratios of one run-bench.sh run (DIR)."""
import csv, json, os, sys

out = sys.argv[1]
def medians(prefix):
    found = {}
    for p in "abcdef":
        path = os.path.join(out, "ferrolux", prefix + p + ".json")
        if os.path.exists(path):
            found[p] = json.load(open(path))["results"][0]["median"]
    return found


ours, window = medians(""), medians("window-")
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
if window:
    print("\n| pattern | window s | window / ferrolux-search | window / grepC | window / rg1 |")
    print("|---|---|---|---|---|")
    for p in "abcdef":
        if p in window and p in ours:
            g, r = peers.get(("grepC", p)), peers.get(("rg1", p))
            print("| %s | %.3f | %.2f | %s | %s |" % (p, window[p], window[p] / ours[p],
                  "%.2f" % (window[p] / g) if g else "n/a", "%.2f" % (window[p] / r) if r else "n/a"))
    print("\nTarget: window / ferrolux-search <= 1.25 (the window figure includes starting Qt).")
