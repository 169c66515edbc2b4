// The page's engine under Node, for the tests here and the benchmark (bench/page_bench.js): the
// same module as the page, whose host here reads the input from the disk and keeps the output in
// memory. The page itself never loads this file.
'use strict';

const fs = require('fs');
const path = require('path');
const pageContract = require('../../web/page_contract.js');

// The engine, made from brelin_page.js and brelin_page.wasm (the build's web/ folder).
async function loadEngine(scriptPath) {
    const create = require(scriptPath);
    return create({wasmBinary: fs.readFileSync(scriptPath.replace(/\.js$/, '.wasm'))});
}

// One run of engine on the file at inputPath, known to the run as name (its file name by
// default), in CONC mode with conc, with the JSON report among its facts with json. Returns the
// facts the run told, by key (web/page_contract.js), and the committed output's bytes, or null.
// With outputPath, the output is written there as it comes instead, the file appearing when
// committed, as brelin-cli writes it (and output is null).
function runEngine(engine, inputPath, {name, conc = false, json = false, outputPath} = {}) {
    const fd = fs.openSync(inputPath, 'r');
    const size = fs.fstatSync(fd).size;
    const facts = {};
    const outputs = [];
    const onDisk = outputPath ? diskOutput(outputPath) : null;
    engine.brelinHost = pageContract.checkedHost({
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
            if (onDisk) onDisk.open();
            return outputs.length - 1;
        },
        outputWrite(id, view) {
            if (onDisk) return onDisk.write(view);
            outputs[id].chunks.push(Buffer.from(view));
            return true;
        },
        outputCommit(id) {
            outputs[id].committed = true;
            return onDisk ? onDisk.commit() : true;
        },
        outputDiscard(id) {
            outputs[id].chunks = [];
            if (onDisk) onDisk.discard();
        },
        tell(key, bytes) {
            pageContract.keep(facts, key, bytes);
        },
        progress() {},
    });
    try {
        const inputName = name || path.basename(inputPath);
        pageContract.enter(engine, 'brelin_run', {inputName, conc, json});
    } finally {
        fs.closeSync(fd);
        delete engine.brelinHost;
    }
    const committed = outputs.find((output) => output.committed);
    return {facts, output: committed && !onDisk ? Buffer.concat(committed.chunks) : null};
}

// An output file written beside file and renamed over it when committed.
function diskOutput(file) {
    const part = `${file}.part`;
    let fd = null;
    return {
        open() {
            fd = fs.openSync(part, 'w');
        },
        write(view) {
            try {
                for (let done = 0; done < view.length;) done += fs.writeSync(fd, view, done);
                return true;
            } catch (error) {
                return false;
            }
        },
        commit() {
            try {
                fs.fdatasyncSync(fd);
                fs.closeSync(fd);
                fd = null;
                fs.renameSync(part, file);
                return true;
            } catch (error) {
                return false;
            }
        },
        discard() {
            if (fd !== null) fs.closeSync(fd);
            fd = null;
            fs.rmSync(part, {force: true});
        },
    };
}

module.exports = {loadEngine, runEngine};
