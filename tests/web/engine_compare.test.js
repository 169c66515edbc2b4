// The page's engine (the WebAssembly module, under Node) against brelin-cli, in both modes: the
// same output, the same log and the same JSON report, byte for byte; where brelin-cli fails,
// the page fails with the same words (its file named as the page names it).
'use strict';

const {test} = require('node:test');
const assert = require('node:assert');
const path = require('path');
const {loadEngine, runEngine} = require('./node_host.js');
const support = require('./support.js');

const folder = support.temporaryFolder('compare');
const inputs = [
    ...support.filesIn(path.join(support.root, 'examples'), '.ged'),
    ...support.filesIn(path.join(support.root, 'tests/fuzz/corpus/conversion'), '.ged'),
    ...support.damagedInputs(folder),
    support.generated('10M', folder),
];
const native = support.nativeProgram();
const engineReady = loadEngine(path.join(support.webBuild, 'web/brelin_page.js'));

for (const input of inputs) {
    for (const conc of [false, true]) {
        test(`${path.basename(input)}${conc ? ' --conc' : ''}`, async () => {
            const engine = await engineReady;
            const expected = native(input, {conc});
            const page = runEngine(engine, input, {conc, json: true});
            if (expected.status === 0) {
                assert.ok(page.output, `the page failed: ${page.facts.error}`);
                assert.ok(page.output.equals(expected.output), 'the outputs differ');
                assert.strictEqual(`${page.facts.json}\n`, expected.stdout);
                assert.deepStrictEqual(page.facts.log || null, expected.log);
            } else {
                assert.strictEqual(expected.status, 1, expected.stderr);
                assert.strictEqual(page.output, null);
                assert.strictEqual(`${page.facts.error}\n`,
                                   expected.stderr.split(`« ${input} »`).join(
                                       `« ${path.basename(input)} »`));
            }
        });
    }
}
