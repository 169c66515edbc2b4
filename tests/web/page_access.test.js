// The page without a mouse and with a screen reader, in Chromium and Firefox: axe-core finds no
// violation in any of its states; the focus lands on a control after a run, a failure or a stop,
// and every control shows it with a ring of at least 3:1; the save buttons answer Space and
// Enter; the access keys say which keys to press; a run's progress and end are announced.
'use strict';

const {describe, test, before, after} = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const support = require('./support.js');
const {PageDriver, browserNames} = require('./page_driver.js');

const folder = support.temporaryFolder('access');
const example = path.join(support.root, 'examples/exemple.ged');
const [utf16] = support.damagedInputs(folder).filter((file) => /utf16/.test(file));
const long = support.generated('100M', folder);

for (const browserName of browserNames) describe(browserName, () => {
    let driver;
    before(async () => {
        driver = await PageDriver.launch(browserName);
    });
    after(() => driver && driver.close());

    const running = () => driver.page.$eval('body', (body) => body.classList.contains('running'));
    const focused = () => driver.page.evaluate(() => document.activeElement.id);
    async function openDetails() {
        await driver.page.$$eval('details', (all) => all.forEach((details) => {
            details.open = true;
        }));
    }

    const states = [
        ['idle', async () => driver.open(), null],
        ['during a run', async () => driver.startLongRun(long), async () => {
            assert.ok(await running(), 'the run ended before axe-core did');
            await driver.endOf(() => driver.page.click('#stop'));
        }],
        ['after a run, with the report and the help open', async () => {
            await driver.runOn(example);
            await openDetails();
        }, () => driver.save('#save-output')],
        ['after a failure', async () => driver.runOn(utf16), null],
    ];
    for (const [state, reach, leave] of states) {
        test(`axe-core finds no violation ${state}`, async () => {
            await reach();
            await driver.screenshot(state.split(',')[0].replace(/ /g, '-'));
            assert.deepStrictEqual(await driver.axeViolations(), []);
            if (leave) await leave();
        });
    }

    const ends = [
        ['a run', () => driver.runOn(example), 'save-output'],
        ['a failure', () => driver.runOn(utf16), 'pick'],
        ['a stop', async () => {
            await driver.startLongRun(long);
            await driver.page.click('#stop');
        }, 'pick'],
    ];
    for (const [end, reach, control] of ends) {
        test(`the focus after ${end} is on #${control}`, async () => {
            await reach();
            assert.strictEqual(await focused(), control);
            assert.ok(await driver.visible(`#${control}`));
        });
    }

    test('every control shows its focus with a ring of at least 3:1', async () => {
        await driver.runOn(example);
        await openDetails();
        await driver.page.click('h1');  // Tab goes on from there
        // Never past the last one: Firefox would take the focus out of the page.
        const controls = ['pick', 'conc', 'save-output', 'save-log', 'save-report', 'report-summary',
                          'report-text', 'help-summary'];
        const rings = [];
        for (let press = 0; press < controls.length; press++) {
            await driver.page.keyboard.press('Tab');
            rings.push(await driver.page.evaluate(focusRing));
        }
        assert.deepStrictEqual(rings.map((ring) => ring && ring[0]), controls);
        for (const [id, width, contrast] of rings) {
            assert.ok(width >= 2 && contrast >= 3, `${id}: ${width}px, ${contrast.toFixed(2)}:1`);
        }
        await driver.save('#save-output');
    });

    for (const [button, key] of [['#save-log', 'Enter'], ['#save-report', ' ']]) {
        test(`${button} saves with ${key === ' ' ? 'Space' : key}`, async () => {
            await driver.runOn(example);
            assert.match((await driver.save(button, key)).name, /^exemple-/);
            await driver.save('#save-output');
        });
    }

    test('the access keys say which keys to press, in the titles and the help', async () => {
        const keys = browserName === 'firefox' ? 'Alt+Maj+' : 'Alt+';
        for (const [selector, letter] of [['#pick', 'L'], ['label.conc', 'C'], ['#help summary', 'A']]) {
            assert.strictEqual(await driver.page.$eval(selector, (element) => element.title),
                               `Raccourci : ${keys}${letter}`);
        }
        assert.deepStrictEqual(await driver.page.$$eval('#help kbd', (all) => all.map((k) => k.textContent)),
                               ['L', 'C', 'A'].map((letter) => keys + letter));
    });

    test('a run\'s progress and its end are announced to screen readers, in French', async () => {
        assert.strictEqual(await driver.page.$eval('html', (html) => html.lang), 'fr');
        assert.strictEqual(await driver.page.$eval('#announce', (live) => live.getAttribute('role')),
                           'status');
        await driver.page.evaluate(() => {
            window.announced = [];
            new MutationObserver(() => window.announced.push(document.getElementById('announce').textContent))
                .observe(document.getElementById('announce'), {childList: true, characterData: true, subtree: true});
        });
        await driver.runOn(support.generated('10M', folder));
        const announced = await driver.page.evaluate(() => window.announced.filter(Boolean));
        assert.ok(announced.includes('Lecture du fichier…'), announced.join(' | '));
        assert.ok(announced.includes('Écriture du fichier trié…'), announced.join(' | '));
        assert.ok(announced.includes('Lecture du fichier… 25 %'), announced.join(' | '));
        assert.match(announced.at(-1), /^Terminé, \d+ lignes, en \d+ Sec\. Le fichier trié est prêt\. À noter : /);
        await driver.save('#save-output');
    });
});

// In the page: the focused control's id (or its summary's), its ring's width and the ring's
// contrast with the first background behind it, or null on the page's body.
function focusRing() {
    const element = document.activeElement;
    if (!element || element === document.body) return null;
    const rgba = (color) => [...color.match(/[\d.]+/g).map(Number), 1].slice(0, 4);
    const luminance = (rgb) => rgb.map((c) => c / 255)
        .map((c) => (c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4))
        .reduce((sum, c, i) => sum + c * [0.2126, 0.7152, 0.0722][i], 0);
    let behind = element.parentElement;
    while (behind.parentElement && rgba(getComputedStyle(behind).backgroundColor)[3] === 0) {
        behind = behind.parentElement;
    }
    const style = getComputedStyle(element);
    const ground = rgba(getComputedStyle(behind).backgroundColor);
    const [r, g, b, alpha] = rgba(style.outlineColor);  // a translucent ring over the ground
    const ring = [r, g, b].map((c, i) => alpha * c + (1 - alpha) * ground[i]);
    const [light, dark] = [ring, ground.slice(0, 3)].map(luminance).sort((x, y) => y - x);
    const width = style.outlineStyle === 'none' ? 0 : parseFloat(style.outlineWidth);
    return [element.id || `${element.parentElement.id}-summary`, width, (light + 0.05) / (dark + 0.05)];
}
