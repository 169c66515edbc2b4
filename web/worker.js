// The page's worker: one run of the engine, off the page's own thread. The page builds it from
// the engine's script, the contract's and this one, starts it before it is needed, sends it the
// engine's compiled module, then one file, and ends it after that run, or at once when the user
// stops the run: nothing of a stopped run is kept. Every text it passes on comes from the
// engine.
//
// Messages from the page: {type: 'module', module}, then {type: 'run', file, conc}.
// Messages to the page: {type: 'ready', texts} (or 'unsupported'), then for the run
// {type: 'fact', facts} with one live fact, {type: 'progress', percent}, and last
// {type: 'end', facts, output} or {type: 'crash', facts, outOfMemory, detail} when the engine
// itself failed (the facts for that were told before the run began). texts and facts hold the
// facts of web/page_contract.js by their keys; output is a Blob.
/* global createBrelinEngine, FileReaderSync, pageContract */
'use strict';

let engine = null;

// The engine's host for a run on file: the facts told go into facts, and the live ones to the
// page at once; the committed output to kept.output.
function hostFor(file, facts, kept = {}) {
    const reader = new FileReaderSync();
    const outputs = [];
    return pageContract.checkedHost({
        inputSize: () => file.size,
        // A slice of the file at a time, read where the engine asks: the file is never copied
        // whole into memory. A file changed or gone since it was chosen cannot be read.
        read(offset, view) {
            try {
                const bytes = reader.readAsArrayBuffer(file.slice(offset, offset + view.length));
                view.set(new Uint8Array(bytes));
                return bytes.byteLength;
            } catch (error) {
                return -1;
            }
        },
        outputOpen(name) {
            outputs.push({name, parts: []});
            return outputs.length - 1;
        },
        // Each buffer is copied into a Blob of its own, which the browser may keep on disk.
        outputWrite(id, view) {
            try {
                outputs[id].parts.push(new Blob([view]));
                return true;
            } catch (error) {
                return false;
            }
        },
        outputCommit(id) {
            try {
                kept.output = new Blob(outputs[id].parts, {type: 'application/octet-stream'});
                return true;
            } catch (error) {
                return false;
            }
        },
        outputDiscard(id) {
            outputs[id].parts = [];
        },
        tell(key, bytes) {
            const value = pageContract.keep(facts, key, bytes);
            if (pageContract.facts[key].told === 'live') {
                postMessage({type: 'fact', facts: {[key]: value}});
            }
        },
        progress(percent) {
            postMessage({type: 'progress', percent});
        },
    });
}

function run(file, conc) {
    const facts = {};
    const kept = {};
    engine.brelinHost = hostFor(file, facts, kept);
    try {
        pageContract.enter(engine, 'brelin_run', {inputName: file.name, conc, json: false});
    } catch (error) {
        // The engine stopped short of its own words: memory refused, or a fault. The page has
        // the words for both.
        const outOfMemory = error instanceof RangeError || /memory/i.test(String(error));
        postMessage({type: 'crash', facts, outOfMemory, detail: String(error)});
        return;
    }
    postMessage({type: 'end', facts, output: kept.output || null});
}

onmessage = (event) => {
    if (event.data.type === 'module') load(event.data.module);
    if (event.data.type === 'run') run(event.data.file, event.data.conc);
};

// The engine, from the module the page compiled once for all its workers: a worker that
// follows another one starts with the code already compiled, and optimised where it ran most.
function load(module) {
    createBrelinEngine({
        instantiateWasm(imports, done) {
            WebAssembly.instantiate(module, imports).then((instance) => done(instance, module));
            return {};
        },
    }).then((loaded) => {
        engine = loaded;
        const texts = {};
        engine.brelinHost = hostFor(null, texts);
        pageContract.enter(engine, 'brelin_texts');
        postMessage({type: 'ready', texts});
    }, (error) => postMessage({type: 'unsupported', detail: String(error)}));
}
