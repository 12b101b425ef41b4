#!/usr/bin/env python3
"""Writes a site of generated pages for the site-scale benchmarks: PAGES pages of about 20 KB in
a tree of folders (100 pages a folder, folders grouped ten to a parent), with a picture folder and
a few files that are no pages. Webbot blocks stand in some pages: a V_Date block in one page of
four, a Timestamp block in one of three, an AddToFavor_VL block in one of five. The same count and
seed always give the same bytes. Prints the folder, the number of pages and their total bytes."""
import argparse
import os
import random

WORDS = ("harbour bread morning cafe window table garden river market bakery flour butter "
         "sugar oven crust slice basket recipe season fresh warm evening street corner").split()
PAGE_BYTES = 20 * 1024
PAGES_PER_FOLDER = 100
FOLDERS_PER_GROUP = 10
EXTENSIONS = ("html", "html", "htm", "asp", "php")


def sentence(rng):
    return " ".join(rng.choice(WORDS) for _ in range(rng.randint(6, 18))).capitalize() + "."


def block(name, inner):
    return ("<!--webbot bot=\"%s\" startspan -->%s<!--webbot bot=\"%s\" endspan -->\r\n"
            % (name, inner, name))


def page(rng, n):
    lines = ["<!DOCTYPE html>", "<html>", "<head>",
             "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">",
             "<title>Page %d</title>" % n, "<style>",
             "body { font-family: serif; }", "p { margin: 0 0 1em 0; }", "</style>",
             "<script>var visits = 0;</script>", "</head>", "<body>", "<h1>Page %d</h1>" % n]
    top = "\r\n".join(lines) + "\r\n"
    blocks = []
    if n % 3 == 0:
        blocks.append(block("Timestamp", "March 05, 2002"))
    if n % 5 == 0:
        blocks.append(block("AddToFavor_VL", "<p>Bookmark us</p>"))
    if n % 4 == 0:
        blocks.append(block("V_Date", "<p>Tuesday, March 05, 2002.</p>"))
    tail = "</body>\r\n</html>\r\n"
    room = PAGE_BYTES - len(top) - len(tail) - sum(len(b) for b in blocks)
    paragraphs, size = [], 0
    while size < room:
        p = "<p>%s</p>\r\n" % " ".join(sentence(rng) for _ in range(rng.randint(1, 4)))
        paragraphs.append(p)
        size += len(p)
    # The blocks stand among the paragraphs, the date block near the end as a footer would.
    body = list(paragraphs)
    for i, b in enumerate(blocks):
        body.insert(rng.randrange(len(body) + 1) if "V_Date" not in b else len(body) - 1, b)
    return top + "".join(body) + tail


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder")
    parser.add_argument("--pages", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=20021305)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    os.makedirs(os.path.join(args.folder, "images"), exist_ok=True)
    with open(os.path.join(args.folder, "images", "logo.gif"), "wb") as f:
        f.write(b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00"
                b"\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")
    with open(os.path.join(args.folder, "robots.txt"), "w") as f:
        f.write("User-agent: *\n")
    total = 0
    for n in range(args.pages):
        folder_no = n // PAGES_PER_FOLDER
        folder = os.path.join(args.folder, "part%02d" % (folder_no // FOLDERS_PER_GROUP),
                              "f%03d" % folder_no)
        os.makedirs(folder, exist_ok=True)
        name = "page%05d.%s" % (n, EXTENSIONS[n % len(EXTENSIONS)])
        data = page(rng, n).encode("cp1252")
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        total += len(data)
    print("%s %d %d" % (args.folder, args.pages, total))


if __name__ == "__main__":
    main()
