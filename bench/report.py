#!/usr/bin/env python3
"""Turns the samples of bench/run.sh into tables of medians, ratios and sizes.

usage: report.py SAMPLES SIZES CORES
"""
import statistics
import sys
from collections import defaultdict

# operation -> (reference tool, its operation, the command it stands for, target)
AGAINST = {
    "pack-gzip": [("tar", "pack-gzip", "tar -czf", 0.60), ("pigz", "pack-gzip", "tar -I 'pigz -6 -p {n}' -cf", 1.05)],
    "pack-gzip-1": [("tar", "pack-gzip", "tar -czf", 1.00)],
    "pack-plain": [("tar", "pack-plain", "tar -cf", 1.50)],
    "unpack-gzip": [("tar", "unpack-gzip", "tar -xzf", 1.10), ("pigz", "unpack-gzip", "tar -I 'pigz -p {n}' -xf", None)],
    "unpack-plain": [("tar", "unpack-plain", "tar -xf", 1.50)],
}
LABEL = {"pack-gzip": "pack, gzip", "pack-gzip-1": "pack, gzip, `--threads 1`", "pack-plain": "pack, plain",
         "unpack-gzip": "unpack, gzip", "unpack-plain": "unpack, plain"}
RSS_LIMIT_KIB = 32 * 1024
SIZE_TARGET = 1.005


def main():
    samples, sizes_file, cores = sys.argv[1], sys.argv[2], sys.argv[3]
    seconds = defaultdict(list)
    rss = defaultdict(int)
    order = []
    for line in open(samples):
        data_set, op, tool, secs, kib = line.rstrip("\n").split("\t")
        if tool == "torvan" and (data_set, op) not in order:
            order.append((data_set, op))
        seconds[(data_set, op, tool)].append(float(secs))
        rss[(data_set, op, tool)] = max(rss[(data_set, op, tool)], int(kib))

    print("| set | operation | torvan s | against | its s | ratio | target | torvan peak RSS | its peak RSS |")
    print("| --- | --- | ---: | --- | ---: | ---: | ---: | ---: | ---: |")
    missed = 0
    for data_set, op in order:
        t = statistics.median(seconds[(data_set, op, "torvan")])
        t_rss = rss[(data_set, op, "torvan")]
        if t_rss >= RSS_LIMIT_KIB:
            missed += 1
        for tool, their_op, command, target in AGAINST[op]:
            key = (data_set, their_op, tool)
            if key not in seconds:
                continue
            a = statistics.median(seconds[key])
            ratio = t / a if a > 0 else float("inf")
            ok = target is None or ratio <= target
            missed += not ok
            print("| %s | %s | %.2f | `%s` | %.2f | %.2f%s | %s | %.1f MiB | %.1f MiB |" % (
                data_set, LABEL[op], t, command.format(n=cores), a, ratio, "" if ok else " (missed)",
                "%.2f" % target if target else "-", t_rss / 1024, rss[key] / 1024))
    runs = min(len(v) for v in seconds.values())
    print()
    print("Median of %d runs each; wall-clock seconds; peak RSS from /usr/bin/time -v; %s cores." % (runs, cores))

    print()
    print("| set | torvan gzip bytes | one zlib stream, level 6 | ratio | target | `tar -czf` | pigz |")
    print("| --- | ---: | ---: | ---: | ---: | ---: | ---: |")
    for line in open(sizes_file):
        data_set, torvan, tar, pigz, one = line.split()
        ratio = int(torvan) / int(one)
        ok = ratio <= SIZE_TARGET
        missed += not ok
        print("| %s | %s | %s | %.4f%s | %.3f | %s | %s |" % (
            data_set, f"{int(torvan):,}", f"{int(one):,}", ratio, "" if ok else " (missed)", SIZE_TARGET,
            f"{int(tar):,}", f"{int(pigz):,}"))
    if missed:
        print()
        print("%d target(s) missed." % missed)


if __name__ == "__main__":
    main()
