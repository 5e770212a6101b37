"""The CycloneDX 1.6 bill of materials of a program as packed."""

import hashlib
import json
import os
import re
import urllib.parse
import uuid
from datetime import datetime, timezone

from .common import fail, sha512, split_maintainer, split_terms
from .dpkg import debs_of, purl, source_purl
from .tables import LICENSES

quote = urllib.parse.quote


def concluded(spdx):
    """The licences of a component, concluded from the link, as one SPDX
    expression (its LicenseRef- terms are defined on the program)."""
    return [{"expression": spdx, "acknowledgement": "concluded"}]


def release_url(program, name):
    """Where the release publishes the file NAME: under the project's home."""
    return f"{program['home'].rstrip('/')}/releases/{program['version']}/{name}"


def package_form(program, package):
    """(purl, description) of the program as packed in the file PACKAGE: a
    Debian package, an RPM, or an archive (.tar.gz, .zip) of the release."""
    vendor, version = "dorvane_oem_tool", program["version"]
    deb = re.fullmatch(r"([a-z0-9.+-]+)_([^_]+)_([a-z0-9]+)\.deb", package)
    rpm = re.fullmatch(r"(.+)-([^-]+)-([^-]+)\.([a-z0-9_]+)\.rpm", package)
    if deb:
        return (f"pkg:deb/{vendor}/{deb[1]}@{quote(deb[2])}?arch={deb[3]}",
                f"the Debian package {package}")
    if rpm:
        return (f"pkg:rpm/{vendor}/{rpm[1]}@{quote(rpm[2])}-{quote(rpm[3])}?arch={rpm[4]}",
                f"the RPM {package}")
    if package.endswith((".tar.gz", ".zip")):
        url = quote(release_url(program, package), safe="")
        return f"pkg:generic/{vendor}@{quote(version)}?download_url={url}", f"the archive {package}"
    fail(f"{package} is no .deb, .rpm, .tar.gz or .zip of the release")


def bsi(filename, executable, archive, structured="unstructured"):
    """The properties BSI TR-03183-2 asks of each component."""
    return [{"name": "bsi:component:filename", "value": filename},
            {"name": "bsi:component:executable", "value": executable},
            {"name": "bsi:component:archive", "value": archive},
            {"name": "bsi:component:structured", "value": structured}]


def cmd_sbom(args):
    data = json.load(open(args.components, encoding="utf-8"))
    program, components, texts = data["program"], data["components"], data["licence_texts"]
    epoch = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not epoch.isdigit():
        fail("SOURCE_DATE_EPOCH is not set: the bill of materials is dated by it")
    cache = os.environ.get("DORVANE_DEB_CACHE") or os.path.join(
        os.path.dirname(os.path.dirname(os.path.dirname(os.path.realpath(__file__)))), "build-tools",
        "debs")
    stamp = datetime.fromtimestamp(int(epoch), timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
    who, address = split_maintainer(program["maintainer"])
    authors = {"name": "the dorvane_oem_tool authors",
               "contact": [{"name": who, **({"email": address} if address else {})}]}
    if not program.get("home"):
        fail(f"{args.components} names no home of the project (notices --home): the bill of "
             f"materials' addresses are made from it")
    me = f"dorvane_oem_tool@{program['version']}-{program['target']}"
    form, packed = package_form(program, args.package)
    main = {
        "type": "application", "bom-ref": me, "name": "dorvane_oem_tool",
        "version": program["version"], "supplier": authors, "manufacturer": authors,
        "description": f"dorvane_oem_tool for {program['target']}, linked statically, as packed "
                       f"in {packed}",
        "licenses": concluded(program["license"]),
        "hashes": [{"alg": "SHA-512", "content": sha512(args.program)}],
        "cpe": f"cpe:2.3:a:dorvane_oem_tool:dorvane_oem_tool:{program['version']}:*:*:*:*:*:*:*",
        "purl": form,
        "externalReferences": [
            {"type": "website", "url": program["home"]},
            {"type": "distribution", "url": release_url(program, args.package),
             "comment": f"{packed}, which holds the program"}],
        "properties": bsi(program["file"], "executable", "no archive"),
    }
    tarball = os.environ.get("DORVANE_SOURCE_TARBALL")
    if tarball:
        if not os.path.isfile(tarball):
            fail(f"DORVANE_SOURCE_TARBALL names no file: {tarball}")
        main["externalReferences"].append({
            "type": "source-distribution", "url": release_url(program, os.path.basename(tarball)),
            "comment": "the release's source tarball",
            "hashes": [{"alg": "SHA-512", "content": sha512(tarball)}]})
    # Each LicenseRef- of the program's licence (which holds every term of
    # what it holds), defined by its text.
    main["evidence"] = {"licenses": [
        {"license": {"name": t, "text": {"contentType": "text/plain", "content": texts[t]}}}
        for t in split_terms(program["license"]) if t.startswith("LicenseRef-")]}
    if not main["evidence"]["licenses"]:
        del main["evidence"]
    refs = {}
    for c in components:
        for f in c["files"]:
            refs[f["path"]] = f"{purl(c)}#{f['path']}"
    entries, depends = [], [{"ref": me, "dependsOn": []}]
    debs = debs_of(args.components, components, cache)
    for c in components:
        ref = purl(c)
        team, team_address = split_maintainer(c["maintainer"])
        supplier = {"name": team, **({"contact": [{"email": team_address}]} if team_address else {})}
        maker = {"name": LICENSES[c["origin"]]["title"], "url": [c["homepage"]]}
        files = [{
            "type": "file", "bom-ref": refs[f["path"]], "supplier": supplier, "manufacturer": maker,
            "name": f["name"], "version": c["version"], "licenses": concluded(f["license"]),
            "hashes": [{"alg": "SHA-512", "content": f["sha512"]}],
            "properties": bsi(f["name"], "non-executable",
                              "archive" if f["name"].endswith(".a") else "no archive") +
                          [{"name": "debian:path", "value": f["path"]}] +
                          [{"name": "linked:member", "value": m} for m in f["members"]] +
                          [{"name": "linked:licence", "value": f"{g['spdx']}: {', '.join(g['members'])}"}
                           for g in f["licences"] if g["why"]],
        } for f in c["files"]]
        deb, deb_sha512 = debs[c["package"]]
        entry = {
            "type": "library", "bom-ref": ref, "supplier": supplier, "manufacturer": maker,
            "name": c["package"], "version": c["version"],
            "description": LICENSES[c["origin"]]["title"],
            "licenses": concluded(c["license"]),
            "hashes": [{"alg": "SHA-512", "content": deb_sha512}], "purl": ref,
            # The Debian source packages it was built from, by their own URLs.
            "pedigree": {"ancestors": [
                {"type": "library", "name": name, "version": version,
                 "purl": source_purl(name, version)}
                for name, version in dict.fromkeys([(c["source"], c["source_version"]),
                                                    (c["origin"], c["origin_version"])])]},
            "externalReferences": [{
                "type": "source-distribution",
                "url": f"https://snapshot.debian.org/package/{c['origin']}/"
                       f"{c['origin_version'].replace('+', '%2B')}/"},
                {"type": "website", "url": c["homepage"]}],
            "properties": bsi(os.path.basename(deb).replace("%3a", ":"),
                              "non-executable", "archive", "structured") +
                          [{"name": "debian:source", "value": f"{c['source']} {c['source_version']}"},
                           {"name": "debian:built-from",
                            "value": f"{c['origin']} {c['origin_version']}"}],
            "components": files,
        }
        entries.append(entry)
        depends[0]["dependsOn"].append(ref)
        depends.append({"ref": ref, "dependsOn": sorted(
            purl(o) for o in components if o["package"] in c["depends"])})
        depends += [{"ref": refs[f["path"]], "dependsOn": sorted(refs[u] for u in f["uses"])}
                    for f in c["files"]]
    # The files the tool's own code took parts of.
    depends[0]["dependsOn"] += sorted(refs[u] for u in program["uses"])
    bom = {
        "bomFormat": "CycloneDX", "specVersion": "1.6", "version": 1,
        "metadata": {
            "timestamp": stamp,
            "lifecycles": [{"phase": "build"}],
            "tools": {"components": [{"type": "application", "name": "packaging/components",
                                      "version": program["version"]}]},
            "authors": [{"name": who, **({"email": address} if address else {})}],
            "supplier": authors, "manufacturer": authors,
            "component": main,
        },
        "components": entries,
        "dependencies": depends,
        # Every file the linker took is listed: what the program holds is complete.
        "compositions": [{"aggregate": "complete", "assemblies": [me],
                          "dependencies": [me]}],
    }
    used = set(re.findall(r"LicenseRef-[A-Za-z0-9.-]+", json.dumps(bom)))
    if used - set(texts):
        fail(f"no text for {', '.join(sorted(used - set(texts)))} in {args.components}")
    write_bom(bom, args.out)


def write_bom(bom, out):
    """Writes BOM with a serial number made from its content."""
    text = json.dumps(bom, indent=2, ensure_ascii=False)
    serial = uuid.uuid5(uuid.NAMESPACE_URL, "urn:sha256:" + hashlib.sha256(text.encode()).hexdigest())
    bom = {"bomFormat": bom.pop("bomFormat"), "specVersion": bom.pop("specVersion"),
           "serialNumber": f"urn:uuid:{serial}", **bom}
    with open(out, "w", encoding="utf-8") as f:
        f.write(json.dumps(bom, indent=2, ensure_ascii=False) + "\n")
