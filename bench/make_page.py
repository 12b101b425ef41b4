#!/usr/bin/env python3
"""Writes a large, realistic HTML page for the benchmarks: paragraphs, a HEAD with scripts and a
style sheet of a few hundred rules, and webbot blocks spread through the body. The same size and
seed always give the same bytes."""
import argparse
import random

WORDS = ("harbour bread morning cafe window table garden river market bakery flour butter "
         "sugar oven crust slice basket recipe season fresh warm evening street corner").split()


def sentence(rng):
    words = [rng.choice(WORDS) for _ in range(rng.randint(6, 18))]
    return " ".join(words).capitalize() + "."


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("output")
    parser.add_argument("--megabytes", type=float, required=True)
    parser.add_argument("--webbots", type=int, default=100000)
    parser.add_argument("--seed", type=int, default=20021305)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    target = int(args.megabytes * 1024 * 1024)

    head = ["<!DOCTYPE html>", "<html lang=\"en\">", "<head>", "<meta charset=\"utf-8\">",
            "<title>Benchmark page</title>"]
    for i in range(5):
        head += ["<script>", "var counter%d = 0; // a comment with </p> inside a string: '</b>'" % i,
                 "function tick%d() { counter%d++; }" % (i, i), "</script>"]
    head.append("<style>")
    for i in range(400):
        head.append(".c%d { color: #%06x; margin: %dpx; }" % (i, rng.randrange(1 << 24), i % 17))
    head.append("body { font-family: serif; }")
    head += ["</style>", "</head>", "<body>"]
    text = "\r\n".join(head) + "\r\n"
    tail = "</body>\r\n</html>\r\n"

    # Paragraphs with webbot blocks spread evenly through the body.
    body = []
    size = len(text) + len(tail)
    paragraphs = []
    while size < target:
        p = "<p class=\"c%d\">%s</p>\r\n" % (rng.randrange(400), " ".join(
            sentence(rng) for _ in range(rng.randint(1, 4))))
        paragraphs.append(p)
        size += len(p)
    bots = min(args.webbots, len(paragraphs))
    step = max(1, len(paragraphs) // max(1, bots))
    made = 0
    for i, p in enumerate(paragraphs):
        body.append(p)
        if made < bots and i % step == 0:
            body.append("<!--webbot bot=\"Bot%d\" startspan -->x<!--webbot bot=\"Bot%d\" endspan -->"
                        "\r\n" % (made, made))
            made += 1
    with open(args.output, "w", encoding="utf-8", newline="") as f:
        f.write(text + "".join(body) + tail)
    print("%s: %d bytes, %d webbot blocks (last: Bot%d)" % (args.output, len(text) + sum(map(len, body)) + len(tail), made, made - 1))


if __name__ == "__main__":
    main()
