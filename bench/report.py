#!/usr/bin/env python3
"""Turns the samples of bench/run.sh into a table of medians and ratios."""
import statistics
import sys
from collections import defaultdict

TARGETS = {"pack-gzip": 1.10, "unpack-gzip": 1.25, "pack-plain": 1.5, "unpack-plain": 1.5}
TAR_COMMAND = {"pack-gzip": "tar -czf", "pack-plain": "tar -cf",
               "unpack-gzip": "tar -xzf", "unpack-plain": "tar -xf"}
RSS_LIMIT_KIB = 32 * 1024


def main():
    seconds = defaultdict(list)
    rss = defaultdict(int)
    order = []
    for line in open(sys.argv[1]):
        data_set, op, tool, secs, kib = line.split("\t")
        if (data_set, op) not in order:
            order.append((data_set, op))
        seconds[(data_set, op, tool)].append(float(secs))
        rss[(data_set, op, tool)] = max(rss[(data_set, op, tool)], int(kib))

    print("| set | operation | torvan s | tar s | ratio | target | torvan peak RSS | tar peak RSS |")
    print("| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: |")
    missed = 0
    for data_set, op in order:
        t = statistics.median(seconds[(data_set, op, "torvan")])
        a = statistics.median(seconds[(data_set, op, "tar")])
        ratio = t / a if a > 0 else float("inf")
        t_rss = rss[(data_set, op, "torvan")]
        ok = ratio <= TARGETS[op] and t_rss < RSS_LIMIT_KIB
        missed += not ok
        print("| %s | %s vs `%s` | %.2f | %.2f | %.2f%s | %.2f | %.1f MiB | %.1f MiB |" % (
            data_set, op, TAR_COMMAND[op], t, a, ratio, "" if ok else " (missed)",
            TARGETS[op], t_rss / 1024, rss[(data_set, op, "tar")] / 1024))
    runs = min(len(v) for v in seconds.values())
    print()
    print("Median of %d runs each; wall-clock seconds; peak RSS from /usr/bin/time -v." % runs)
    if missed:
        print("%d target(s) missed." % missed)


if __name__ == "__main__":
    main()
