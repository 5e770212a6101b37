"""The licence of each file that the link took from a known package."""

import fnmatch
import os

from .common import split_terms
from .dpkg import dep5, dep5_licence, named_files
from .linkmap import source_paths
from .tables import LICENSES, TERMS


class Licensing:
    """The licence of each file that the link took from a known package."""

    def __init__(self, objdump):
        self.objdump = objdump
        self.problems = []
        self.cache = {}

    def copyright_of(self, kind, copyright_file):
        key = (kind, copyright_file)
        if key not in self.cache:
            self.cache[key] = dep5(copyright_file) if kind == "dep5" else named_files(copyright_file)
        return self.cache[key]

    def of_path(self, lic, copyright_file, what, path):
        """(SPDX term, the Files pattern that gives it) of the source PATH."""
        short, pattern = dep5_licence(self.copyright_of("dep5", copyright_file)[0], path)
        if short not in lic["licences"]:
            self.problems.append(
                f"{what}: {copyright_file} puts its source {path} under \"{short}\", which "
                f"\"licences\" of LICENSES in packaging/compliance/tables.py does not name: read that "
                f"licence and add it")
            return None
        return lic["licences"][short], f"{copyright_file}: Files: {pattern}"

    def groups(self, origin, copyright_file, path, members):
        """[{spdx, members, why}]: the parts taken from the file at PATH
        (its members, or the file itself when loaded whole), by licence."""
        lic = LICENSES[origin]
        archive = os.path.basename(path) if path.endswith(".a") else ""
        parts = members or [os.path.basename(path)]
        paths = {}
        if lic.get("dep5"):
            paths = source_paths(self.objdump, path if archive else "", members or [path])
        named = {} if lic.get("dep5") else self.copyright_of("named", copyright_file)
        result = {}
        for part in parts:
            what = f"{part} of {path}" if archive else path
            rule = next((r for r in lic.get("files", []) if fnmatch.fnmatchcase(archive, r["archive"])
                         and fnmatch.fnmatchcase(path, r.get("where", "*"))
                         and any(fnmatch.fnmatchcase(part, m) for m in r["members"])), None)
            if rule and "spdx" in rule:
                spdx, why = rule["spdx"], rule["why"]
            elif lic.get("dep5"):
                source = rule["path"] if rule else paths.get(part)
                if not source:
                    self.problems.append(f"{what} names no source in its debug information, and no "
                                         f"rule of LICENSES in packaging/compliance/tables.py gives its licence")
                    continue
                found = self.of_path(lic, copyright_file, what, source)
                if not found:
                    continue
                spdx, why = found
                if rule:
                    why = f"{rule['why']}; {why}"
            else:
                stem = os.path.splitext(part)[0]
                if stem in named:
                    self.problems.append(
                        f"{what} ({origin}): {copyright_file} names {named[stem]} among the files "
                        f"under a licence of their own, and no rule of LICENSES in "
                        f"packaging/compliance/tables.py gives its licence: read it and add a rule")
                    continue
                spdx, why = lic["spdx"], ""
            for term in split_terms(spdx):
                if term not in TERMS:
                    self.problems.append(f"{what} is under {term}, which TERMS in packaging/compliance/tables.py "
                                         f"does not know: add its Debian name and text")
            group = result.setdefault((spdx, why if spdx != lic["spdx"] else ""), [])
            group.append(part)
        ordered = sorted(result.items(), key=lambda kv: (kv[0][0] != lic["spdx"], kv[0]))
        return [{"spdx": spdx, "why": why, "members": sorted(parts)} for (spdx, why), parts in ordered]
