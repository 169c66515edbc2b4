// The page itself, in Chromium and Firefox, opened from a file as a user's double-click opens
// it: files given to it are sorted to brelin-cli's bytes, saved through the browser's downloads
// under the input's name; "Arrêter" produces nothing and leaves the page usable; failures are
// told in French; the CONC box is remembered; and no request leaves the page.
'use strict';

const {describe, test, before, after} = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const support = require('./support.js');
const {PageDriver, browserNames, sleep} = require('./page_driver.js');

const folder = support.temporaryFolder('page');
const native = support.nativeProgram();
const example = path.join(support.root, 'examples/exemple.ged');

for (const browserName of browserNames) describe(browserName, () => {
    let driver;
    before(async () => {
        driver = await PageDriver.launch(browserName);
    });
    after(() => driver && driver.close());

    test('the page before a run', async () => {
        assert.strictEqual(await driver.visible('#results'), false);
        assert.strictEqual(await driver.text('#pick'), 'Lecture du fichier');
        await driver.screenshot('before');
    });

    for (const conc of [false, true]) {
        test(`the example sorted as by brelin-cli${conc ? ' --conc' : ''}, its files saved`,
             async () => {
                 const expected = native(example, {conc});
                 await driver.runOn(example, {conc});
                 assert.match(await driver.text('#state'), /^Terminé$/);
                 assert.match(await driver.text('#measure'), /^\d+ lignes$/);
                 assert.match(await driver.text('#elapsed'), /^en \d+ Sec$/);
                 const sorted = await driver.save('#save-output');
                 assert.strictEqual(sorted.name, 'exemple-trie.ged');
                 assert.ok(sorted.bytes.equals(expected.output), 'the sorted files differ');
                 const log = await driver.save('#save-log');
                 assert.strictEqual(log.name, 'exemple-journal.log');
                 assert.ok(log.bytes.equals(expected.log), 'the logs differ');
                 const report = await driver.save('#save-report');
                 assert.strictEqual(report.name, 'exemple-rapport.txt');
                 assert.match(report.bytes.toString('utf8'), /^Rapport de Brelin version/);
                 if (!conc) await driver.screenshot('after');
             });
    }

    test('a generated file of 10 MB sorted as by brelin-cli, in both modes', async () => {
        const input = support.generated('10M', folder);
        for (const conc of [false, true]) {
            await driver.runOn(input, {conc});
            const sorted = await driver.save('#save-output');
            assert.ok(sorted.bytes.equals(native(input, {conc}).output), 'the sorted files differ');
        }
    });

    test('a file with no long line: no log to save', async () => {
        const input = path.join(folder, 'court.ged');
        fs.writeFileSync(input, '0 HEAD\r\n0 @I2@ INDI\r\n0 @I1@ INDI\r\n0 TRLR\r\n');
        await driver.runOn(input);
        assert.strictEqual(await driver.visible('#save-output'), true);
        assert.strictEqual(await driver.visible('#save-log'), false);
        assert.ok((await driver.save('#save-output')).bytes.equals(native(input).output));
    });

    test('a file dropped on the page is sorted', async () => {
        await driver.setConc(false);
        await driver.endOf(() => driver.drop({'depose.ged': fs.readFileSync(example)}));
        assert.strictEqual(await driver.text('#file-name'), 'depose.ged');
        const sorted = await driver.save('#save-output');
        assert.strictEqual(sorted.name, 'depose-trie.ged');
        assert.ok(sorted.bytes.equals(native(example).output));
    });

    test('"Arrêter" produces nothing, and the page goes on', async () => {
        const before = await driver.runsEnded();
        await driver.startLongRun(support.generated('40M', folder));
        await driver.page.click('#stop');
        assert.strictEqual(await driver.runsEnded(), before + 1);
        assert.strictEqual(await driver.text('#state'), 'Arrêt demandé : aucun fichier n\'a été écrit.');
        // The stopped worker is gone: nothing of its run comes to the page.
        await sleep(1500);
        assert.strictEqual(await driver.visible('#results'), false);
        assert.strictEqual(await driver.visible('#failure'), false);
        assert.strictEqual(await driver.visible('#progress-box'), false);
        assert.deepStrictEqual(fs.readdirSync(driver.downloads), []);
        await driver.runOn(example);
        assert.ok((await driver.save('#save-output')).bytes.equals(native(example).output));
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
            [large, /« grand\.ged » fait 2003 Mo : c'est plus que ce que cette page peut traiter/],
        ];
        for (const [file, message] of cases) {
            await driver.runOn(file);
            assert.strictEqual(await driver.text('#failure-title'), 'Attention !');
            assert.match(await driver.text('#failure-text'), message);
            assert.strictEqual(await driver.text('#state'), 'Échec');
            assert.strictEqual(await driver.visible('#results'), false);
        }
        await driver.screenshot('failure');
    });

    test('the CONC box keeps its state from one opening of the page to the next', async () => {
        for (const on of [true, false]) {
            await driver.setConc(on);
            await driver.open();
            assert.strictEqual(await driver.page.$eval('#conc', (box) => box.checked), on);
        }
    });

    test('the CONC box keeps a choice stored under its earlier name', async () => {
        const cases = [
            [{'brelin.continueLongLines': 'true'}, true],
            [{'brelin.continueLongLines': 'true', 'brelin.conc': 'false'}, false],
            [{'brelin.continueLongLines': 'false'}, false],
        ];
        for (const [stored, checked] of cases) {
            await driver.page.evaluate((entries) => {
                localStorage.clear();
                for (const [key, value] of Object.entries(entries)) localStorage.setItem(key, value);
            }, stored);
            await driver.open();
            assert.strictEqual(await driver.page.$eval('#conc', (box) => box.checked), checked);
        }
    });

    test('no request leaves the page', () => {
        assert.ok(driver.requests.length > 0);
        const outside = driver.requests.filter((url) => !/^(file|blob|data):/.test(url));
        assert.deepStrictEqual(outside, []);
    });
});
