// The page's worker: one run of the engine, off the page's own thread. The page builds it from
// the engine's script followed by this one, starts it before it is needed, sends it the
// engine's compiled module, then one file, and ends it after that run, or at once when the user
// stops the run: nothing of a stopped run is kept. Every text it passes on comes from the
// engine.
//
// Messages from the page: {type: 'module', module}, then {type: 'run', file, conc}.
// Messages to the page: {type: 'ready', texts} (or 'unsupported'), then for the run
// {type: 'fact', key, value}, {type: 'progress', percent}, and last {type: 'end', facts, output}
// or {type: 'crash', facts, detail} when the engine itself failed (the texts for that were told
// before the run began).
/* global createBrelinEngine, FileReaderSync */
'use strict';

const decoder = new TextDecoder();
let engine = null;

// The facts worth a message of their own while the run goes on; the rest come with its end.
const liveFacts = new Set(['state', 'measure']);

function hostFor(file, facts) {
    const reader = new FileReaderSync();
    const outputs = [];
    return {
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
                facts.outputBlob = new Blob(outputs[id].parts, {type: 'application/octet-stream'});
                return true;
            } catch (error) {
                return false;
            }
        },
        outputDiscard(id) {
            outputs[id].parts = [];
        },
        tell(key, bytes) {
            // The log keeps its Windows-1252 bytes; the rest is UTF-8 text.
            const value = key === 'log' ? bytes : decoder.decode(bytes);
            facts[key] = value;
            if (liveFacts.has(key)) postMessage({type: 'fact', key, value});
        },
        progress(percent) {
            postMessage({type: 'progress', percent});
        },
    };
}

function run(file, conc) {
    const facts = {};
    engine.brelinHost = hostFor(file, facts);
    try {
        engine.ccall('brelin_run', null, ['string', 'number', 'number'],
                     [file.name, conc ? 1 : 0, 0]);
    } catch (error) {
        // The engine stopped short of its own words: memory refused, or a fault. The page has
        // the words for both.
        const outOfMemory = error instanceof RangeError || /memory/i.test(String(error));
        postMessage({type: 'crash', facts, outOfMemory, detail: String(error)});
        return;
    }
    const {outputBlob, ...texts} = facts;
    postMessage({type: 'end', facts: texts, output: outputBlob || null});
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
        engine.brelinHost = {tell: (key, bytes) => (texts[key] = decoder.decode(bytes))};
        engine.ccall('brelin_texts', null, [], []);
        postMessage({type: 'ready', texts});
    }, (error) => postMessage({type: 'unsupported', detail: String(error)}));
}
