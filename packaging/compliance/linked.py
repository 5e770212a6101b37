"""What a program holds, read from its link (`scan`), and the files that say so
(`cmd_notices`): components.json, NOTICE, copyright, debian-fields, license."""

import hashlib
import json
import os
import re

from .common import expression, fail, run, sha512, split_terms, unique
from .copyright import debian_copyright, grant_of, program_terms, text_of
from .dpkg import owners, package_fields, relations
from .licensing import Licensing
from .linkmap import read_map
from .notice import header_notices, notice
from .tables import LICENSES, TERMS


def scan(map_file, build_dir, source_dir, licensing):
    """The packages linked into the program, each with the files taken from
    it, their licences and what each file took parts of; the files the
    program's own code took parts of; every file the link loaded."""
    inputs, loads, taken = read_map(map_file)
    build_dir = os.path.realpath(build_dir)
    own = [os.path.realpath(source_dir), build_dir]

    def real(name):
        return os.path.realpath(os.path.join(build_dir, name))

    def is_own(path):
        return any(path == d or path.startswith(d + os.sep) for d in own)

    foreign = {}
    for name, members in inputs.items():
        path = real(name)
        if not os.path.isfile(path):
            fail(f"{map_file}: the linked file {name} is not there")
        if is_own(path):
            continue
        foreign.setdefault(path, set()).update(members)
    # Who took what: the file whose reference took a member depends on the
    # member's file; the tool's own files stand for the program.
    uses = {}
    for archive, _, by in taken:
        by_path = real(re.sub(r"\(.*\)$", "", by))
        user = "program" if is_own(by_path) else by_path
        if real(archive) != by_path:
            uses.setdefault(user, set()).add(real(archive))
    found = owners(sorted(foreign)) if foreign else {}
    packages = {}
    for path in sorted(foreign):
        if path not in found:
            fail(f"{path} is linked into the program but belongs to no Debian package (dpkg -S)")
        packages.setdefault(found[path], []).append(path)
    components = []
    for package, paths in sorted(packages.items()):
        info = package_fields(package)
        origin, origin_version = info["source:Package"], info["source:Version"]
        # A package built from another package's source (a cross compiler's
        # libraries, mingw-w64's GCC) names that source in Built-Using.
        built_using = relations(info["Built-Using"])
        if len(built_using) == 1 and built_using[0][1]:
            origin, origin_version = built_using[0]
        if origin not in LICENSES:
            fail(f"{', '.join(paths)} ({info['Package']} {info['Version']}, source {origin} "
                 f"{origin_version}) is linked into the program, but no licence is known for "
                 f"{origin}: read /usr/share/doc/{info['Package']}/copyright and add {origin} to "
                 f"LICENSES in packaging/compliance/tables.py")
        copyright_file = f"/usr/share/doc/{info['Package']}/copyright"
        if not os.path.isfile(copyright_file):
            fail(f"{info['Package']} has no {copyright_file}")
        files = []
        for p in paths:
            groups = licensing.groups(origin, copyright_file, p, sorted(foreign[p]))
            files.append({"path": p, "name": os.path.basename(p), "sha512": sha512(p),
                          "members": sorted(foreign[p]), "licences": groups,
                          "license": expression(unique(t for g in groups for t in split_terms(g["spdx"]))),
                          "uses": sorted(uses.get(p, set()) - {p})})
        components.append({
            "package": info["Package"],
            "architecture": info["Architecture"],
            "version": info["Version"],
            "source": info["source:Package"],
            "source_version": info["source:Version"],
            "origin": origin,
            "origin_version": origin_version,
            "maintainer": info["Maintainer"],
            "homepage": info["Homepage"] or LICENSES[origin]["homepage"],
            "depends": sorted({name for name, _ in relations(info["Depends"])}),
            "copyright_file": copyright_file,
            "copyright_sha256": hashlib.sha256(open(copyright_file, "rb").read()).hexdigest(),
            "files": files,
        })
    if licensing.problems:
        fail("the licence of these files is not known:\n  " + "\n  ".join(licensing.problems))
    origins = [o for o in LICENSES if any(c["origin"] == o for c in components)]
    linked = {f["path"] for c in components for f in c["files"]}
    for c in components:
        c["depends"] = [d for d in c["depends"] if any(o["package"] == d for o in components)]
        terms = unique(t for f in c["files"] for t in split_terms(f["license"]))
        main = LICENSES[c["origin"]]["spdx"]
        c["license"] = expression(([main] if main in terms else []) + [t for t in terms if t != main])
        for f in c["files"]:
            f["uses"] = [u for u in f["uses"] if u in linked]
    # The program holds the objects loaded whole (start files) and the files
    # its own code took parts of.
    whole = {p for c in components for f in c["files"] if not f["members"] for p in [f["path"]]}
    program_uses = sorted((uses.get("program", set()) & linked) | whole)
    return components, origins, program_uses, [real(p) for p in loads]


def cmd_notices(args):
    licensing = Licensing(args.objdump)
    components, origins, program_uses, loads = scan(args.map, args.build_dir, args.source_dir,
                                                    licensing)
    windows = args.target.startswith("win")
    exe = "dorvane_oem_tool.exe" if windows else "dorvane_oem_tool"
    headers = header_notices(args.compile_commands, args.source_dir, args.build_dir)
    terms = program_terms(components, origins, headers)
    license = expression(["MIT"] + terms)
    program = {"name": "dorvane_oem_tool", "version": args.version, "target": args.target,
               "file": exe, "path": "/usr/bin/dorvane_oem_tool", "license": license,
               "license_file": "LICENSE.txt" if windows else "LICENSE",
               "maintainer": args.maintainer, "toolchain": args.toolchain, "home": args.home,
               "uses": program_uses}
    texts = []
    for term in terms:
        for key in TERMS[term]["texts"]:
            title_text = text_of(key, components)
            if title_text not in texts:
                texts.append(title_text)
    # The files of the libraries whose source goes with the program, as the
    # link loaded them: what a link with a changed library needs.
    kept = {os.path.realpath(p) for c in components if LICENSES[c["origin"]]["source"] for p in
            run("dpkg-query", "-L", c["package"] if c["architecture"] == "all" else
                f"{c['package']}:{c['architecture']}").split("\n") if p.startswith("/")}
    relink = unique(p for p in loads if p in kept)
    refs = {t: grant_of(t, components) for t in terms if t.startswith("LicenseRef-")}
    os.makedirs(args.out_dir, exist_ok=True)

    def write(name, text):
        with open(os.path.join(args.out_dir, name), "w", encoding="utf-8") as f:
            f.write(text)

    write("components.json", json.dumps({"program": program, "components": components,
                                         "licence_texts": refs, "header_notices": headers},
                                        indent=2, ensure_ascii=False) + "\n")
    write("NOTICE", notice(program, components, origins, texts, relink, headers))
    write("copyright", debian_copyright(program, components, origins, terms, texts,
                                        args.source_dir, args.maintainer))
    version_of = {o: next(c["origin_version"] for c in components if c["origin"] == o)
                  for o in origins}
    built_using = ", ".join(f"{o} (= {version_of[o]})" for o in sorted(origins)
                            if LICENSES[o]["source"])
    static = ", ".join(f"{o} (= {version_of[o]})" for o in sorted(origins))
    write("debian-fields", (f"Built-Using: {built_using}\n" if built_using else "") +
          (f"Static-Built-Using: {static}\n" if static else ""))
    write("license", license + "\n")
