"""NOTICE: what the program holds, under which licences, file by file, where
the source is kept, how to link it again, and the headers' permission notices."""

import json
import os
import re
import shlex
import subprocess

from .common import expression, fail, split_terms, unique, wrap
from .tables import HEADER_TERMS, LICENSES


# What marks a permission notice in a header's comments.
PERMISSION = re.compile(r"Permission to use|Permission is hereby granted|Redistribution and use")


def included_headers(compile_commands, source_dir, build_dir):
    """Every header outside the tree that the tool's sources include, as the
    compile commands of COMPILE_COMMANDS, run again with -M, list them."""
    own = [os.path.realpath(source_dir), os.path.realpath(build_dir)]
    headers = set()
    for entry in json.load(open(compile_commands, encoding="utf-8")):
        source = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
        if not source.endswith(".cc") or not source.startswith(own[0] + "/src/") or \
                source.endswith("_test.cc"):
            continue
        args = shlex.split(entry["command"])
        kept, skip = [], False
        for a in args:
            if skip:
                skip = False
            elif a in ("-o", "-MT", "-MF"):
                skip = True
            elif a not in ("-c", "-MD", "-MMD"):
                kept.append(a)
        out = subprocess.run(kept + ["-M"], cwd=entry["directory"], capture_output=True, text=True)
        if out.returncode:
            fail(f"the compiler cannot list the headers of {source}: {out.stderr}")
        for dep in out.stdout.replace("\\\n", " ").split(":", 1)[1].split():
            path = os.path.realpath(os.path.join(entry["directory"], dep))
            if not any(path.startswith(d + os.sep) for d in own):
                headers.add(os.path.normpath(os.path.join(entry["directory"], dep)))
    return sorted(headers)


def header_notices(compile_commands, source_dir, build_dir):
    """[{text, headers[, spdx]}]: the permission notices in the comments of
    every header outside the tree that the tool's sources include, and the
    GPL's exceptions for the programs that include a header (HEADER_TERMS,
    with their SPDX term), each once, with the headers that carry it."""
    if not compile_commands:
        return []
    headers = included_headers(compile_commands, source_dir, build_dir)
    notices = {}
    for header in sorted(headers):
        text = open(header, encoding="utf-8", errors="replace").read()
        comments = [[re.sub(r"^\s*\*? ?", "", line).rstrip() for line in comment.split("\n")]
                    for comment in re.findall(r"/\*(.*?)\*/", text, re.S)]
        for i, lines in enumerate(comments):
            # A header under the GPL with an exception for the programs that
            # include it: its grant (the comment before) and the exception.
            term = next((t for mark, t in HEADER_TERMS if mark in " ".join(" ".join(lines).split())),
                        None)
            if term:
                notice = "\n".join((comments[i - 1] if i else []) + [""] + lines).strip("\n")
                notices.setdefault((notice, term), []).append(header)
                continue
            if not PERMISSION.search("\n".join(lines)):
                continue
            # One notice per copyright holder: from each "Copyright" line to the next.
            parts, current = [], []
            for line in lines:
                if re.match(r"^Copyright\b", line, re.I) and current:
                    parts.append(current)
                    current = []
                current.append(line)
            parts.append(current)
            for part in parts:
                notice = "\n".join(part).strip("\n")
                notice = re.sub(r"\n{3,}", "\n\n", notice)
                if PERMISSION.search(notice) and "GNU General Public License" not in notice:
                    notices.setdefault((notice, None), []).append(header)
    return [{"text": t, "headers": unique(h), **({"spdx": term} if term else {})}
            for (t, term), h in notices.items()]


def notice(program, components, origins, texts, relink, headers):
    name, version, target = program["name"], program["version"], program["target"]
    exe = program["file"]
    out = [f"{name} {version} ({target}): what the program holds, under which licences",
           "=" * 76, ""]
    if not components:
        out += [wrap(f"{exe} is the tool's own code alone, under the MIT licence "
                     f"({program['license_file']})."), ""]
        return "\n".join(out)
    out += [wrap(f"{exe} holds the tool's own code, under the MIT licence "
                 f"({program['license_file']}), and parts "
                 f"of these libraries, linked into it when it was built, each under its own "
                 f"licence:"), ""]
    for origin in origins:
        lic = LICENSES[origin]
        mine = [c for c in components if c["origin"] == origin]
        terms = unique(t for c in mine for t in split_terms(c["license"]))
        out.append(f"  {lic['title']}: {origin} {mine[0]['origin_version']}, as Debian builds it")
        out.append(f"    licence: {expression(terms)}")
        for c in mine:
            files = ", ".join(f["name"] for f in c["files"])
            out.append(wrap(f"from {c['package']} {c['version']} ({c['architecture']}): {files}",
                            "    "))
        others = [(f, g) for c in mine for f in c["files"] for g in f["licences"]
                  if g["spdx"] != lic["spdx"]]
        if others:
            out.append(wrap(f"all parts under {lic['spdx']}, but:", "    "))
            for f, g in others:
                why = f" ({g['why']})" if g["why"] else ""
                parts = f"{', '.join(g['members'])} of {f['name']}" if f["members"] else f["name"]
                out.append(wrap(f"under {g['spdx']}: {parts}{why}", "      "))
    out += ["", wrap(f"The program as a whole is under {program['license']} (SPDX). "
                     f"{name}.cdx.json, beside it, lists the same in CycloneDX form, with the "
                     f"SHA-512 of the program and of each file linked in."), ""]
    kept = [o for o in origins if LICENSES[o]["source"]]
    for origin in kept:
        lic = LICENSES[origin]
        ver = next(c["origin_version"] for c in components if c["origin"] == origin)
        bare = ver.split(":", 1)[-1]
        out += [f"The source of the {lic['title']}", "-" * 76,
                wrap(f"The release that carries this program carries, beside it, the complete "
                     f"source of {origin} {ver} as Debian publishes it: {origin}_{bare}.dsc and "
                     f"the files it names (`dpkg-source -x {origin}_{bare}.dsc` unpacks it, with "
                     f"Debian's changes). Debian also keeps it at "
                     f"https://snapshot.debian.org/package/{origin}/{ver.replace('+', '%2B')}/ ."),
                ""]
    out += ["A written offer of the source", "-" * 76,
            wrap(f"For at least three years after they last distribute this program, its "
                 f"maintainers ({program['maintainer']}) will give any third party who asks "
                 f"a complete machine-readable copy of the source of this program: the "
                 f"tool's own source and the source of each library named above, as Debian "
                 f"publishes it, on a medium customarily used for software interchange, for "
                 f"a charge no more than their cost of physically performing that "
                 f"distribution."), ""]
    if kept:
        titles = " and ".join(LICENSES[o]["title"] for o in kept)
        archives = [os.path.basename(p) for p in relink if p.endswith(".a")]
        starts = [os.path.basename(p) for p in relink if not p.endswith(".a")]
        out += [
            "Linking the program again",
            "-" * 76,
            wrap(f"The {titles} may be changed and the program linked with the changed "
                 f"library: the tool's complete source is the release's "
                 f"{name}-{version}.tar.gz. The program is linked statically: its link "
                 f"takes from the library the archives {', '.join(archives)} and the start "
                 f"files {', '.join(starts)}, and no shared library. Build the changed "
                 f"library for the program's processor and install it whole (its `make "
                 f"install`), say with the prefix /opt/libc, so that /opt/libc/lib holds "
                 f"those archives and start files, and libc.so, against which the build's "
                 f"first step links a test program; then:"),
            "",
            f"  tar xzf {name}-{version}.tar.gz && cd {name}-{version}",
            "  cmake -S . -B build -G Ninja -DDORVANE_TESTS=OFF -DDORVANE_PACKAGING=OFF \\",
            f"    -DCMAKE_TOOLCHAIN_FILE={program['toolchain']} \\",
            "    -DCMAKE_EXE_LINKER_FLAGS='-B/opt/libc/lib/ -L/opt/libc/lib'",
            "  cmake --build build",
            "",
            wrap("build/dorvane_oem_tool is then the program linked with that library; its "
                 "README's \"Build\" says what the build needs."),
            ""]
    if headers:
        gpl = any("spdx" in h for h in headers)
        out += ["The notices of the headers compiled into the tool", "-" * 76,
                wrap("The tool's sources include these headers of the C++ library and the "
                     "system. " + ("Those named with an SPDX term are under the GNU General "
                                   "Public License with an exception by which a program that "
                                   "includes them does not come under that licence; the "
                                   "others carry" if gpl else "They carry") +
                     ", besides their library's licence above, permission notices that ask "
                     "to be kept in the documentation:"), ""]
        for h in headers:
            term = f" ({h['spdx']})" if "spdx" in h else ""
            out.append(wrap("In " + ", ".join(h["headers"]) + term + ":"))
            out.append("")
            out += ["    " + line if line else "" for line in h["text"].split("\n")]
            out.append("")
    out += ["The licences and notices", "-" * 76,
            wrap("Below follow the copyright file that Debian ships with each of those "
                 "packages, which holds the libraries' notices and licences, and the full "
                 "texts of the licences that those files only name."), ""]
    seen = set()
    for c in components:
        if c["copyright_sha256"] in seen:
            continue
        seen.add(c["copyright_sha256"])
        packages = ", ".join(o["package"] for o in components
                             if o["copyright_sha256"] == c["copyright_sha256"])
        out += ["", "=" * 76, f"{c['copyright_file']} ({packages})", "=" * 76, ""]
        out.append(open(c["copyright_file"], encoding="utf-8").read().rstrip("\n"))
    for title, text in texts:
        out += ["", "=" * 76, title, "=" * 76, "", text.rstrip("\n")]
    return "\n".join(out) + "\n"
