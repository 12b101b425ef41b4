#!/usr/bin/env python3
"""Writes a large, realistic HTML page for the benchmarks: paragraphs, a HEAD with scripts and a
style sheet of a few hundred rules, and webbot blocks spread evenly through the body (one for
about every 500 bytes of body, at most 100 000). The same size and seed always give the same
bytes. Prints the page's size, its number of blocks and the last block's bot name."""
import argparse
import random

WORDS = ("harbour bread morning cafe window table garden river market bakery flour butter "
         "sugar oven crust slice basket recipe season fresh warm evening street corner").split()
BYTES_PER_BOT = 500
MAX_BOTS = 100000


def sentence(rng):
    words = [rng.choice(WORDS) for _ in range(rng.randint(6, 18))]
    return " ".join(words).capitalize() + "."


def head(rng):
    lines = ["<!DOCTYPE html>", "<html lang=\"en\">", "<head>", "<meta charset=\"utf-8\">",
             "<title>Benchmark page</title>"]
    for i in range(5):
        lines += ["<script>",
                  "var counter%d = 0; // a comment with </p> inside a string: '</b>'" % i,
                  "function tick%d() { counter%d++; }" % (i, i), "</script>"]
    lines.append("<style>")
    for i in range(400):
        lines.append(".c%d { color: #%06x; margin: %dpx; }" % (i, rng.randrange(1 << 24), i % 17))
    lines.append("body { font-family: serif; }")
    lines += ["</style>", "</head>", "<body>"]
    return "\r\n".join(lines) + "\r\n"


def webbot(n):
    return ("<!--webbot bot=\"Bot%d\" startspan -->x<!--webbot bot=\"Bot%d\" endspan -->\r\n"
            % (n, n))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("output")
    parser.add_argument("--megabytes", type=float, required=True, help="size in MiB")
    parser.add_argument("--seed", type=int, default=20021305)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    target = int(args.megabytes * 1024 * 1024)

    top = head(rng)
    tail = "</body>\r\n</html>\r\n"
    bots = min(MAX_BOTS, max(1, target // BYTES_PER_BOT))
    # Room left for paragraphs once the blocks are counted in.
    room = target - len(top) - len(tail) - sum(len(webbot(n)) for n in range(bots))
    paragraphs, size = [], 0
    while size < room:
        p = "<p class=\"c%d\">%s</p>\r\n" % (rng.randrange(400), " ".join(
            sentence(rng) for _ in range(rng.randint(1, 4))))
        paragraphs.append(p)
        size += len(p)
    body = []
    every = len(paragraphs) / bots
    made = 0
    for i, p in enumerate(paragraphs):
        body.append(p)
        while made < bots and made * every <= i:
            body.append(webbot(made))
            made += 1
    while made < bots:
        body.append(webbot(made))
        made += 1
    text = top + "".join(body) + tail
    with open(args.output, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    print("%s %d %d Bot%d" % (args.output, len(text.encode("utf-8")), made, made - 1))


if __name__ == "__main__":
    main()
