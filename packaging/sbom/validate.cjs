// node validate.cjs FILE...: checks each CycloneDX 1.6 JSON document against
// the official CycloneDX schema, with CycloneDX's own strict JSON validator
// (@cyclonedx/cyclonedx-library, which carries the schemas; scripts/install-deps --all
// installs it with its ajv from package-lock.json into build-tools/sbom, and
// NODE_PATH names that folder's node_modules). Prints each file's errors and
// exits 1 if any fails.
'use strict';
const fs = require('fs');
const { Validation } = require('@cyclonedx/cyclonedx-library');

(async () => {
  const validator = new Validation.JsonStrictValidator('1.6');  // CycloneDX 1.6
  let failed = false;
  for (const file of process.argv.slice(2)) {
    const text = fs.readFileSync(file, 'utf8');
    if (JSON.parse(text).specVersion !== '1.6') {
      console.error(`${file}: not a CycloneDX 1.6 document`);
      failed = true;
      continue;
    }
    const errors = await validator.validate(text);
    if (errors === null) {
      console.log(`${file}: valid CycloneDX 1.6`);
    } else {
      console.error(`${file}: ${JSON.stringify(errors, null, 1)}`);
      failed = true;
    }
  }
  process.exit(failed || process.argv.length < 3 ? 1 : 0);
})().catch((e) => { console.error(e); process.exit(1); });
