"""What dpkg and apt know: the package that owns a file, its fields, its
machine-readable copyright file, its package URL and its .deb as apt records it."""

import json
import os
import re
import subprocess
import textwrap

from .common import fail, run, sha_of, sha512


def owners(paths):
    """{real path: "package:arch"} from dpkg -S."""
    found = {}
    result = subprocess.run(["dpkg", "-S", *paths], capture_output=True, text=True)
    for line in result.stdout.splitlines():
        m = re.match(r"^([^:, ]+(?::[a-z0-9]+)?): (/.*)$", line)
        if m:
            found[m.group(2)] = m.group(1)
    return found


FIELDS = ["Package", "Architecture", "Version", "source:Package", "source:Version",
          "Maintainer", "Homepage", "Built-Using", "Depends"]


def package_fields(package):
    out = run("dpkg-query", "-W", "-f", "\\n".join("${%s}" % f for f in FIELDS), package)
    return dict(zip(FIELDS, out.split("\n")))


def relations(field):
    """[(name, version or None)] of a Depends or Built-Using field."""
    result = []
    for item in filter(None, (i.strip() for i in field.split(","))):
        first = item.split("|")[0].strip()
        m = re.match(r"^([a-z0-9][a-z0-9+.-]*)(?::[a-z0-9]+)?\s*(?:\(\s*=\s*([^)\s]+)\s*\))?", first)
        if m:
            result.append((m.group(1), m.group(2)))
    return result


def dep5(copyright_file):
    """A machine-readable copyright file: ([(patterns, licence)] of its Files
    paragraphs in order, {licence: its text})."""
    files, texts = [], {}
    text = open(copyright_file, encoding="utf-8").read()
    for block in re.split(r"\n\s*\n", text):
        fields, name = {}, None
        for line in block.split("\n"):
            m = re.match(r"^([A-Za-z-]+):\s?(.*)$", line)
            if m:
                name = m.group(1)
                fields[name] = [m.group(2)]
            elif name and line.startswith((" ", "\t")):
                fields[name].append(line)
        if "License" not in fields:
            continue
        short = fields["License"][0].strip()
        body = "\n".join("" if line.strip() == "." else line[1:] for line in fields["License"][1:])
        if body.strip() and short not in texts:
            texts[short] = textwrap.dedent(body).strip("\n") + "\n"
        if "Files" in fields:
            patterns = " ".join(fields["Files"]).split()
            files.append((patterns, short))
    if not files:
        fail(f"{copyright_file} has no Files paragraph: is it machine-readable?")
    return files, texts


def dep5_match(pattern, path):
    regex = "".join(".*" if c == "*" else "." if c == "?" else re.escape(c) for c in pattern)
    return re.fullmatch(regex, path) is not None


def dep5_licence(files, path):
    """(licence, pattern) of the last Files paragraph that matches PATH."""
    found = (None, None)
    for patterns, short in files:
        for p in patterns:
            if dep5_match(p, path):
                found = (short, p)
    return found


def named_files(copyright_file):
    """{stem: path} of the source files that a copyright file in prose names
    (each under a licence of its own, as such files name them)."""
    text = open(copyright_file, encoding="utf-8", errors="replace").read()
    return {os.path.splitext(os.path.basename(p))[0]: p
            for p in re.findall(r"\b(?:[\w.+-]+/)*[\w+-]+\.(?:c|cc|h|S|s)\b", text)}


def debian_release():
    """The Debian release whose packages were linked in: 12 for bookworm."""
    with open("/etc/os-release", encoding="utf-8") as f:
        fields = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    release = fields.get("VERSION_ID", "").strip('"')
    if fields.get("ID") != "debian" or not release:
        fail("the packages linked in are not Debian's (/etc/os-release): no package URL for them")
    return release


def enc(s):
    """A name or version as a package URL writes it."""
    return s.replace("%", "%25").replace("+", "%2B").replace(":", "%3A")


def source_purl(name, version):
    """The package URL of a Debian source package."""
    return f"pkg:deb/debian/{name}@{enc(version)}?arch=source&distro=debian-{debian_release()}"


def purl(c):
    """The package URL of a Debian package, as scanners match it to advisories."""
    qualifiers = [f"arch={c['architecture']}", f"distro=debian-{debian_release()}"]
    if c["origin_version"] != c["version"]:
        qualifiers.append(f"upstream={enc(c['origin'])}%40{enc(c['origin_version'])}")
    elif c["origin"] != c["package"]:
        qualifiers.append(f"upstream={enc(c['origin'])}")
    return f"pkg:deb/debian/{c['package']}@{enc(c['version'])}?{'&'.join(sorted(qualifiers))}"


def pin_of(c):
    """apt's name of the version of component C."""
    if c["architecture"] == "all":
        return f"{c['package']}={c['version']}"
    return f"{c['package']}:{c['architecture']}={c['version']}"


def apt_records(components):
    """{pin: the fields that apt's package lists record for that version}."""
    pins = [pin_of(c) for c in components]
    out = subprocess.run(["apt-cache", "show", "--no-all-versions", *pins],
                         capture_output=True, text=True).stdout
    records = {}
    for block in out.split("\n\n"):
        fields = dict(re.findall(r"^([A-Za-z0-9-]+): (.*)$", block, re.M))
        if "Package" in fields:
            arch = fields.get("Architecture")
            for pin in (f"{fields['Package']}={fields.get('Version')}",
                         f"{fields['Package']}:{arch}={fields.get('Version')}"):
                records.setdefault(pin, fields)
    for pin in pins:
        if "SHA256" not in records.get(pin, {}):
            fail(f"apt's package lists have no record of {pin}: run apt-get update, or, if Debian "
                 f"has a newer version, upgrade the package and build again")
    return records


def deb_of(c, record, cache):
    """The .deb of component C that dpkg installed, checked against apt's record."""
    pin = pin_of(c)
    name = f"{c['package']}_{c['version'].replace(':', '%3a')}_{c['architecture']}.deb"
    candidates = [os.path.join(d, name) for d in (cache, "/var/cache/apt/archives")]

    def matches(path):
        return os.path.isfile(path) and sha_of(path, "sha256") == record["SHA256"] and \
            ("SHA512" not in record or sha_of(path) == record["SHA512"])

    deb = next((p for p in candidates if matches(p)), None)
    if not deb:
        os.makedirs(cache, exist_ok=True)
        os.chmod(cache, 0o755)  # apt's download user writes there
        got = subprocess.run(["apt-get", "download", "-qq", pin], cwd=cache,
                             capture_output=True, text=True)
        if got.returncode or not matches(candidates[0]):
            fail(f"no .deb of {pin} whose SHA-256 is apt's ({record['SHA256']}): "
                 f"apt-get download {pin} says: {got.stderr.strip()}")
        deb = candidates[0]
    installed = f"/var/lib/dpkg/info/{c['package']}:{c['architecture']}.md5sums"
    if not os.path.isfile(installed):
        installed = f"/var/lib/dpkg/info/{c['package']}.md5sums"
    packed = subprocess.run(["dpkg-deb", "--info", deb, "md5sums"], capture_output=True).stdout
    if not os.path.isfile(installed) or open(installed, "rb").read() != packed:
        fail(f"{deb} is not the package that dpkg installed: its md5sums are not {installed}")
    return deb


def debs_of(components_file, components, cache):
    """{package: (its .deb, the .deb's SHA-512)}, found and checked once for
    the components of COMPONENTS_FILE: kept beside it (debs.json) for the
    next package made of the same build."""
    memo_file = os.path.join(os.path.dirname(components_file), "debs.json")
    key = sha_of(components_file, "sha256")
    try:
        memo = json.load(open(memo_file, encoding="utf-8"))
        if memo["components"] == key and all(os.path.getsize(d["deb"]) == d["size"]
                                             for d in memo["debs"].values()):
            return {p: (d["deb"], d["sha512"]) for p, d in memo["debs"].items()}
    except (OSError, ValueError, KeyError):
        pass
    records = apt_records(components) if components else {}
    debs = {}
    for c in components:
        deb = deb_of(c, records[pin_of(c)], cache)
        debs[c["package"]] = {"deb": deb, "sha512": sha512(deb), "size": os.path.getsize(deb)}
    with open(memo_file, "w", encoding="utf-8") as f:
        json.dump({"components": key, "debs": debs}, f, indent=2)
    return {p: (d["deb"], d["sha512"]) for p, d in debs.items()}
