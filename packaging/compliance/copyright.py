"""The Debian copyright file of the package, and the licence grants and texts
that it and the notice take from the copyright files of the packages linked in."""

import os
import textwrap

from .common import fail, lines_between, split_terms, unique, wrap
from .dpkg import dep5
from .tables import LICENSES, TERMS, TEXTS


def text_of(key, components):
    title, where = TEXTS[key]
    if isinstance(where, str):
        return title, open(where, encoding="utf-8").read()
    for c in components:
        found = lines_between(open(c["copyright_file"], encoding="utf-8").read(), *where)
        if found:
            return title, found
    fail(f"no copyright file of the linked packages holds the {title}")


def grant_of(term, components):
    """The text of the licence TERM, as the packages linked in give it."""
    grant = TERMS[term]["grant"]
    if isinstance(grant, str):
        return grant + "\n"
    for c in components:
        text = open(c["copyright_file"], encoding="utf-8").read()
        if grant[0] == "copyright":
            found = lines_between(text, grant[1], grant[2])
            if found:
                return textwrap.dedent(found)
        elif LICENSES[c["origin"]].get("dep5"):
            found = dep5(c["copyright_file"])[1].get(grant[1])
            if found:
                return found
    fail(f"no copyright file of the linked packages holds the text of {term}")


def program_terms(components, origins, headers):
    """The SPDX terms of what the program holds: the libraries' in the order of
    ORIGINS, then those of the headers' exceptions."""
    return unique([t for o in origins for c in components if c["origin"] == o
                   for t in split_terms(c["license"])] + [h["spdx"] for h in headers if "spdx" in h])


def field(name, text):
    """A control field NAME whose value is TEXT, wrapped."""
    lines = textwrap.fill(text, 78, initial_indent=f"{name}: ", subsequent_indent=" ",
                          break_on_hyphens=False, break_long_words=False)
    return lines


def paragraph(text):
    """Text as the continuation lines of a Debian control field."""
    return "\n".join(" " + line if line.strip() else " ." for line in text.rstrip("\n").split("\n"))


def debian_copyright(program, components, origins, terms, texts, source_dir, maintainer):
    lic_file = open(os.path.join(source_dir, "LICENSE"), encoding="utf-8").read()
    expat = lic_file[lic_file.index("Permission is hereby granted"):]
    exe = program["path"]
    out = ["Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/",
           "Upstream-Name: dorvane_oem_tool", f"Upstream-Contact: {maintainer}"]
    if components:
        out.append(field("Comment",
            f"{exe} is the tool's own code (Expat) linked statically with parts of the "
            f"libraries named in the Files paragraph of the program, each under its own "
            f"licence: as a whole it is under {program['license']} (SPDX). NOTICE in this "
            f"folder says which parts, under which licence each, where the source of the "
            f"libraries whose licence asks for it is kept and how to link the program again, "
            f"and holds each library's Debian copyright file; {program['name']}.cdx.json is the "
            f"program's bill of materials."))
    out += ["", "Files: *", "Copyright: 2026 the dorvane_oem_tool authors", "License: Expat"]
    if components:
        debian = " and ".join(["Expat"] + [TERMS[t]["debian"] for t in terms])
        holders = ["2026 the dorvane_oem_tool authors"] + [LICENSES[o]["copyright"] for o in origins]
        parts = "\n".join(
            f"{LICENSES[o]['title']}: {o} "
            f"{next(c['origin_version'] for c in components if c['origin'] == o)} ("
            + " and ".join(TERMS[t]["debian"] for t in unique(
                t for c in components if c["origin"] == o for t in split_terms(c["license"])))
            + ")" for o in origins)
        out += ["", f"Files: {exe.lstrip('/')}",
                "Copyright: " + "\n ".join(holders),
                f"License: {debian}",
                "Comment: The program holds parts of\n" + paragraph(parts)]
    out += ["", "License: Expat", paragraph(expat)]
    for term in terms:
        body = grant_of(term, components).rstrip("\n")
        for key in TERMS[term]["texts"]:
            title, where = TEXTS[key]
            if isinstance(where, str):
                body += "\n\n" + wrap(f"On Debian systems, the complete text of the {title} "
                                      f"is in {where}; NOTICE in this folder holds it too.")
            else:
                body += "\n\n" + dict(texts)[title].rstrip("\n")
        out += ["", f"License: {TERMS[term]['debian']}", paragraph(body)]
    return "\n".join(out) + "\n"
