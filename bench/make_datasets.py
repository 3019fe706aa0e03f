#!/usr/bin/env python3
"""Generates the benchmark data sets under one scratch folder.

web    about 5,000 files, about 200 MB: pages, style sheets and scripts (text
       that compresses like real text), images and archives (random bytes,
       which do not compress), and three large files of tens of MB.
small  20,000 files of 1 to 4 KB in 200 folders.
big    one file of 1 GiB of generated text.
site:FILES:MB   a site like web, FILES files of MB megabytes in all
       (data/site-FILES-MB), for the unpack benchmarks.
log:MB one access log of MB megabytes (data/log-MB).

usage: make_datasets.py SCRATCH [SET...]   (default: web small big)

Prints the folder of each set asked for, one a line. Everything is derived
from a fixed seed, so every run measures the same bytes. A set that is
already complete is left alone.
"""
import os
import random
import sys

SEED = 20261208
WORDS = ("the of and to in is for on with as by at from this that page site "
         "server archive folder file index style script image upload download "
         "<div> </div> <p> </p> <a href=\"/\"> </a> class=\"nav\" id=\"main\" "
         "function var return if else { } ( ) ; = + 0 1 2 42 100 px em color "
         "margin padding width height display block none flex grid news about "
         "contact product price 价格 产品 新闻 关于 联系 首页 服务 下载").split()


def text_pool(rng, size):
    out = []
    length = 0
    while length < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(4, 18))) + "\n"
        out.append(line)
        length += len(line.encode())
    return "".join(out).encode()[:size]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def text_slice(rng, pool, size):
    # Large sizes are stitched from pieces at random places in the pool.
    pieces = []
    while size > 0:
        n = min(size, 1 << 20)
        start = rng.randrange(0, len(pool) - n)
        pieces.append(pool[start:start + n])
        size -= n
    return b"".join(pieces)


def make_web(root, rng, pool):
    # Three big ones first: a video, a log and a database dump.
    write(os.path.join(root, "media", "intro.mp4"), rng.randbytes(30 << 20))
    write(os.path.join(root, "logs", "access.log"), text_slice(rng, pool, 24 << 20))
    write(os.path.join(root, "backup", "db.sql"), text_slice(rng, pool, 16 << 20))
    sections = ["news", "products", "about", "docs", "blog", "static/css",
                "static/js", "static/img", "static/fonts", "downloads"]
    count = 3
    while count < 5000:
        section = rng.choice(sections)
        folder = os.path.join(root, section, "p%02d" % rng.randrange(40))
        kind = rng.random()
        if kind < 0.6:
            name = "page%05d.%s" % (count, rng.choice(["html", "css", "js", "txt"]))
            data = text_slice(rng, pool, rng.randint(1000, 40000))
        else:
            name = "img%05d.%s" % (count, rng.choice(["jpg", "png", "gif", "zip"]))
            data = rng.randbytes(rng.randint(2000, 50000))
        write(os.path.join(folder, name), data)
        count += 1
    os.makedirs(os.path.join(root, "empty", "folder"), exist_ok=True)


def make_small(root, rng, pool):
    for i in range(20000):
        folder = os.path.join(root, "d%03d" % (i // 100))
        write(os.path.join(folder, "f%05d.txt" % i), text_slice(rng, pool, rng.randint(1024, 4096)))


def make_big(root, rng, pool):
    os.makedirs(root, exist_ok=True)
    with open(os.path.join(root, "big.bin"), "wb") as f:
        block = 1 << 20
        for _ in range(1024):
            f.write(text_slice(rng, pool, block))


def make_site(files, megabytes):
    # Sizes are spread evenly around the mean, so the total comes out near
    # the size asked for; two files in five are binary, as on real sites.
    def make(root, rng, pool):
        mean = (megabytes << 20) // files
        sections = ["news", "products", "about", "docs", "blog", "static/css",
                    "static/js", "static/img", "static/fonts", "downloads"]
        for i in range(files):
            folder = os.path.join(root, rng.choice(sections), "p%02d" % rng.randrange(40))
            size = rng.randint(mean // 10, mean * 19 // 10)
            if rng.random() < 0.6:
                name = "page%05d.%s" % (i, rng.choice(["html", "css", "js", "php"]))
                data = text_slice(rng, pool, size)
            else:
                name = "img%05d.%s" % (i, rng.choice(["jpg", "png", "gif", "woff2"]))
                data = rng.randbytes(size)
            write(os.path.join(folder, name), data)
    return make


def log_pool(rng, size):
    paths = ["/news/p%02d/page%05d.html" % (rng.randrange(40), rng.randrange(6000)) for _ in range(3000)]
    agents = ["Mozilla/5.0 (Windows NT 10.0; Win64; x64) Chrome/%d.0" % v for v in range(100, 130)] + \
             ["curl/7.%d.0" % v for v in range(60, 90)] + ["Googlebot/2.1", "Baiduspider/2.0"]
    out = []
    length = 0
    second = 0
    while length < size:
        second += rng.randrange(3)
        line = '%d.%d.%d.%d - - [09/Dec/2026:%02d:%02d:%02d +0800] "%s %s HTTP/1.1" %d %d "-" "%s"\n' % (
            rng.randrange(1, 224), rng.randrange(256), rng.randrange(256), rng.randrange(1, 255),
            second // 3600 % 24, second // 60 % 60, second % 60, rng.choice(["GET"] * 9 + ["POST"]),
            rng.choice(paths), rng.choice([200] * 20 + [304, 404, 500]), rng.randrange(100, 60000),
            rng.choice(agents))
        out.append(line)
        length += len(line)
    return "".join(out).encode()


def make_log(megabytes):
    def make(root, rng, pool):
        lines = log_pool(rng, 8 << 20)
        os.makedirs(root, exist_ok=True)
        with open(os.path.join(root, "access.log"), "wb") as f:
            for _ in range(megabytes):
                f.write(text_slice(rng, lines, 1 << 20))
    return make


def data_set(wanted):
    """The folder name and the maker of one SET argument."""
    fixed = {"web": make_web, "small": make_small, "big": make_big}
    kind, *sizes = wanted.split(":")
    if kind in fixed and not sizes:
        return kind, fixed[kind]
    if kind == "site" and len(sizes) == 2:
        return "site-%d-%d" % tuple(map(int, sizes)), make_site(*map(int, sizes))
    if kind == "log" and len(sizes) == 1:
        return "log-%d" % int(sizes[0]), make_log(int(sizes[0]))
    sys.exit("make_datasets: unknown set '%s'" % wanted)


def main():
    scratch = sys.argv[1]
    sets = sys.argv[2:] or ["web", "small", "big"]
    rng = random.Random(SEED)
    pool = text_pool(rng, 8 << 20)
    for wanted in sets:
        name, make = data_set(wanted)
        root = os.path.join(scratch, "data", name)
        stamp = os.path.join(scratch, "data", name + ".done")
        if not os.path.exists(stamp):
            print("generating data set '%s' in %s" % (name, root), file=sys.stderr, flush=True)
            os.system("rm -rf '%s'" % root)
            make(root, random.Random(SEED + len(name)), pool)
            open(stamp, "w").close()
        print(root)


if __name__ == "__main__":
    main()
