#!/usr/bin/env python3
"""count-lines.py - non-blank lines that are not only a comment, per folder or file.

A line counts unless it is blank, starts with // (or # in CMake, Python and shell
files), or lies inside a /* */ comment. Usage: scripts/count-lines.py PATH...
"""
import os
import sys

HASH_COMMENTS = (".txt", ".cmake", ".py", ".sh")
# Source files only: pictures, reference decodes and other data do not count.
SOURCES = (".cpp", ".cc", ".c", ".h", ".cmake", ".py", ".sh")


def is_source(path):
    return path.endswith(SOURCES) or os.path.basename(path) == "CMakeLists.txt"


def count(path):
    n, in_block = 0, False
    for line in open(path, errors="replace"):
        s = line.strip()
        if in_block:
            if "*/" not in s:
                continue
            in_block, s = False, s.split("*/", 1)[1].strip()
        if not s or s.startswith("//") or (s.startswith("#") and path.endswith(HASH_COMMENTS)):
            continue
        if s.startswith("/*"):
            if "*/" not in s:
                in_block = True
                continue
            if not s.split("*/", 1)[1].strip():
                continue
        n += 1
    return n


def main():
    total = 0
    for target in sys.argv[1:]:
        files = [target] if os.path.isfile(target) else [
            os.path.join(root, f) for root, _, names in os.walk(target) for f in names
            if is_source(f)]
        lines = sum(count(f) for f in files)
        print(f"{lines:6d} {target}")
        total += lines
    print(f"{total:6d} total")


if __name__ == "__main__":
    main()
