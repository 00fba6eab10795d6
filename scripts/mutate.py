#!/usr/bin/env python3
"""mutate.py - runs a test command against deliberate mutations of the code.

Each mutation replaces one exact, unique piece of text in one file. The script
applies it, rebuilds the given targets, runs the test command, and restores the
file whatever happens. A mutation is "killed" when the command fails, "survived"
when it passes; a mutation whose text is not found exactly once, or that does not
build, is reported and not counted.

Usage: scripts/mutate.py LIST --build DIR --target T [--target T ...] -- CMD ...

LIST holds the mutations, each written as
    @ name | path/from/repository/root
    <<<
    text as it stands (one or more lines)
    ===
    text that replaces it
    >>>
"""
import argparse
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent


def read_list(path):
    text = pathlib.Path(path).read_text()
    pattern = re.compile(r"^@ (.+?) \| (\S+)\n<<<\n(.*?)\n===\n(.*?)\n?>>>$", re.S | re.M)
    return [m.groups() for m in pattern.finditer(text)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("list")
    parser.add_argument("--build", required=True)
    parser.add_argument("--target", action="append", required=True)
    parser.add_argument("--timeout", type=int, default=300)
    parser.add_argument("--log", help="folder that keeps the test output of each mutation")
    if "--" not in sys.argv:
        parser.error("the test command follows --")
    split = sys.argv.index("--")
    args = parser.parse_args(sys.argv[1:split])
    command = sys.argv[split + 1:]
    build = ["cmake", "--build", args.build, "-j2"] + sum((["--target", t] for t in args.target), [])

    if subprocess.run(build).returncode != 0 or subprocess.run(command).returncode != 0:
        print("the unmutated code must build and pass first")
        return 1
    killed, survived, skipped = [], [], []
    for name, path, old, new in read_list(args.list):
        file = ROOT / path
        original = file.read_text()
        if original.count(old) != 1:
            skipped.append(f"{name} (text found {original.count(old)} times)")
            continue
        try:
            file.write_text(original.replace(old, new))
            if subprocess.run(build, capture_output=True).returncode != 0:
                skipped.append(f"{name} (does not build)")
                continue
            try:
                result = subprocess.run(command, capture_output=True, timeout=args.timeout)
                failed = result.returncode != 0
                if args.log:
                    log = pathlib.Path(args.log) / (name.split()[0] + ".txt")
                    log.parent.mkdir(parents=True, exist_ok=True)
                    log.write_bytes(result.stdout + result.stderr)
            except subprocess.TimeoutExpired:
                failed = True
            (killed if failed else survived).append(name)
            print(f"{'killed  ' if failed else 'SURVIVED'} {name}", flush=True)
        finally:
            file.write_text(original)
    subprocess.run(build, capture_output=True)
    total = len(killed) + len(survived)
    print(f"\n{len(killed)} of {total} mutations killed")
    for name in survived:
        print(f"  survived: {name}")
    for name in skipped:
        print(f"  skipped: {name}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
