"""What the modules share: failing with a message, running a command, hashes,
SPDX terms joined by AND, and text wrapped as the notices wrap it."""

import hashlib
import re
import subprocess
import sys
import textwrap


def fail(message):
    print(f"components: {message}", file=sys.stderr)
    sys.exit(1)


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def sha_of(path, algorithm="sha512"):
    with open(path, "rb") as f:
        return hashlib.new(algorithm, f.read()).hexdigest()


def sha512(path):
    return sha_of(path)


def split_terms(spdx):
    """The SPDX terms of an expression joined by AND."""
    return [t.strip() for t in spdx.split(" AND ")]


def expression(terms):
    return " AND ".join(terms)


def unique(items):
    return list(dict.fromkeys(items))


def lines_between(text, first, last):
    lines = text.split("\n")
    if first in lines:
        start = lines.index(first)
        if last in lines[start:]:
            return "\n".join(lines[start:lines.index(last, start) + 1]) + "\n"
    return None


def split_maintainer(maintainer):
    m = re.match(r"^(.*\S)\s*<([^<>]+)>$", maintainer)
    return (m.group(1), m.group(2)) if m else (maintainer, None)


def wrap(text, indent=""):
    return "\n".join(textwrap.fill(p, 76, initial_indent=indent, subsequent_indent=indent,
                                   break_on_hyphens=False, break_long_words=False)
                     for p in text.split("\n"))
