#!/usr/bin/env python3
"""Prints the ratios of one run-bench.sh run (DIR): Ferrolux against ripgrep
and GNU grep with the same number of threads, and the window against
ferrolux-search."""
import csv, json, os, sys

out = sys.argv[1]
names = ["ferrolux", "ferrolux-j1", "rg", "rg1", "grep", "window"]


def medians(path):
    if not os.path.exists(path):
        return {}
    results = json.load(open(path))["results"]
    named = path[: -len(".json")] + ".names"  # the commands of this run, in order
    order = open(named).read().split() if os.path.exists(named) else names
    return {name: r["median"] for name, r in zip(order, results)}


def ratio(a, b):
    return "%.2f" % (a / b) if a and b else "n/a"


runs = {p: medians(os.path.join(out, "json", p + ".json")) for p in "abcdef"}
window_search = {}  # pattern -> (paired ferrolux-search s, window search s, median ratio)
path = os.path.join(out, "window-search.tsv")
if os.path.exists(path):
    for row in csv.reader(open(path), delimiter="\t"):
        window_search[row[0]] = (float(row[1]), float(row[2]), row[3])

print("\n| pattern | ferrolux s | -j 1 s | rg s | rg -j1 s | grep s "
      "| ferrolux / rg | -j 1 / rg -j1 | ferrolux / grep |")
print("|---" * 9 + "|")
for p, m in runs.items():
    if not m:
        continue
    print("| %s | %.3f | %.3f | %.3f | %.3f | %.3f | %s | %s | %s |" % (
        p, m["ferrolux"], m["ferrolux-j1"], m["rg"], m["rg1"], m["grep"],
        ratio(m["ferrolux"], m["rg"]), ratio(m["ferrolux-j1"], m["rg1"]),
        ratio(m["ferrolux"], m["grep"])))
print("\nMedians of wall time; ratio below 1: Ferrolux is faster.")
print("Targets: ferrolux / rg <= 1.0 and -j 1 / rg -j1 <= 1.0 on every pattern.")

if any("window" in m for m in runs.values()):
    print("\n| pattern | window process s | / ferrolux-search | ferrolux-search s (paired) "
          "| window search s | / ferrolux-search (paired) |")
    print("|---|---|---|---|---|---|")
    for p, m in runs.items():
        if "window" in m:
            cli, gui, paired = window_search.get(p, (None, None, "n/a"))
            print("| %s | %.3f | %s | %s | %s | %s |" % (
                p, m["window"], ratio(m["window"], m["ferrolux"]),
                "%.3f" % cli if cli else "n/a", "%.3f" % gui if gui else "n/a", paired))
    print("\nBoth with the default threads. 'window process' includes starting Qt and the "
          "window;\n'window search' is the press of Search to the summary, each timed right "
          "after a\nferrolux-search run (whole process) with the same pattern; the ratio is "
          "the median\nof the pairs' ratios. Target: <= 1.1.")

if any("baseline" in m for m in runs.values()):
    print("\n| pattern | ferrolux s | baseline s | / baseline | -j 1 s | baseline -j 1 s "
          "| / baseline |")
    print("|---" * 7 + "|")
    for p, m in runs.items():
        if "baseline" in m:
            print("| %s | %.3f | %.3f | %s | %.3f | %.3f | %s |" % (
                p, m["ferrolux"], m["baseline"], ratio(m["ferrolux"], m["baseline"]),
                m["ferrolux-j1"], m["baseline-j1"], ratio(m["ferrolux-j1"], m["baseline-j1"])))
    print("\nAgainst the baseline build, in the same runs. Target: no ratio above 1.03.")

old = os.path.join(out, "json", "noliteral.json")
if os.path.exists(old):
    r = json.load(open(old))["results"]
    new, new1, base, base1 = (x["median"] for x in r)
    print("\nPattern without a required literal (^[a-z]+$): default %.3f s, -j 1 %.3f s, "
          "baseline %.3f s, baseline -j 1 %.3f s; default / baseline %s, -j 1 / baseline -j 1 %s "
          "(target <= 1.0)." % (new, new1, base, base1, ratio(new, base), ratio(new1, base1)))
