// What the page tells, in Chromium and Firefox, as the window tells it: the notice after a run
// (what deserves attention, or that nothing does, and the CONC box's advice after a cut), the
// saved files named after the input, the text under the CONC box either way, drops it does not
// take, failures without a line count, a stopped run's status line, and the browser's question
// before leaving a page whose work would be lost.
'use strict';

const {describe, test, before, after} = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const support = require('./support.js');
const {PageDriver, browserNames} = require('./page_driver.js');

const folder = support.temporaryFolder('tells');
const example = path.join(support.root, 'examples/exemple.ged');
const clean = path.join(folder, 'propre.ged');
fs.writeFileSync(clean, '0 HEAD\r\n0 @I2@ INDI\r\n0 @I1@ INDI\r\n0 TRLR\r\n');
const famille = path.join(folder, 'famille.ged');
fs.copyFileSync(example, famille);
const long = support.generated('40M', folder);
const advice = /^Pour garder la fin des lignes longues, cochez la case « Conserver la fin des lignes longues \(CONC\) » et relancez le traitement\.$/;

for (const browserName of browserNames) describe(browserName, () => {
    let driver;
    before(async () => {
        driver = await PageDriver.launch(browserName);
    });
    after(() => driver && driver.close());

    const notices = [
        ['a cut line', example, false, /^Le fichier trié est prêt\. À noter :$/, /a été coupée/, advice],
        ['a continued line', example, true, /À noter :$/, /a été continuée/, null],
        ['a clean file', clean, false, /^Rien à signaler\.$/, null, null],
    ];
    for (const [what, input, conc, intro, line, concAdvice] of notices) {
        test(`the notice after ${what}`, async () => {
            await driver.runOn(input, {conc});
            assert.strictEqual(await driver.text('#notice-title'), 'Fin du traitement');
            assert.match(await driver.text('#notice-intro'), intro);
            const lines = await driver.text('#notice-lines');
            if (line) assert.match(lines, line);
            else assert.strictEqual(lines, '');
            assert.strictEqual(await driver.visible('#conc-advice'), Boolean(concAdvice));
            if (concAdvice) assert.match(await driver.text('#conc-advice'), concAdvice);
            await driver.save('#save-output');
        });
    }

    test('the files of two runs are saved under their input\'s names', async () => {
        const saved = [];
        for (const input of [example, famille]) {
            await driver.runOn(input);
            for (const button of ['#save-output', '#save-log', '#save-report']) {
                saved.push((await driver.save(button)).name);
            }
        }
        assert.deepStrictEqual(saved, ['exemple-trie.ged', 'exemple-journal.log', 'exemple-rapport.txt',
                                       'famille-trie.ged', 'famille-journal.log', 'famille-rapport.txt']);
    });

    test('the text under the CONC box says what the box does as it is', async () => {
        for (const [conc, does] of [[false, /est coupée à 255 octets, et sa fin est perdue/],
                                    [true, /est continuée sur des lignes CONC, et rien n'est perdu/]]) {
            await driver.setConc(conc);
            const hint = await driver.text('#conc-hint');
            assert.match(hint, does);
            assert.match(hint, /plus de 255 octets \(dans un fichier UTF-8, une lettre accentuée en compte deux\)/);
        }
        await driver.setConc(false);
    });

    test('several files dropped at once: one at a time is taken, and none is run', async () => {
        const before = await driver.runsEnded();
        const bytes = fs.readFileSync(example);
        await driver.drop({'un.ged': bytes, 'deux.ged': bytes});
        assert.strictEqual(await driver.text('#drop-message'),
                           'Brelin traite un seul fichier à la fois : déposez un seul fichier GEDCOM sur la page.');
        assert.strictEqual(await driver.runsEnded(), before);
    });

    test('files dragged over the page light the drop zone up', async () => {
        const zone = () => driver.page.$eval('.drop', (element) => {
            const style = getComputedStyle(element);
            return `${style.borderTopStyle} ${style.borderTopWidth} ${style.backgroundColor}`;
        });
        const idle = await zone();
        await driver.drop({'un.ged': Buffer.from('0 HEAD\r\n')}, 'dragover');
        assert.strictEqual(await driver.page.$eval('body', (body) => body.className), 'dragging');
        const lit = await zone();
        assert.notStrictEqual(lit, idle);
        assert.match(lit, /^solid 3px /);
        await driver.screenshot('dragging');
        await driver.drop({}, 'drop');
    });

    test('a file that is not GEDCOM: its message, and no line count beside it', async () => {
        const [archive, utf16] = support.damagedInputs(folder).filter((file) => /archive|utf16/.test(file));
        const picture = path.join(support.root, 'docs/brelin-page.png');
        const empty = path.join(folder, 'vide.ged');
        fs.writeFileSync(empty, '');
        for (const file of [archive, utf16, picture, empty]) {
            await driver.runOn(file);
            assert.match(await driver.text('#failure-text'), new RegExp(path.basename(file)));
            assert.strictEqual(await driver.visible('#measure'), false);
            assert.strictEqual(await driver.text('#state'), 'Échec');
        }
    });

    test('a stopped run leaves no empty cell in the status line', async () => {
        await driver.startLongRun(long);
        await driver.page.click('#stop');
        const cells = await driver.page.$$eval('#status span', (spans) => spans
            .filter((span) => span.getClientRects().length > 0)
            .map((span) => [span.textContent, getComputedStyle(span).borderLeftStyle]));
        assert.ok(cells.length >= 2);
        assert.deepStrictEqual(cells.map(([words]) => words === ''), cells.map(() => false));
        assert.deepStrictEqual(cells.map(([, border]) => border),
                               cells.map((cell, i) => (i === 0 ? 'none' : 'solid')));
        await driver.screenshot('stopped');
    });

    test('leaving the page asks first during a run and while the sorted file is not saved', async () => {
        await driver.runOn(clean);
        await driver.save('#save-output');
        assert.strictEqual(await driver.leavingAsks(), false, 'after saving');
        assert.strictEqual(await driver.leavingAsks(), false, 'with nothing done');
        await driver.startLongRun(long);
        assert.strictEqual(await driver.leavingAsks(), true, 'during a run');
        await driver.endOf(() => driver.page.click('#stop'));
        await driver.runOn(clean);
        assert.strictEqual(await driver.leavingAsks(), true, 'with the sorted file not saved');
        // Another file asks first too; "cancel" keeps the sorted file on offer.
        const asked = new Promise((resolve) => {
            driver.asked = resolve;
        });
        const runs = await driver.runsEnded();
        await driver.choose(clean);
        assert.strictEqual(await asked, 'confirm', 'another file with the sorted file not saved');
        assert.strictEqual(await driver.runsEnded(), runs);
        assert.strictEqual(await driver.visible('#save-output'), true);
        await driver.save('#save-output');
        assert.strictEqual(await driver.leavingAsks(), false, 'once saved');
    });
});
