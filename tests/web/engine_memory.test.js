// The page's engine with too little memory for its input (a module limited to 64 MiB, as a
// browser may refuse the page more): the run fails with the French words for it and leaves no
// output, and the same engine then sorts the next file.
'use strict';

const {test} = require('node:test');
const assert = require('node:assert');
const path = require('path');
const {loadEngine, runEngine} = require('./node_host.js');
const support = require('./support.js');

test('a run without enough memory fails in French, and the next run goes on', async () => {
    const folder = support.temporaryFolder('memory');
    const engine = await loadEngine(
        path.join(support.webBuild, 'tests/wasm/brelin_page_low_memory.js'));
    const failed = runEngine(engine, support.generated('40M', folder));
    assert.strictEqual(failed.output, null);
    assert.strictEqual(failed.facts.state, 'Échec');
    assert.match(failed.facts.error, /: mémoire insuffisante\. Aucun fichier n'a été écrit\./);

    const example = path.join(support.root, 'examples/exemple.ged');
    const next = runEngine(engine, example);
    assert.ok(next.output && next.output.equals(support.nativeProgram()(example).output));
});
