// The Khronos glTF validator on the .glb and .gltf that zarfileio writes from every HTR and TRC
// sample: no errors and no warnings.
//
//   node validate_gltf.mjs ZARFILEIO SAMPLE_FILE_OR_FOLDER...
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import validator from 'gltf-validator';
import { convert, Failures, nameOf, sampleFiles, scratch } from './common.mjs';

const [tool, ...args] = process.argv.slice(2);
const folder = scratch();
const failures = new Failures();
let checked = 0;
for (const source of sampleFiles(args)) {
  for (const extension of ['glb', 'gltf']) {
    const target = join(folder, `out.${extension}`);
    const run = convert(tool, source, target);
    if (run.status !== 0) {
      // A source that does not read is no concern of the writer.
      if (run.output.startsWith(`zarfileio: ${source}: `)) break;
      failures.add(nameOf(source), `convert to .${extension}: ${run.output}`);
      continue;
    }
    const report = await validator.validateBytes(new Uint8Array(readFileSync(target)), {
      uri: `out.${extension}`,
      maxIssues: 20,
    });
    const { numErrors, numWarnings, messages } = report.issues;
    if (numErrors > 0 || numWarnings > 0) {
      const listed = messages.filter((m) => m.severity <= 1)
        .map((m) => `${m.code} at ${m.pointer ?? m.offset}: ${m.message}`);
      failures.add(`${nameOf(source)} .${extension}`,
        `${numErrors} errors, ${numWarnings} warnings\n  ${listed.join('\n  ')}`);
    }
    ++checked;
  }
}
failures.finish(checked);
