#!/usr/bin/env python3
"""Runs every `$ build/cli/geolago-cli ...` block of README.md and docs/*.md, from the root
of the sources, and compares what it writes with the lines shown under it: a line "..."
stands for any number of lines left out. A command that writes files (--plot) or needs a
file the sources do not hold is shown, not run.
A ```python block runs as a script with the Python of the module geolago, and a ```r
block with Rscript and the R package geolago; when a plain ``` block follows one, blank
lines alone between them, the script's standard output must be that block's lines, "..."
as above.
    doc_commands.py SOURCE_ROOT GEOLAGO_CLI [--python PYTHON --python-path MODULE_DIR]
                    [--r-libs R_LIBRARY]
The R library is GEOLAGO_R_LIBS when set; without the R package installed there (or
without Rscript), or without the Python module, those blocks are skipped and said so."""
import argparse
import glob
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile


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


def scripts(text, language):
    """The fenced blocks of `language`, each with the lines of the plain block that
    follows it, blank lines alone between them, or None when none does."""
    fences = list(re.finditer(r"```([^\n]*)\n(.*?)```", text, re.S))
    for i, fence in enumerate(fences):
        if fence.group(1).strip() != language:
            continue
        shown = None
        if i + 1 < len(fences):
            after = fences[i + 1]
            if after.group(1).strip() == "" and text[fence.end():after.start()].strip() == "":
                shown = after.group(2).split("\n")
                while shown and shown[-1] == "":
                    shown.pop()
        yield fence.group(2), shown


MARKER = "<<<geolago-doc-block>>>"
# The statement that ends a block's output: the blocks of a page run as one script, each
# seeing what those before it made, as a reader running them in turn would.
MARKS = {"python": f'print("{MARKER}", flush=True)', "r": f'cat("\\n{MARKER}\\n")'}


def run_page(command, language, sources, env, root):
    """Runs the blocks `sources` of one page as one script with `command`, from `root`:
    the exit status, each block's lines of standard output (fewer than the blocks when
    the script stopped) and the standard error."""
    suffix = {"python": ".py", "r": ".R"}[language]
    with tempfile.NamedTemporaryFile("w", suffix=suffix, delete=False, encoding="utf-8") as f:
        f.write("".join(source + "\n" + MARKS[language] + "\n" for source in sources))
    try:
        run = subprocess.run(command + [f.name], cwd=root, capture_output=True, text=True, env=env, timeout=600)
    finally:
        os.remove(f.name)
    parts = re.split("\n?" + re.escape(MARKER) + "\n", run.stdout)
    outputs = []
    for part in parts[:-1]:
        lines = part.split("\n")
        if lines and lines[-1] == "":
            lines.pop()
        outputs.append(lines)
    return run.returncode, outputs, run.stderr


def main(root, cli, python=None, python_path=None, r_libs=None):
    failures, ran = 0, 0
    pages = [os.path.join(root, "README.md")] + sorted(glob.glob(os.path.join(root, "docs", "*.md")))
    texts = {}
    for path in pages:
        with open(path, encoding="utf-8") as f:
            texts[path] = f.read()
    for path, text in texts.items():
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

    # The scripts: the Python module on PYTHONPATH, the R package in R_LIBS.
    r_libs = os.environ.get("GEOLAGO_R_LIBS") or r_libs
    runners = {
        "python": ([python or sys.executable], "PYTHONPATH", python_path,
                   python_path and os.path.isdir(os.path.join(python_path, "geolago")),
                   f"the module geolago is not built in {python_path}" if python_path
                   else "the build has no Python module (GEOLAGO_PYTHON=OFF)"),
        "r": ([shutil.which("Rscript") or "Rscript"], "R_LIBS", r_libs,
              shutil.which("Rscript") and r_libs and os.path.isdir(os.path.join(r_libs, "geolago")),
              f"the R package geolago is not installed in {r_libs} (GEOLAGO_R_LIBS)"
              if shutil.which("Rscript") else "Rscript is not installed"),
    }
    for language, (command, variable, folder, available, missing) in runners.items():
        found = {path: list(scripts(text, language)) for path, text in texts.items()}
        found = {path: blocks_ for path, blocks_ in found.items() if blocks_}
        count = sum(len(blocks_) for blocks_ in found.values())
        if not count:
            continue
        if not available:
            print(f"{count} {language} block(s) not run: {missing}")
            continue
        env = dict(os.environ, **{variable: os.path.abspath(folder)})
        for path, page in found.items():
            status, outputs, err = run_page(command, language, [source for source, _ in page], env, root)
            for i, (source, shown) in enumerate(page):
                ran += 1
                written = outputs[i] if i < len(outputs) else None
                if written is not None and (shown is None or matches([line.rstrip() for line in shown],
                                                                     [line.rstrip() for line in written])):
                    continue
                failures += 1
                print(f"{os.path.relpath(path, root)}: {language} block\n    " + "\n    ".join(source.split("\n"))
                      + "\n  shown:\n    " + "\n    ".join(shown or [])
                      + "\n  written:\n    " + "\n    ".join((written or [])[:40])
                      + (f"\n  stopped, exit status {status}:\n    " + "\n    ".join(err.split("\n")[-20:])
                         if written is None else ""))
    print(f"{ran - failures} passed, {failures} failed")
    return 1 if failures or not ran else 0


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("root")
    parser.add_argument("cli")
    parser.add_argument("--python")
    parser.add_argument("--python-path")
    parser.add_argument("--r-libs")
    arguments = parser.parse_args()
    sys.exit(main(arguments.root, arguments.cli, arguments.python, arguments.python_path, arguments.r_libs))
