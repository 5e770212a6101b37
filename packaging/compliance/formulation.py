"""The record of a release's build, as a CycloneDX 1.6 formulation: the
system, every Debian package whose tools, libraries or headers the build
used (and the packages those need), each at its version, and the commands
that configured and built each program. (Signing, which follows the build,
is not part of it.)"""

import json
import os
import re
import shlex
import shutil
import subprocess
import sys
from datetime import datetime, timezone

from .common import fail, run, unique
from .dpkg import debian_release, enc
from .notice import included_headers
from .sbom import write_bom

# The commands scripts/release runs besides the build folders' own tools.
RELEASE_TOOLS = ["bash", "git", "gzip", "tar", "xz", "sha256sum", sys.executable, "dpkg-deb",
                 "dpkg-source", "apt-get", "rpmbuild", "objdump", "aarch64-linux-gnu-objdump", "ar"]
# The compiler's own programs, which its driver runs.
COMPILER_PARTS = ["cc1plus", "cc1", "as", "ld", "collect2", "lto-wrapper"]


def cache(build_dir):
    """{name: (type, value)} of BUILD_DIR's CMake cache, and its compilers."""
    found = {}
    for line in open(os.path.join(build_dir, "CMakeCache.txt"), encoding="utf-8"):
        m = re.match(r"^([A-Za-z_]+):([A-Z]+)=(.*)$", line.rstrip("\n"))
        if m:
            found[m[1]] = (m[2], m[3])
    files = os.path.join(build_dir, "CMakeFiles")
    for version in os.listdir(files):
        for kind in ("C", "CXX", "RC"):
            path = os.path.join(files, version, f"CMake{kind}Compiler.cmake")
            if os.path.isfile(path):
                m = re.search(rf'set\(CMAKE_{kind}_COMPILER "([^"]+)"\)', open(path).read())
                if m:
                    found[f"CMAKE_{kind}_COMPILER"] = ("FILEPATH", m[1])
    return found


def tools_of(build_dir, settings):
    """The programs a build folder's build ran: its cache's tools and the
    parts of its compilers."""
    tools = [v for k, (_, v) in settings.items() if k.startswith(("CMAKE_", "DORVANE_"))
             and v.startswith("/") and os.path.isfile(v) and os.access(v, os.X_OK)]
    for key in ("CMAKE_CXX_COMPILER", "CMAKE_C_COMPILER"):
        compiler = settings.get(key, ("", ""))[1]
        if compiler:
            for part in COMPILER_PARTS:
                path = run(compiler, f"-print-prog-name={part}").strip()
                path = path if path.startswith("/") else shutil.which(path) or ""
                if os.path.isfile(path):
                    tools.append(os.path.normpath(path))
    return tools


def packages_of(paths):
    """[(package, arch)] of the packages that installed PATHS, whatever /usr
    merge made of their paths (a file that several architectures' packages
    share gives each of them)."""
    def variants(p):
        real = os.path.realpath(p)
        return unique([p, real] + [re.sub(r"^/usr/(bin|sbin|lib)/", r"/\1/", x) for x in (p, real)])
    tries = {v: p for p in paths for v in variants(p)}
    out = subprocess.run(["dpkg", "-S", *sorted(tries)], capture_output=True, text=True).stdout
    found, packages = set(), set()
    for line in out.splitlines():
        names, _, path = line.partition(": ")
        if path in tries and "diversion" not in names:
            found.add(tries[path])
            packages.update(tuple((n + ":").split(":")[:2]) for n in names.split(", "))
    missing = sorted(set(paths) - found)
    if missing:
        fail(f"these files the build used belong to no Debian package: {', '.join(missing)}")
    return packages


def installed():
    """{(package, arch): (version, [[alternatives] of Depends and Pre-Depends])},
    and {virtual package: [(package, arch)]} of what is installed."""
    out = run("dpkg-query", "-W", "-f", "${db:Status-Abbrev}\t${Package}\t${Architecture}\t"
              "${Version}\t${Depends}, ${Pre-Depends}\t${Provides}\n")
    packages, provides = {}, {}
    for line in out.splitlines():
        status, name, arch, version, depends, provided = line.split("\t")
        if not status.startswith("ii"):
            continue
        alternatives = [[re.match(r"^([^ :(]+)", a.strip())[1] for a in item.split("|")]
                        for item in depends.split(",") if item.strip()]
        packages[(name, arch)] = (version, alternatives)
        for p in filter(None, (x.strip().split(" ")[0] for x in provided.split(","))):
            provides.setdefault(p, []).append((name, arch))
    return packages, provides


def closure(seeds, packages, provides):
    """SEEDS and every installed package they need, by Depends and Pre-Depends."""
    native = run("dpkg", "--print-architecture").strip()
    done, todo = set(), list(seeds)
    while todo:
        key = todo.pop()
        if key in done:
            continue
        done.add(key)
        for alternatives in packages[key][1]:
            for name in alternatives:
                hits = [(name, a) for a in (key[1], "all", native) if (name, a) in packages]
                hits = hits or provides.get(name, [])
                if hits:
                    todo.append(hits[0])
                    break
    return done


def cmd_formulation(args):
    epoch = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not epoch.isdigit():
        fail("SOURCE_DATE_EPOCH is not set: the record of the build is dated by it")
    stamp = datetime.fromtimestamp(int(epoch), timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
    source_dir = os.path.realpath(args.source_dir)
    roles, tasks = {}, []
    tools = [shutil.which(t) for t in RELEASE_TOOLS]
    for build_dir in args.build_dirs:
        settings = cache(build_dir)
        name = os.path.relpath(os.path.realpath(build_dir), source_dir)
        tools += tools_of(build_dir, settings)
        data = json.load(open(os.path.join(build_dir, "notices", "components.json"), encoding="utf-8"))
        for c in data["components"]:
            key = (c["package"], c["architecture"])
            roles.setdefault(key, set()).add("linked")
        headers = included_headers(os.path.join(build_dir, "compile_commands.json"), source_dir,
                                   build_dir)
        for key in packages_of(headers):
            roles.setdefault(key, set()).add("headers")
        # The settings it was configured with: the build type, the project's own.
        options = [shlex.quote(f"-D{k}={v}") for k, (kind, v) in sorted(settings.items())
                   if kind in ("BOOL", "STRING") and (k == "CMAKE_BUILD_TYPE" or k.startswith("DORVANE_"))]
        toolchain = settings.get("CMAKE_TOOLCHAIN_FILE", ("", ""))[1]
        if toolchain:
            options.insert(0, f"-DCMAKE_TOOLCHAIN_FILE={os.path.relpath(toolchain, source_dir)}")
        tasks.append({"bom-ref": f"build-{data['program']['target']}", "uid": name,
                      "name": f"{data['program']['target']} in {name}", "taskTypes": ["build"],
                      "steps": [{"name": "configure", "commands": [
                                    {"executed": f"cmake -S . -B {name} -G Ninja {' '.join(options)}"}]},
                                {"name": "build", "commands": [{"executed": f"cmake --build {name}"}]}]})
    for key in packages_of([t for t in tools if t]):
        roles.setdefault(key, set()).add("tool")
    packages, provides = installed()
    # dpkg -S names a package of this machine's architecture, or of all, without it.
    native = run("dpkg", "--print-architecture").strip()
    seeds = {}
    for (name, arch), r in roles.items():
        key = next((k for k in [(name, arch), (name, native), (name, "all")] if k in packages),
                   (name, arch))
        seeds.setdefault(key, set()).update(r)
    missing = [f"{n}:{a}" for n, a in seeds if (n, a) not in packages]
    if missing:
        fail(f"these packages the build used are not installed: {', '.join(missing)}")
    release = debian_release()
    components = [{"type": "operating-system", "bom-ref": "system", "name": "debian",
                   "version": open("/etc/debian_version", encoding="utf-8").read().strip()}]
    for name, arch in sorted(closure(seeds, packages, provides)):
        version = packages[(name, arch)][0]
        components.append({
            "type": "application" if "tool" in seeds.get((name, arch), ()) else "library",
            "bom-ref": f"{name}:{arch}", "name": name, "version": version,
            "purl": f"pkg:deb/debian/{name}@{enc(version)}?arch={arch}&distro=debian-{release}",
            "properties": [{"name": "dorvane:used-as",
                            "value": ", ".join(sorted(seeds.get((name, arch), {"dependency"})))}]})
    environment = [{"name": n, "value": os.environ.get(n, "")} for n in ("SOURCE_DATE_EPOCH", "TZ", "LC_ALL")]
    formula = {
        "bom-ref": "release-build", "components": components,
        "workflows": [{
            "bom-ref": "release", "uid": "scripts/release", "name": "scripts/release",
            "description": "the release, built with these packages installed on Debian "
                           f"{components[0]['version']}, umask 022",
            "taskTypes": ["build"], "inputs": [{"environmentVars": environment}],
            "steps": [{"name": "scripts/release", "commands": [{"executed": "scripts/release"}]}],
            "tasks": tasks}]}
    bom = {
        "bomFormat": "CycloneDX", "specVersion": "1.6", "version": 1,
        "metadata": {
            "timestamp": stamp,
            "tools": {"components": [{"type": "application", "name": "packaging/components",
                                      "version": args.version}]},
            "component": {"type": "application", "bom-ref": f"dorvane_oem_tool@{args.version}",
                          "name": "dorvane_oem_tool", "version": args.version,
                          "purl": f"pkg:generic/dorvane_oem_tool@{args.version}"},
            "properties": [{"name": "git:commit", "value": subprocess.run(
                ["git", "-C", source_dir, "rev-parse", "HEAD"], capture_output=True,
                text=True).stdout.strip() or "unknown"}]},
        "formulation": [formula],
    }
    write_bom(bom, args.out)
