// The page in a browser, as its tests drive it: Debian's Chromium and Firefox ESR, headless
// (puppeteer-core: Chromium through its own protocol, Firefox through WebDriver BiDi), the page
// opened from its file as a user's double-click opens it, its files saved through the browser's
// downloads into a folder of the test's. BRELIN_BROWSERS names the browsers to try (both by
// default), BRELIN_CHROMIUM and BRELIN_FIREFOX their programs.
'use strict';

const fs = require('fs');
const path = require('path');
const support = require('./support.js');

const puppeteer = support.testPackage('puppeteer-core');
const axeSource = fs.readFileSync(path.join(support.testPackages, 'axe-core/axe.min.js'), 'utf8');

const pageUrl = 'file://' + path.join(support.webBuild, 'brelin.html');
const shots = path.join(support.webBuild, 'page-screenshots');

const launchOptions = {
    chromium: {
        executablePath: process.env.BRELIN_CHROMIUM || '/usr/bin/chromium',
        // The machine's sandbox for Chromium needs user namespaces that tests may not have.
        args: ['--no-sandbox', '--disable-dev-shm-usage'],
    },
    firefox: {
        browser: 'firefox',
        executablePath: process.env.BRELIN_FIREFOX || '/usr/bin/firefox-esr',
        // Firefox's downloads panel, opened at each download, would take the keyboard's focus
        // from the page.
        extraPrefsFirefox: {'browser.download.alwaysOpenPanel': false},
    },
};
const browserNames = (process.env.BRELIN_BROWSERS || 'chromium,firefox').split(',');

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

class PageDriver {
    static async launch(name) {
        const browser = await puppeteer.launch({headless: true, ...launchOptions[name]});
        const downloads = support.temporaryFolder(`${name}-downloads`);
        const context = await browser.createBrowserContext(
            {downloadBehavior: {policy: 'allow', downloadPath: downloads}});
        const page = await context.newPage();
        await page.setViewport({width: 900, height: 860});
        const driver = new PageDriver(name, browser, page, downloads);
        await driver.open();
        return driver;
    }

    constructor(name, browser, page, downloads) {
        Object.assign(this, {name, browser, page, downloads, requests: [], asked: null});
        page.on('request', (request) => this.requests.push(request.url()));
        // The browser's question before leaving the page: answered "leave", but when a test
        // waits for it, "stay".
        page.on('dialog', async (dialog) => {
            const waiting = this.asked;
            this.asked = null;
            if (waiting) waiting(dialog.type());
            await (waiting ? dialog.dismiss() : dialog.accept());
        });
    }

    close() {
        return this.browser.close();
    }

    async open() {
        await this.page.goto(pageUrl);
        await this.page.waitForFunction(
            () => document.getElementById('version').textContent.includes('1.'));
    }

    runsEnded() {
        return this.page.evaluate(() => Number(document.body.dataset.runs || 0));
    }

    setConc(on) {
        return this.page.$eval('#conc', (box, state) => {
            if (box.checked !== state) box.click();
        }, on);
    }

    // Does what starts a run, then waits for its end.
    async endOf(start) {
        const before = await this.runsEnded();
        await start();
        await this.page.waitForFunction((count) => Number(document.body.dataset.runs || 0) > count,
                                        {timeout: 120000}, before);
    }

    // Gives the page a file as its "Lecture du fichier" button does.
    async choose(file) {
        await (await this.page.$('#input')).uploadFile(file);
    }

    // Gives the page a file, and waits for the end of its run.
    async runOn(file, {conc = false} = {}) {
        await this.setConc(conc);
        await this.endOf(() => this.choose(file));
    }

    // Starts a run on a file that takes a while, and waits until it is under way.
    async startLongRun(file) {
        await this.choose(file);
        await this.page.waitForFunction(() => document.getElementById('bar').value > 0);
    }

    // Drops files ({name: bytes}) on the page, or drags them over it with type 'dragover'.
    drop(files, type = 'drop') {
        const encoded = Object.entries(files).map(([name, bytes]) => [name, bytes.toString('base64')]);
        return this.page.evaluate((list, eventType) => {
            const transfer = new DataTransfer();
            for (const [name, base64] of list) {
                transfer.items.add(new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))],
                                            name));
            }
            document.body.dispatchEvent(new DragEvent(eventType, {dataTransfer: transfer,
                                                                  bubbles: true, cancelable: true}));
        }, encoded, type);
    }

    // Saves a file through the button selector, clicked or with key pressed on it, and returns
    // what the browser saved: its name and its bytes.
    async save(selector, key) {
        if (key) {
            await this.page.focus(selector);
            await this.page.keyboard.press(key);
        } else {
            await this.page.click(selector);
        }
        for (let waited = 0; waited < 30000; waited += 50) {
            const names = fs.readdirSync(this.downloads);
            const done = names.filter((name) => !/\.(part|crdownload)$/.test(name));
            if (names.length === 1 && done.length === 1) {
                const file = path.join(this.downloads, done[0]);
                await sleep(50);  // a file just renamed into place may still be flushed
                const bytes = fs.readFileSync(file);
                fs.rmSync(file);
                return {name: done[0], bytes};
            }
            await sleep(50);
        }
        throw new Error(`no download from ${selector}: ${fs.readdirSync(this.downloads)}`);
    }

    // Whether leaving the page (a reload) makes the browser ask first. Its question is
    // answered "stay"; without one, the page is opened anew.
    async leavingAsks() {
        await this.page.click('h1');  // a browser asks only on a page the user has used
        const asked = new Promise((resolve) => {
            this.asked = resolve;
        });
        // The browser's own reload: Firefox asks only for a navigation that the page's script
        // did not start.
        const left = this.page.reload({timeout: 15000}).then(() => 'left', () => 'stayed');
        const outcome = await Promise.race([asked, left]);
        this.asked = null;
        if (outcome === 'left') await this.open();
        return outcome === 'beforeunload';
    }

    // axe-core's violations on the page as it is: "rule: elements" each.
    async axeViolations() {
        await this.page.evaluate(axeSource);
        const violations = await this.page.evaluate(async () => (await axe.run(document)).violations
            .map((v) => `${v.id} (${v.impact}): ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`));
        return violations;
    }

    visible(selector) {
        return this.page.$eval(selector, (element) => element.getClientRects().length > 0);
    }

    text(selector) {
        return this.page.$eval(selector, (element) => element.textContent.trim());
    }

    async screenshot(name) {
        fs.mkdirSync(shots, {recursive: true});
        await this.page.mouse.move(0, 0);
        await this.page.screenshot({path: path.join(shots, `${this.name}-${name}.png`),
                                    fullPage: true});
    }
}

module.exports = {PageDriver, browserNames, sleep};
