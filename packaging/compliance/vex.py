"""The CycloneDX 1.6 VEX document of a release."""

import json
import os
import urllib.parse
from datetime import datetime, timezone

from .common import fail
from .sbom import write_bom


def cmd_vex(args):
    statements = json.load(open(args.statements, encoding="utf-8"))
    epoch = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not epoch.isdigit():
        fail("SOURCE_DATE_EPOCH is not set: the VEX document is dated by it")
    stamp = datetime.fromtimestamp(int(epoch), timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")
    boms = [json.load(open(p, encoding="utf-8")) for p in args.sboms]
    product = boms[0]["metadata"]["component"]
    vulnerabilities = []
    for s in statements["statements"]:
        affects = []
        for bom in boms:
            main = bom["metadata"]["component"]
            if not main["bom-ref"].endswith("-" + s["target"]):
                continue
            link = f"{bom['serialNumber'].replace('urn:uuid:', 'urn:cdx:')}/{bom['version']}#"
            quote = urllib.parse.quote
            hits = [c for c in bom["components"] if any(
                p["name"] == "debian:built-from" and p["value"] == s["built-from"]
                for p in c.get("properties", []))]
            if hits:
                affects += [{"ref": link + quote(r, safe=":@/")}
                            for r in [main["bom-ref"]] + [c["bom-ref"] for c in hits]]
        if not affects:
            fail(f"{args.statements}: the statement on {s['id']} for {s['target']} matches no "
                 f"component built from {s['built-from']} in the bills of materials given: "
                 f"the programs no longer hold it; remove the statement")
        vulnerabilities.append({
            "bom-ref": f"{s['id']}@{s['target']}", "id": s["id"],
            "source": {"name": "NVD", "url": f"https://nvd.nist.gov/vuln/detail/{s['id']}"},
            "references": [{"id": s["id"], "source": {
                "name": "Debian security tracker",
                "url": f"https://security-tracker.debian.org/tracker/{s['id']}"}}],
            "description": s["description"],
            "analysis": {"state": s["state"], "justification": s["justification"],
                         "detail": s["detail"], "firstIssued": stamp, "lastUpdated": stamp},
            "affects": affects,
            "properties": [{"name": "evidence", "value": e} for e in s["evidence"]],
        })
    vex = {
        "bomFormat": "CycloneDX", "specVersion": "1.6", "version": 1,
        "metadata": {
            "timestamp": stamp,
            "tools": {"components": [{"type": "application", "name": "packaging/components",
                                      "version": product["version"]}]},
            "supplier": product["supplier"], "manufacturer": product["manufacturer"],
            "component": {"type": "application", "bom-ref": f"dorvane_oem_tool@{product['version']}",
                          "name": "dorvane_oem_tool", "version": product["version"],
                          "supplier": product["supplier"], "cpe": product["cpe"],
                          "purl": f"pkg:generic/dorvane_oem_tool@{product['version']}",
                          "externalReferences": [r for r in product["externalReferences"]
                                                 if r["type"] == "website"]},
        },
        "vulnerabilities": vulnerabilities,
    }
    write_bom(vex, args.out)
