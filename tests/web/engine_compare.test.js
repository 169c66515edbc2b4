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
                assert.deepStrictEqual(page.facts.log ? Buffer.from(page.facts.log) : null,
                                       expected.log);
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

// What the page shows of a completed run comes in facts of its own: the three parts of
// brelin-cli's summary line, and the lines of its notice, one per thing brelin-cli tells. The
// JSON report comes only when asked.
test('a completed run\'s summary and notice, each part a fact; no JSON unless asked', async () => {
    const example = path.join(support.root, 'examples/exemple.ged');
    const [summary, , ...attention] = native(example, {json: false}).stdout.trimEnd().split('\n');
    const {facts} = runEngine(await engineReady, example);
    assert.strictEqual([facts.measure, facts.state, facts.elapsed].join('  '), summary);
    assert.strictEqual(facts.notice.length, attention.length);
    assert.ok(attention.length > 0);
    assert.strictEqual(facts.json, undefined);
});
