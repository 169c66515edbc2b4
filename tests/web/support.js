// What the page's tests share: where the builds are, brelin-cli run in a folder of its own, and
// the inputs (the examples, the fuzzers' seeds, files damaged on purpose, a generated file).
'use strict';

const crypto = require('crypto');
const fs = require('fs');
const os = require('os');
const path = require('path');
const {execFileSync, spawnSync} = require('child_process');

const root = path.resolve(__dirname, '../..');
const webBuild = path.resolve(process.env.BRELIN_WEB_BUILD || path.join(root, 'build-web'));
const nativeBuild = path.resolve(process.env.BRELIN_BUILD || path.join(root, 'build'));

// A package of the page's tests (puppeteer-core, axe-core), from the folder scripts/setup
// installs tests/web/package-lock.json into, named by the lock's hash.
const lockId = crypto.createHash('sha256')
    .update(fs.readFileSync(path.join(__dirname, 'package-lock.json'))).digest('hex').slice(0, 16);
const testPackages = path.join(root, '.cache/node', lockId, 'node_modules');
function testPackage(name) {
    return require(path.join(testPackages, name));
}

// A new folder, removed with what it holds when the test's process ends (the generated inputs
// are tens of megabytes).
function temporaryFolder(name) {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), `brelin-${name}-`));
    process.on('exit', () => fs.rmSync(folder, {recursive: true, force: true}));
    return folder;
}

// brelin-cli copied into a folder of its own, where its database and log are its alone.
function nativeProgram() {
    const folder = temporaryFolder('cli');
    const program = path.join(folder, 'brelin-cli');
    fs.copyFileSync(path.join(nativeBuild, 'cli/brelin-cli'), program);
    fs.chmodSync(program, 0o755);
    const logPath = path.join(folder, 'Logbrelin-cli.log');
    // One run: the output's bytes (or null), the log's (or null), what it printed, its status.
    return function run(input, {conc = false, json = true} = {}) {
        const output = path.join(folder, 'sorted.ged');
        fs.rmSync(output, {force: true});
        const args = ['--force', ...(json ? ['--json'] : []), ...(conc ? ['--conc'] : []), '--',
                      input, output];
        const result = spawnSync(program, args, {maxBuffer: 1 << 30});
        return {
            status: result.status,
            stdout: result.stdout.toString('utf8'),
            stderr: result.stderr.toString('utf8'),
            output: fs.existsSync(output) ? fs.readFileSync(output) : null,
            log: fs.existsSync(logPath) ? fs.readFileSync(logPath) : null,
        };
    };
}

// A file of about size bytes (such as "10M") from the benchmark's generator.
function generated(size, folder) {
    const file = path.join(folder, `generated-${size}.ged`);
    execFileSync(path.join(nativeBuild, 'bench/brelin-bench-generate'),
                 ['--size', size, '--input', file], {stdio: 'ignore'});
    return file;
}

// Inputs damaged on purpose, written into folder.
function damagedInputs(folder) {
    const example = fs.readFileSync(path.join(root, 'examples/exemple.ged'));
    const files = {
        // cut in the middle of a line, no trailer
        'truncated.ged': example.subarray(0, Math.floor(example.length / 2)),
        // a GEDZIP archive: a zip holding the GEDCOM file
        'archive.gdz': Buffer.concat([Buffer.from('PK\x03\x04\x14\x00\x00\x00\x00\x00', 'latin1'),
                                      example.subarray(0, 200)]),
        // UTF-16 without a byte-order mark
        'utf16.ged': Buffer.from('0 HEAD\r\n1 CHAR UNICODE\r\n0 TRLR\r\n', 'utf16le'),
        // a line of 100,000 bytes of invalid UTF-8 in a UTF-8 file, and NUL bytes
        'long-invalid.ged': Buffer.concat([
            Buffer.from('\xEF\xBB\xBF0 HEAD\r\n0 @I2@ INDI\r\n1 NOTE ', 'latin1'),
            Buffer.alloc(100000, 0xE9),
            Buffer.from('\r\n0 @I1@ INDI\r\n1 NAME a\x00b\r\n0 TRLR\r\n', 'latin1'),
        ]),
        // only line ends
        'only-ends.ged': Buffer.from('\r\n\n\r\r\n'),
    };
    return Object.entries(files).map(([name, bytes]) => {
        const file = path.join(folder, name);
        fs.writeFileSync(file, bytes);
        return file;
    });
}

function filesIn(folder, extension) {
    return fs.readdirSync(folder).filter((name) => name.endsWith(extension)).sort()
        .map((name) => path.join(folder, name));
}

module.exports = {root, webBuild, nativeBuild, testPackages, testPackage, temporaryFolder,
                  nativeProgram, generated, damagedInputs, filesIn};
