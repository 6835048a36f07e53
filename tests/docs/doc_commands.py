#!/usr/bin/env python3
"""Runs every `$ build/cli/geolago-cli ...` block of README.md and docs/*.md, from the root
of the sources, and compares what it writes with the lines shown under it: a line "..."
stands for any number of lines left out. A command that writes files (--plot) or needs a
file the sources do not hold is shown, not run.
    doc_commands.py SOURCE_ROOT GEOLAGO_CLI"""
import glob
import os
import re
import shlex
import subprocess
import sys


def blocks(text):
    """The commands of the fenced blocks that start with "$ build/cli/geolago-cli", each
    with the lines shown after it."""
    for fence in re.findall(r"```[^\n]*\n(.*?)```", text, re.S):
        lines = fence.split("\n")
        indent = len(lines[0]) - len(lines[0].lstrip())
        lines = [line[indent:] for line in lines]
        if not lines[0].startswith("$ build/cli/geolago-cli"):
            continue
        command = lines[0][2:]
        at = 1
        while command.endswith("\\"):
            command = command[:-1] + " " + lines[at].strip()
            at += 1
        shown = lines[at:]
        while shown and shown[-1] == "":
            shown.pop()
        yield command, shown


def matches(shown, written):
    """Whether `written` has the lines `shown`, in order, "..." standing for any lines."""
    if not shown:
        return not written
    if shown[0] == "...":
        return any(matches(shown[1:], written[k:]) for k in range(len(written) + 1))
    return bool(written) and written[0].rstrip() == shown[0].rstrip() and matches(shown[1:], written[1:])


def main(root, cli):
    failures, ran = 0, 0
    for path in [os.path.join(root, "README.md")] + sorted(glob.glob(os.path.join(root, "docs", "*.md"))):
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for command, shown in blocks(text):
            args = shlex.split(command)[1:]
            if "--plot" in args or not os.path.exists(os.path.join(root, args[0])):
                continue
            ran += 1
            written = subprocess.run([cli] + args, cwd=root, capture_output=True, text=True).stdout.split("\n")
            if written and written[-1] == "":
                written.pop()
            if not matches([line.rstrip() for line in shown], written):
                failures += 1
                print(f"{os.path.relpath(path, root)}: {command}\n  shown:\n    " + "\n    ".join(shown)
                      + "\n  written:\n    " + "\n    ".join(written[:40]))
    print(f"{ran - failures} passed, {failures} failed")
    return 1 if failures or not ran else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
