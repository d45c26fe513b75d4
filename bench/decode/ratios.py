#!/usr/bin/env python3
"""Reads decode_bench's JSON output (run with --benchmark_repetitions=N) and prints,
per page, the median CPU time of each decoder and the ratio ours/theirs (below
1.0: ours is faster). CPU time, not wall time: on a shared machine the wall time
also counts the waits for a core.

    ratios.py out.json
"""
import collections
import json
import sys


def main():
    with open(sys.argv[1]) as f:
        runs = json.load(f)["benchmarks"]
    medians = {}
    for r in runs:
        if r.get("aggregate_name") == "median":
            medians[r["run_name"]] = r["cpu_time"]
    if not medians:  # single runs: take them as they are
        medians = {r["name"]: r["cpu_time"] for r in runs}
    pages = collections.defaultdict(dict)
    for name, t in medians.items():
        fmt, lib, page = name.split("/", 2)
        pages[(fmt, page)][lib] = t
    print("| page | ours ms | reference ms | ours/reference |")
    print("|---|---|---|---|")
    for (fmt, page), libs in sorted(pages.items()):
        for lib, t in sorted(libs.items()):
            if lib == "ours":
                continue
            print("| %s | %.2f | %s %.2f | %.2f |" % (page, libs["ours"], lib, t, libs["ours"] / t))


if __name__ == "__main__":
    main()
