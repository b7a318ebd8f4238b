#!/usr/bin/env python3
"""Counts non-blank, non-comment C/C++ lines of tests/ against the rest.

Usage: python3 scripts/line_counts.py [ROOT]
"""
import os
import re
import sys

SOURCE_SUFFIXES = (".c", ".cc", ".cpp", ".h", ".hpp")
SKIPPED_DIRS = {".git"}


def code_lines(text):
    # Strip block comments, then line comments, keeping string literals intact
    # enough for counting purposes.
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    count = 0
    for line in text.splitlines():
        stripped = line.strip()
        if not stripped or stripped.startswith("//"):
            continue
        count += 1
    return count


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    tests = code = 0
    for dirpath, dirnames, filenames in os.walk(root):
        dirnames[:] = [d for d in dirnames if d not in SKIPPED_DIRS and not d.startswith("build")]
        rel = os.path.relpath(dirpath, root)
        for name in filenames:
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            with open(os.path.join(dirpath, name), encoding="utf-8", errors="replace") as f:
                n = code_lines(f.read())
            if rel == "tests" or rel.startswith("tests" + os.sep):
                tests += n
            else:
                code += n
    print(f"tests {tests}  code {code}  ratio {tests / code:.2f}")


if __name__ == "__main__":
    main()
