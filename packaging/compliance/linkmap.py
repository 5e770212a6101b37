"""The linker's map of a program: what the link took, and the source path of
each object taken, read from its debug information."""

import os
import re
import subprocess
import tempfile

from .common import fail


# Names in the map that are no file: the linker's own sections.
PSEUDO_INPUTS = {"linker stubs", "dll stuff"}


def read_map(map_file):
    """What the link took: ({path as the map names it: [members taken]}, [every
    file loaded, archives included, in order], [(member's file, member, the
    file whose reference took it)]). Objects loaded whole have no members;
    archives only count with one."""
    inputs, loads, taken = {}, [], []
    section = member = None
    with open(map_file, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line == "Archive member included to satisfy reference by file (symbol)":
                section = "archive"
                continue
            if section == "archive" and line:
                if not line[0].isspace():
                    m = re.match(r"^(\S+)\(([^()]+)\)(?:\s+(\S.*))?$", line)
                    if not m:
                        section = None  # the next section's heading
                    else:
                        inputs.setdefault(m.group(1), []).append(m.group(2))
                        member = (m.group(1), m.group(2))
                        if m.group(3):
                            taken.append((*member, m.group(3).split()[0]))
                        continue
                elif member:
                    taken.append((*member, line.split()[0]))
                    member = None
                    continue
            m = re.match(r"^LOAD (.+)$", line)
            if m and m.group(1) not in PSEUDO_INPUTS:
                path = m.group(1)
                loads.append(path)
                if not path.endswith(".a") and not re.search(r"\.so(\.[0-9]+)*$", path):
                    inputs.setdefault(path, [])
    if not inputs:
        fail(f"{map_file} names no input file: is it ld's map (-Map) of the link?")
    return inputs, loads, taken


def source_paths(objdump, archive, members):
    """{member: the path of its source} from the members' debug information
    (DW_AT_name of their first compile unit); members without it are left out."""
    found = {}
    with tempfile.TemporaryDirectory() as tmp:
        if archive:
            subprocess.run(["ar", "x", archive, *members], cwd=tmp, check=True)
            files = [(m, os.path.join(tmp, m)) for m in members]
        else:
            files = [(os.path.basename(members[0]), members[0])]
        for member, path in files:
            out = subprocess.run([objdump, "--dwarf=info", "--dwarf-depth=1", path],
                                 capture_output=True, text=True).stdout
            m = re.search(r"DW_AT_name\s*:.*?:\s(\S+)\s*$", out, re.M)
            if m:
                found[member] = m.group(1)[2:] if m.group(1).startswith("./") else m.group(1)
    return found
