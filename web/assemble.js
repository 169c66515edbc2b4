// Makes brelin.html, one file: the page's template (web/brelin.html) with its icon as a data
// address, its script inline, the engine's script (emscripten's) followed by the contract's and
// the worker's as a text block, from which the page starts its workers, and the engine's module
// in base64. The page's and the worker's scripts read only facts of the contract.
//
//   node assemble.js TEMPLATE PAGE_JS CONTRACT_JS WORKER_JS ICON_SVG ENGINE_JS ENGINE_WASM OUTPUT
'use strict';

const fs = require('fs');
const path = require('path');

const [template, pageScript, contractScript, workerScript, icon, engineScript, engineWasm,
       output] = process.argv.slice(2);
const read = (file) => fs.readFileSync(file, 'utf8');
const contract = require(path.resolve(contractScript));

// The facts a script reads, as texts.KEY (the texts, told before any run) or facts.KEY (a
// run's): each one must be a fact of the contract, told when the script expects it.
function checkFacts(script) {
    for (const [, group, key] of read(script).matchAll(/\b(texts|facts)\.(\w+)/g)) {
        const fact = contract.facts[key];
        if (!fact || (fact.told === 'texts') !== (group === 'texts')) {
            throw new Error(`${script} reads ${group}.${key}, which is not a fact of its kind`);
        }
    }
}
checkFacts(pageScript);
checkFacts(workerScript);

// Text inside a script element ends at "</script", and "<!--" or "<script" change how the
// browser reads what follows: none of them may be in what is put there.
function scriptText(text, what) {
    const found = /<\/script|<!--|<script/i.exec(text);
    if (found) throw new Error(`${what} holds "${found[0]}", which would end its script element`);
    return text;
}

const parts = {
    '@@BRELIN_ICON@@': 'data:image/svg+xml;base64,' + fs.readFileSync(icon).toString('base64'),
    '@@BRELIN_PAGE@@': scriptText(read(pageScript), pageScript),
    '@@BRELIN_ENGINE@@':
        scriptText([engineScript, contractScript, workerScript].map(read).join('\n'),
                   `${engineScript}, ${contractScript} and ${workerScript}`),
    '@@BRELIN_WASM@@': fs.readFileSync(engineWasm).toString('base64'),
};

let page = read(template);
for (const [mark, text] of Object.entries(parts)) {
    if (!page.includes(mark)) throw new Error(`${template} has no ${mark}`);
    page = page.split(mark).join(text);
}
fs.writeFileSync(output + '.part', page);
fs.renameSync(output + '.part', output);
