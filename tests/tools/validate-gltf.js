// Runs the Khronos glTF validator over each file named: prints its report and exits 1 when any file
// has errors, 3 when the validator module is not installed (see README: npm install in tests/tools).
'use strict';
const fs = require('fs');
const path = require('path');

let validator;
try {
    validator = require(path.join(__dirname, 'node_modules', 'gltf-validator'));
} catch (first) {
    try {
        validator = require('gltf-validator');
    } catch (second) {
        console.error('gltf-validator is not installed');
        process.exit(3);
    }
}

async function validate(file) {
    const bytes = new Uint8Array(fs.readFileSync(file));
    const report = await validator.validateBytes(bytes, {
        uri: path.basename(file),
        externalResourceFunction: (uri) =>
            new Promise((resolve, reject) => {
                try {
                    resolve(new Uint8Array(fs.readFileSync(path.join(path.dirname(file), decodeURIComponent(uri)))));
                } catch (error) {
                    reject(error.toString());
                }
            }),
    });
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
    for (const message of issues.messages)
        if (message.severity === 0)
            console.log(`  ${message.code} ${message.pointer || ''}: ${message.message}`);
    return issues.numErrors === 0;
}

(async () => {
    let ok = true;
    for (const file of process.argv.slice(2))
        ok = (await validate(file)) && ok;
    process.exit(ok ? 0 : 1);
})();
