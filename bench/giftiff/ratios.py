#!/usr/bin/env python3
"""Prints our/their ratios of the median times in a giftiff_bench JSON report.

    giftiff_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \\
        --benchmark_out=out.json --benchmark_out_format=json
    ratios.py out.json
"""
import json
import sys

PAIRS = (("BM_GifOurs", "BM_GifGiflib"), ("BM_TiffOurs", "BM_TiffLibtiff"))


def main():
    report = json.load(open(sys.argv[1]))
    medians = {}
    for b in report["benchmarks"]:
        if b.get("aggregate_name") == "median":
            medians[b["run_name"]] = (b["cpu_time"], b["real_time"], b.get("label", ""))
    print("%-30s %10s %10s %7s %10s %10s %7s" % ("picture", "ours cpu", "ref cpu", "ratio", "ours wall",
                                                  "ref wall", "ratio"))
    for ours, ref in PAIRS:
        for name in sorted(n for n in medians if n.startswith(ours + "/")):
            other = ref + name[len(ours):]
            if other not in medians:
                continue
            (oc, ow, label), (rc, rw, _) = medians[name], medians[other]
            print("%-30s %8.2fms %8.2fms %7.2f %8.2fms %8.2fms %7.2f" % (label, oc, rc, oc / rc, ow, rw, ow / rw))


if __name__ == "__main__":
    main()
