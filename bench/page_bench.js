// The page's engine under Node beside brelin-cli, on one file: scripts/bench --page runs it.
//
//   node page_bench.js --engine BRELIN_PAGE_JS --cli BRELIN_CLI --measure BRELIN_BENCH_MEASURE
//                      --work FOLDER [--runs N] INPUT EXPECTED
//
// In turn, RUNS times: brelin-cli on INPUT through brelin-bench-measure (a process per run, its
// wall time, CPU time and peak memory), then the page's engine in this one process, its output
// written to the disk as brelin-cli's is. The engine's first run is its cold one (the module
// compiled, its code not yet optimised); the figures are the medians of the runs after it, warm,
// as a page that has run once before is. Every output must equal EXPECTED, or the script fails.
// Prints one line of "name=value" fields.
'use strict';

const fs = require('fs');
const path = require('path');
const {sameFile} = require('./same_file.js');
const {spawnSync} = require('child_process');
const {loadEngine, runEngine} = require('../tests/web/node_host.js');

function options(argv) {
    const named = {runs: '5'};
    const files = [];
    for (let i = 0; i < argv.length; ++i) {
        if (argv[i].startsWith('--')) named[argv[i].slice(2)] = argv[++i];
        else files.push(argv[i]);
    }
    return {...named, runs: Number(named.runs), input: files[0], expected: files[1]};
}

const median = (values) => {
    const sorted = [...values].sort((a, b) => a - b);
    const middle = Math.floor(sorted.length / 2);
    return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

// One run of brelin-cli: its measure line's fields.
function nativeRun(o, output) {
    const result = spawnSync(o.measure, ['--', o.cli, '--force', o.input, output],
                             {env: {...process.env, SQLITE_TMPDIR: o.work}});
    const line = result.stdout.toString().trim().split('\n').pop();
    const fields = Object.fromEntries(line.split(' ').map((field) => field.split('=')));
    if (fields.status !== '0') throw new Error(`brelin-cli failed: ${result.stderr}`);
    return {seconds: Number(fields.seconds), cpu: Number(fields.cpu_seconds),
            rssKib: Number(fields.max_rss_kib)};
}

function pageRun(engine, o, output) {
    const cpu = process.cpuUsage();
    const start = process.hrtime.bigint();
    const {facts} = runEngine(engine, o.input, {outputPath: output});
    const seconds = Number(process.hrtime.bigint() - start) / 1e9;
    const used = process.cpuUsage(cpu);
    // Only a completed run tells its report.
    if (!facts.report) throw new Error(`the page's engine failed: ${facts.error}`);
    return {seconds, cpu: (used.user + used.system) / 1e6};
}

async function main() {
    const o = options(process.argv.slice(2));
    const output = path.join(o.work, 'page-output.ged');
    const nativeOutput = path.join(o.work, 'cli-output.ged');
    const engine = await loadEngine(path.resolve(o.engine));
    const cold = pageRun(engine, o, output);
    if (!sameFile(output, o.expected)) throw new Error('the page\'s output differs from EXPECTED');
    const native = [];
    const page = [];
    for (let i = 0; i < o.runs; ++i) {
        native.push(nativeRun(o, nativeOutput));
        page.push(pageRun(engine, o, output));
    }
    if (!sameFile(output, o.expected)) throw new Error('the page\'s output differs from EXPECTED');
    if (!sameFile(nativeOutput, o.expected)) throw new Error('brelin-cli\'s output differs');
    fs.rmSync(output);
    fs.rmSync(nativeOutput);
    const nativeSeconds = median(native.map((run) => run.seconds));
    const pageSeconds = median(page.map((run) => run.seconds));
    const fields = {
        cli_s: nativeSeconds.toFixed(3),
        cli_cpu_s: median(native.map((run) => run.cpu)).toFixed(3),
        cli_rss_mib: (Math.max(...native.map((run) => run.rssKib)) / 1024).toFixed(1),
        page_cold_s: cold.seconds.toFixed(3),
        page_s: pageSeconds.toFixed(3),
        page_cpu_s: median(page.map((run) => run.cpu)).toFixed(3),
        ratio: (pageSeconds / nativeSeconds).toFixed(2),
        // The module's memory never shrinks: its size is its peak.
        page_heap_mib: (engine.HEAPU8.length / 1048576).toFixed(1),
        node_rss_mib: (process.resourceUsage().maxRSS / 1024).toFixed(1),
    };
    console.log(Object.entries(fields).map(([name, value]) => `${name}=${value}`).join(' '));
}

main().catch((error) => {
    console.error(`page_bench: ${error.message}`);
    process.exit(1);
});
