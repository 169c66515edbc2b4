// The page itself, in Debian's Chromium without a display, opened from a file as a user's
// double-click opens it: files given to it are sorted to brelin-cli's bytes, saved through the
// browser's downloads; "Arrêter" produces nothing and leaves the page usable; failures are told
// in French; the CONC box is remembered; and no request leaves the page.
'use strict';

const {test, before, after} = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const support = require('./support.js');

const puppeteer = support.testPackage('puppeteer-core');

const pageUrl = 'file://' + path.join(support.webBuild, 'brelin.html');
const shots = path.join(support.webBuild, 'page-screenshots');
const folder = support.temporaryFolder('page');
const downloads = path.join(folder, 'downloads');
const native = support.nativeProgram();
const example = path.join(support.root, 'examples/exemple.ged');
const requests = [];
let browser;
let page;
let session;

before(async () => {
    fs.mkdirSync(downloads);
    fs.mkdirSync(shots, {recursive: true});
    browser = await puppeteer.launch({
        executablePath: process.env.BRELIN_CHROMIUM || '/usr/bin/chromium',
        headless: true,
        // The machine's sandbox for Chromium needs user namespaces that tests may not have.
        args: ['--no-sandbox', '--disable-dev-shm-usage'],
    });
    session = await browser.target().createCDPSession();
    await session.send('Browser.setDownloadBehavior',
                       {behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true});
    page = await browser.newPage();
    await page.setViewport({width: 900, height: 860});
    page.on('request', (request) => requests.push(request.url()));
    await open();
});

after(async () => {
    if (browser) await browser.close();
});

async function open() {
    await page.goto(pageUrl);
    await page.waitForFunction(() => document.getElementById('version').textContent.includes('1.'));
}

const runsEnded = () => page.evaluate(() => Number(document.body.dataset.runs || 0));

async function setConc(on) {
    await page.$eval('#conc', (box, state) => {
        if (box.checked !== state) box.click();
    }, on);
}

// Does what starts a run, then waits for its end.
async function endOf(start) {
    const before = await runsEnded();
    await start();
    await page.waitForFunction((count) => Number(document.body.dataset.runs || 0) > count,
                               {timeout: 120000}, before);
}

// Gives the page a file as its "Lecture du fichier" button does, and waits for the end.
async function runOn(file, {conc = false} = {}) {
    await setConc(conc);
    await endOf(async () => (await page.$('#input')).uploadFile(file));
}

// Clicks a save link and returns the file the browser saved: its name and its bytes.
async function save(link) {
    const begun = new Promise((resolve) => session.once('Browser.downloadWillBegin', resolve));
    const done = new Promise((resolve) => {
        const listener = (event) => {
            if (event.state === 'inProgress') return;
            session.off('Browser.downloadProgress', listener);
            resolve(event);
        };
        session.on('Browser.downloadProgress', listener);
    });
    await page.click(link);
    const {guid, suggestedFilename} = await begun;
    assert.strictEqual((await done).state, 'completed');
    const file = path.join(downloads, guid);
    const bytes = fs.readFileSync(file);
    fs.rmSync(file);
    return {name: suggestedFilename, bytes};
}

// Shown on the page: laid out, with a box of its own.
const visible = (selector) => page.$eval(selector, (element) => element.getClientRects().length > 0);
const text = (selector) => page.$eval(selector, (element) => element.textContent.trim());

test('the page before a run', async () => {
    assert.strictEqual(await visible('#results'), false);
    assert.strictEqual(await text('#pick'), 'Lecture du fichier');
    await page.screenshot({path: path.join(shots, 'before.png'), fullPage: true});
});

for (const conc of [false, true]) {
    test(`the example sorted as by brelin-cli${conc ? ' --conc' : ''}, its files saved`, async () => {
        const expected = native(example, {conc});
        await runOn(example, {conc});
        assert.match(await text('#state'), /^Terminé$/);
        assert.match(await text('#measure'), /^\d+ lignes$/);
        assert.match(await text('#elapsed'), /^en \d+ Sec$/);
        const sorted = await save('#save-output');
        assert.strictEqual(sorted.name, 'exemple-trie.ged');
        assert.ok(sorted.bytes.equals(expected.output), 'the sorted files differ');
        const log = await save('#save-log');
        assert.strictEqual(log.name, 'Logbrelin.log');
        assert.ok(log.bytes.equals(expected.log), 'the logs differ');
        const report = await save('#save-report');
        assert.strictEqual(report.name, 'Rapportbrelin.txt');
        assert.match(report.bytes.toString('utf8'), /^Rapport de Brelin version/);
        // As in the window and brelin-cli, the notice tells the lines cut, or continued.
        assert.strictEqual(await visible('#notice'), true);
        assert.match(await text('#notice-lines'), conc ? /a été continuée/ : /a été coupée/);
        if (!conc) {
            await page.mouse.move(0, 0);
            await page.screenshot({path: path.join(shots, 'after.png'), fullPage: true});
        }
    });
}

test('a generated file of 10 MB sorted as by brelin-cli, in both modes', async () => {
    const input = support.generated('10M', folder);
    for (const conc of [false, true]) {
        await runOn(input, {conc});
        const sorted = await save('#save-output');
        assert.ok(sorted.bytes.equals(native(input, {conc}).output), 'the sorted files differ');
    }
});

test('a file with no long line: no log to save', async () => {
    const input = path.join(folder, 'court.ged');
    fs.writeFileSync(input, '0 HEAD\r\n0 @I2@ INDI\r\n0 @I1@ INDI\r\n0 TRLR\r\n');
    await runOn(input);
    assert.strictEqual(await visible('#save-output'), true);
    assert.strictEqual(await visible('#save-log'), false);
    assert.strictEqual(await visible('#notice'), false);
    assert.ok((await save('#save-output')).bytes.equals(native(input).output));
});

test('a file dropped on the page is sorted', async () => {
    const bytes = fs.readFileSync(example).toString('base64');
    await setConc(false);
    await endOf(() => page.evaluate((base64) => {
        const file = new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))],
                              'depose.ged');
        const transfer = new DataTransfer();
        transfer.items.add(file);
        document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer,
                                                           bubbles: true, cancelable: true}));
    }, bytes));
    assert.strictEqual(await text('#file-name'), 'depose.ged');
    const sorted = await save('#save-output');
    assert.strictEqual(sorted.name, 'depose-trie.ged');
    assert.ok(sorted.bytes.equals(native(example).output));
});

test('"Arrêter" produces nothing, and the page goes on', async () => {
    const input = support.generated('40M', folder);
    const before = await runsEnded();
    await (await page.$('#input')).uploadFile(input);
    await page.waitForFunction(() => document.getElementById('bar').value > 0);
    await page.click('#stop');
    assert.strictEqual(await runsEnded(), before + 1);
    assert.strictEqual(await text('#state'), 'Arrêt demandé : aucun fichier n\'a été écrit.');
    // The stopped worker is gone: nothing of its run comes to the page.
    await new Promise((resolve) => setTimeout(resolve, 1500));
    assert.strictEqual(await visible('#results'), false);
    assert.strictEqual(await visible('#failure'), false);
    assert.strictEqual(await visible('#progress-box'), false);
    assert.deepStrictEqual(fs.readdirSync(downloads), []);
    await runOn(example);
    assert.ok((await save('#save-output')).bytes.equals(native(example).output));
});

test('failures are told in French, and nothing is offered', async () => {
    const [archive, utf16] = support.damagedInputs(folder)
        .filter((file) => /archive|utf16/.test(file));
    // A file larger than the page takes, refused before it is read: a sparse file.
    const large = path.join(folder, 'grand.ged');
    fs.writeFileSync(large, '0 HEAD\r\n');
    fs.truncateSync(large, 2100000000);
    const cases = [
        [archive, /« archive\.gdz » est une archive zip \(GEDZIP, \.gdz\), pas un fichier GEDCOM/],
        [utf16, /« utf16\.ged » est en UTF-16/],
        [large, /« grand\.ged » fait 2100 Mo : c'est plus que ce que cette page peut traiter/],
    ];
    for (const [file, message] of cases) {
        await runOn(file);
        assert.strictEqual(await text('#failure-title'), 'Attention !');
        assert.match(await text('#failure-text'), message);
        assert.strictEqual(await text('#state'), 'Échec');
        assert.strictEqual(await visible('#results'), false);
    }
    await page.screenshot({path: path.join(shots, 'failure.png'), fullPage: true});
});

test('the CONC box keeps its state from one opening of the page to the next', async () => {
    for (const on of [true, false]) {
        await setConc(on);
        await open();
        assert.strictEqual(await page.$eval('#conc', (box) => box.checked), on);
    }
});

test('the CONC box keeps a choice stored under its earlier name', async () => {
    const cases = [
        [{'brelin.continueLongLines': 'true'}, true],
        [{'brelin.continueLongLines': 'true', 'brelin.conc': 'false'}, false],
        [{'brelin.continueLongLines': 'false'}, false],
    ];
    for (const [stored, checked] of cases) {
        await page.evaluate((entries) => {
            localStorage.clear();
            for (const [key, value] of Object.entries(entries)) localStorage.setItem(key, value);
        }, stored);
        await open();
        assert.strictEqual(await page.$eval('#conc', (box) => box.checked), checked);
    }
});

test('no request leaves the page', () => {
    assert.ok(requests.length > 0);
    const outside = requests.filter((url) => !/^(file|blob|data):/.test(url));
    assert.deepStrictEqual(outside, []);
});
