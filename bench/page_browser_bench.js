// The page in Debian's Chromium (headless), on files of growing size: whether each goes
// through, how long it takes and how much memory the browser holds meanwhile.
//
//   node page_browser_bench.js PAGE_HTML [INPUT EXPECTED]...
//
// Opens the page from its file, then for each INPUT in turn: gives it INPUT, waits for the end,
// saves the sorted file through the browser's downloads and compares it with EXPECTED. Prints
// one line per input: the page's time (from the choice of the file to the end; the first run
// compiles the engine's code as it goes, the next ones find it compiled), the peak memory of all
// the browser's processes together (their proportional set size, sampled every 20 ms) and the
// outcome. Needs puppeteer-core, which scripts/setup installs for the page's tests.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const {sameFile} = require('./same_file.js');
const {testPackage} = require('../tests/web/support.js');

const puppeteer = testPackage('puppeteer-core');

// The memory, in KiB, of process pid and all its descendants: each one's proportional set size,
// its own pages and its share of those it shares, so that shared pages count once in the sum.
function treeRssKib(pid) {
    const children = new Map();
    for (const entry of fs.readdirSync('/proc')) {
        if (!/^\d+$/.test(entry)) continue;
        try {
            const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
            const parent = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
            if (!children.has(parent)) children.set(parent, []);
            children.get(parent).push(Number(entry));
        } catch (error) {
            // gone meanwhile
        }
    }
    let total = 0;
    const pending = [pid];
    while (pending.length) {
        const next = pending.pop();
        try {
            const rollup = fs.readFileSync(`/proc/${next}/smaps_rollup`, 'utf8');
            total += Number((/Pss:\s+(\d+)/.exec(rollup) || [0, 0])[1]);
        } catch (error) {
            // gone meanwhile
        }
        pending.push(...(children.get(next) || []));
    }
    return total;
}

async function main() {
    const [page, ...pairs] = process.argv.slice(2);
    const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'brelin-browser-bench-'));
    const browser = await puppeteer.launch({executablePath: '/usr/bin/chromium', headless: true,
                                            args: ['--no-sandbox', '--disable-dev-shm-usage']});
    const session = await browser.target().createCDPSession();
    await session.send('Browser.setDownloadBehavior',
                       {behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true});
    const tab = await browser.newPage();
    await tab.goto('file://' + path.resolve(page));
    await tab.waitForFunction(() => document.getElementById('version').textContent !== 'Brelin');
    for (let i = 0; i < pairs.length; i += 2) {
        const [input, expected] = [pairs[i], pairs[i + 1]];
        const idle = treeRssKib(browser.process().pid);
        let peak = idle;
        const sampler = setInterval(() => {
            peak = Math.max(peak, treeRssKib(browser.process().pid));
        }, 20);
        const start = Date.now();
        await (await tab.$('#input')).uploadFile(input);
        await tab.waitForFunction((count) => document.body.dataset.runs === String(count),
                                  {timeout: 0}, i / 2 + 1);
        const seconds = (Date.now() - start) / 1000;
        let outcome = await tab.$eval('#state', (element) => element.textContent);
        if (await tab.$eval('#results', (element) => !element.hidden)) {
            const done = new Promise((resolve) => {
                const listener = (event) => {
                    if (event.state === 'inProgress') return;
                    session.off('Browser.downloadProgress', listener);
                    resolve(event);
                };
                session.on('Browser.downloadProgress', listener);
            });
            await tab.click('#save-output');
            const {guid} = await done;
            const saved = path.join(downloads, guid);
            outcome += sameFile(saved, expected) ? ', output identical' : ', OUTPUT DIFFERS';
            fs.rmSync(saved);
        } else {
            outcome += ': ' + await tab.$eval('#failure-text', (element) => element.textContent);
        }
        clearInterval(sampler);
        const mib = (kib) => (kib / 1024).toFixed(0);
        console.log(`${path.basename(input)} ${(fs.statSync(input).size / 1e6).toFixed(0)} MB: ` +
                    `${seconds.toFixed(2)} s, browser memory ${mib(idle)} MiB idle, ` +
                    `${mib(peak)} MiB peak; ${outcome}`);
    }
    await browser.close();
    fs.rmSync(downloads, {recursive: true, force: true});
}

main().catch((error) => {
    console.error(`page_browser_bench: ${error.message}`);
    process.exit(1);
});
