// The page's engine under Node, for the tests and the benchmark: the same module as the page,
// whose host here reads the input from the disk and keeps the output in memory.
'use strict';

const fs = require('fs');

// The engine's module, made from brelin_page.js (the build's web/ folder).
async function loadEngine(modulePath) {
    const create = require(modulePath);
    return create();
}

// One run of engine on the file at inputPath, known to the run as name (its file name by
// default). Returns the facts the run told, by name (texts as strings, the log as its bytes),
// and the committed output's bytes, or null.
function runEngine(engine, inputPath, {name, conc = false, onProgress} = {}) {
    const fd = fs.openSync(inputPath, 'r');
    const size = fs.fstatSync(fd).size;
    const facts = {};
    const outputs = [];
    engine.brelinHost = {
        inputSize: () => size,
        read(offset, view) {
            try {
                return fs.readSync(fd, view, 0, view.length, offset);
            } catch (error) {
                return -1;
            }
        },
        outputOpen(outputName) {
            outputs.push({name: outputName, chunks: [], committed: false});
            return outputs.length - 1;
        },
        outputWrite(id, view) {
            outputs[id].chunks.push(Buffer.from(view));
            return true;
        },
        outputCommit(id) {
            outputs[id].committed = true;
            return true;
        },
        outputDiscard(id) {
            outputs[id].chunks = [];
        },
        tell(key, bytes) {
            facts[key] = key === 'log' ? Buffer.from(bytes) : Buffer.from(bytes).toString('utf8');
        },
        progress(percent) {
            if (onProgress) onProgress(facts.state, percent);
        },
    };
    try {
        const runName = name || require('path').basename(inputPath);
        engine.ccall('brelin_run', null, ['string', 'number'], [runName, conc ? 1 : 0]);
    } finally {
        fs.closeSync(fd);
        delete engine.brelinHost;
    }
    const committed = outputs.find((output) => output.committed);
    return {facts, output: committed ? Buffer.concat(committed.chunks) : null};
}

module.exports = {loadEngine, runEngine};
