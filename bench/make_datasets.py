#!/usr/bin/env python3
"""Generates the benchmark data sets under one scratch folder.

web    about 5,000 files, about 200 MB: pages, style sheets and scripts (text
       that compresses like real text), images and archives (random bytes,
       which do not compress), and three large files of tens of MB.
small  20,000 files of 1 to 4 KB in 200 folders.
big    one file of 1 GiB of generated text.

Everything is derived from a fixed seed, so every run measures the same
bytes. A set that is already complete is left alone.
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


def main():
    scratch = sys.argv[1]
    rng = random.Random(SEED)
    pool = text_pool(rng, 8 << 20)
    for name, make in (("web", make_web), ("small", make_small), ("big", make_big)):
        root = os.path.join(scratch, "data", name)
        stamp = os.path.join(scratch, "data", name + ".done")
        if os.path.exists(stamp):
            continue
        print("generating data set '%s' in %s" % (name, root), flush=True)
        os.system("rm -rf '%s'" % root)
        make(root, random.Random(SEED + len(name)), pool)
        open(stamp, "w").close()


if __name__ == "__main__":
    main()
