// Runs the Khronos glTF validator on one .glb or .gltf file (with the files
// a .gltf names, read from beside it) and prints its report:
//   first line: "errors N warnings N infos N hints N"
//   then one line per error and warning: "SEVERITY CODE POINTER: MESSAGE".
// Usage: node validate-gltf.js VALIDATOR_DIR FILE
// Exits 0 when the file was validated (whatever the counts), 2 otherwise.
'use strict';
const fs = require('fs');
const path = require('path');

const [validatorDir, file] = process.argv.slice(2);
if (!validatorDir || !file) {
  console.error('usage: node validate-gltf.js VALIDATOR_DIR FILE');
  process.exit(2);
}
const validator = require(path.join(path.resolve(validatorDir), 'node_modules', 'gltf-validator'));
const severities = ['error', 'warning', 'info', 'hint'];

validator
  .validateBytes(new Uint8Array(fs.readFileSync(file)), {
    uri: path.basename(file),
    maxIssues: 0,
    externalResourceFunction: (uri) =>
      new Promise((resolve, reject) => {
        fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)), (error, data) =>
          error ? reject(error.toString()) : resolve(new Uint8Array(data)));
      }),
  })
  .then((report) => {
    const issues = report.issues;
    console.log(`errors ${issues.numErrors} warnings ${issues.numWarnings} infos ${issues.numInfos} hints ${issues.numHints}`);
    for (const message of issues.messages) {
      if (message.severity > 1) continue;
      console.log(`${severities[message.severity]} ${message.code} ${message.pointer || ''}: ${message.message}`);
    }
  })
  .catch((error) => {
    console.error(`cannot validate ${file}: ${error}`);
    process.exit(2);
  });
