// The page's own script: it takes the file (chosen or dropped), runs it in a worker (worker.js,
// with the engine) and shows what the run tells. A worker serves one run, then ends; the next is
// started beforehand, while the page waits for a file. "Arrêter" ends the worker at once. The
// texts of a run come from the engine; the page's own labels are in brelin.html.
'use strict';

(() => {
    const $ = (id) => document.getElementById(id);
    const workerUrl = URL.createObjectURL(
        new Blob([$('brelin-engine').textContent], {type: 'text/javascript'}));
    // The engine's module, compiled once for every worker. A browser without WebAssembly's
    // SIMD, bulk memory or exceptions refuses it.
    const compiled = WebAssembly.compile(
        Uint8Array.from(atob($('brelin-wasm').textContent.trim()), (c) => c.charCodeAt(0)));
    // The CONC box's key in the browser's storage; its first name is still read, so that an
    // earlier choice holds.
    const concKey = 'brelin.conc';
    const earlierConcKey = 'brelin.continueLongLines';
    // What the text under the CONC box says with the box not ticked (its text in the page).
    const concHintOff = $('conc-hint').textContent;

    let texts = {};      // the engine's fixed texts (brelin_texts)
    let spare = null;    // the worker ready for the next run: {worker, ready}
    let current = null;  // the worker of the run under way
    let saves = {};      // the last run's files to save, by button: {url, name}
    let unsaved = false; // the last run's sorted file is offered and was not saved yet
    let nextSpoken = 0;  // the next progress, in percent, to announce to screen readers

    function startWorker() {
        const worker = new Worker(workerUrl);
        const ready = new Promise((resolve, reject) => {
            worker.onmessage = (event) => {
                if (event.data.type === 'unsupported') reject(new Error(event.data.detail));
                if (event.data.type !== 'ready') return;
                texts = event.data.texts;
                $('version').textContent = texts.version;
                $('size-limit').textContent = texts.sizeLimit;
                $('notice-title').textContent = texts.noticeTitle;
                resolve();
            };
            worker.onerror = (event) => {
                event.preventDefault();
                reject(new Error(event.message));
            };
            compiled.then((module) => worker.postMessage({type: 'module', module}), reject);
        });
        // A refusal is told when a run needs the worker, not before.
        ready.catch(() => {});
        return {worker, ready};
    }

    function show(id, visible) {
        $(id).hidden = !visible;
    }

    // Said to screen readers (the live region), in the page's words or the engine's.
    function announce(words) {
        $('announce').textContent = words;
    }

    function setRunning(running) {
        document.body.classList.toggle('running', running);
        $('pick').disabled = running;
        $('conc').disabled = running;
        show('stop', running);
        show('progress-box', running);
    }

    function clearResults() {
        for (const {url} of Object.values(saves)) URL.revokeObjectURL(url);
        saves = {};
        unsaved = false;
        for (const id of ['results', 'failure', 'drop-message', 'conc-advice', 'save-log']) {
            show(id, false);
        }
        $('report-text').textContent = '';
        $('notice-lines').replaceChildren();
        for (const id of ['measure', 'elapsed', 'announce']) $(id).textContent = '';
    }

    // The button id saves bytes under name, through the browser's downloads.
    function offer(id, name, parts, type) {
        saves[id] = {url: URL.createObjectURL(new Blob(parts, {type})), name};
        $(id).querySelector('.file-name').textContent = name;
        show(id, true);
    }

    function save(id) {
        const link = document.createElement('a');
        link.href = saves[id].url;
        link.download = saves[id].name;
        link.hidden = true;
        document.body.append(link);
        link.click();
        link.remove();
        if (id === 'save-output') unsaved = false;
    }

    // The run ended without a file: its state and why, with no measure beside them; the focus
    // goes back to the file button.
    function fail(status, message) {
        $('state').textContent = status;
        $('measure').textContent = '';
        $('failure-title').textContent = texts.attention || '';
        $('failure-text').textContent = message;
        show('failure', true);
        $('pick').focus();
    }

    // The run of worker is over, whatever its end. The body counts the runs ended, for scripts
    // that drive the page.
    function ended(worker) {
        worker.terminate();
        current = null;
        setRunning(false);
        document.body.dataset.runs = String(Number(document.body.dataset.runs || 0) + 1);
        spare = startWorker();
    }

    // A live fact of the run under way.
    function showLive(facts) {
        if (facts.phase) {
            $('phase').textContent = $('phase').dataset[facts.phase];
            $('bar').value = 0;
            announce($('phase').textContent);
            nextSpoken = 25;
        }
        if (facts.measure) $('measure').textContent = facts.measure;
    }

    function progressed(percent) {
        $('bar').value = percent;
        if (percent < nextSpoken || percent === 100) return;
        announce(`${$('phase').textContent} ${percent} %`);
        nextSpoken = percent - (percent % 25) + 25;
    }

    // The notice as the window's: what deserves attention or that nothing does, and after lines
    // were cut, how the CONC box keeps their end. Returns what it says, for screen readers.
    function showNotice(facts) {
        const lines = facts.notice || [];
        $('notice-intro').textContent = lines.length ? facts.noticeIntro : facts.nothingToNote;
        $('notice-lines').replaceChildren(...lines.map((line) => {
            const item = document.createElement('li');
            item.textContent = line;
            return item;
        }));
        $('notice').classList.toggle('clean', !lines.length);
        $('conc-advice').textContent = facts.concAdvice || '';
        show('conc-advice', Boolean(facts.concAdvice));
        return [$('notice-intro').textContent, ...lines, facts.concAdvice || ''].join(' ').trim();
    }

    function completed(facts, output) {
        if (!output) {
            fail(facts.state, facts.error);
            return;
        }
        // In the window's three panels.
        $('measure').textContent = facts.measure;
        $('state').textContent = facts.state;
        $('elapsed').textContent = facts.elapsed;
        const notice = showNotice(facts);
        offer('save-output', facts.output, [output], 'application/octet-stream');
        if (facts.log) offer('save-log', facts.logName, [facts.log], 'application/octet-stream');
        offer('save-report', facts.reportName, [facts.report], 'text/plain;charset=utf-8');
        $('report-text').textContent = facts.report;
        show('results', true);
        unsaved = true;
        announce(`${facts.state}, ${facts.measure}, ${facts.elapsed}. ${notice}`);
        $('save-output').focus();
    }

    function listen(worker) {
        worker.onmessage = (event) => {
            if (worker !== current) return;  // a stopped run's last words
            const message = event.data;
            if (message.type === 'fact') {
                showLive(message.facts);
            } else if (message.type === 'progress') {
                progressed(message.percent);
            } else if (message.type === 'end') {
                ended(worker);
                completed(message.facts, message.output);
            } else if (message.type === 'crash') {
                ended(worker);
                const facts = message.facts;
                fail(texts.failed, message.outOfMemory ? facts.outOfMemory
                                                       : `${facts.unexpected} (${message.detail})`);
            }
        };
        worker.onerror = (event) => {
            event.preventDefault();
            if (worker !== current) return;
            ended(worker);
            fail(texts.failed || '', event.message);
        };
    }

    async function start(file) {
        if (current) return;
        // Another file would take the place of a sorted file not saved yet.
        if (unsaved && !window.confirm($('save-output').dataset.replace.replace('%s', file.name)))
            return;
        clearResults();
        show('status', true);
        $('file-name').textContent = file.name;
        $('state').textContent = '';
        $('phase').textContent = $('phase').dataset.reading;
        $('bar').value = 0;
        const next = spare;
        spare = null;
        current = next.worker;
        setRunning(true);
        $('stop').focus();
        try {
            await next.ready;
        } catch (error) {
            ended(next.worker);
            fail('', $('unsupported').textContent);
            return;
        }
        if (current !== next.worker) return;  // stopped while it was getting ready
        listen(next.worker);
        next.worker.postMessage({type: 'run', file, conc: $('conc').checked});
    }

    function stop() {
        if (!current) return;
        ended(current);
        $('state').textContent = texts.stopped;
        announce(texts.stopped);
        $('pick').focus();
    }

    // A drop refused, and why, in the page's words.
    function refuseDrop(reason) {
        $('drop-message').textContent = $('drop-message').dataset[reason];
        show('drop-message', true);
    }

    function dropped(transfer) {
        if (current || !transfer.files.length) return;
        if (transfer.files.length > 1) return refuseDrop('several');
        const entry = transfer.items && transfer.items[0] && transfer.items[0].webkitGetAsEntry &&
                      transfer.items[0].webkitGetAsEntry();
        if (entry && !entry.isFile) return refuseDrop('folder');
        start(transfer.files[0]);
    }

    $('pick').addEventListener('click', () => $('input').click());
    $('input').addEventListener('change', () => {
        const file = $('input').files[0];
        $('input').value = '';
        if (file) start(file);
    });
    $('stop').addEventListener('click', stop);
    for (const id of ['save-output', 'save-log', 'save-report']) {
        $(id).addEventListener('click', () => save(id));
    }

    // Files dragged over the page, several too (to say on the drop that one at a time is taken).
    document.addEventListener('dragover', (event) => {
        event.preventDefault();
        const allowed = !current && event.dataTransfer.types.includes('Files');
        event.dataTransfer.dropEffect = allowed ? 'copy' : 'none';
        document.body.classList.toggle('dragging', allowed);
    });
    document.addEventListener('dragleave', (event) => {
        if (!event.relatedTarget) document.body.classList.remove('dragging');
    });
    document.addEventListener('drop', (event) => {
        event.preventDefault();
        document.body.classList.remove('dragging');
        dropped(event.dataTransfer);
    });

    // Leaving or reloading the page would lose a run under way or a sorted file not saved: the
    // browser asks first.
    window.addEventListener('beforeunload', (event) => {
        if (!current && !unsaved) return;
        event.preventDefault();
        event.returnValue = true;
    });

    // Each access key told where it is used, with the keys this browser wants for it.
    const mac = /Mac|iPhone|iPad/.test(navigator.platform || navigator.userAgent);
    const firefox = /Firefox\//.test(navigator.userAgent);
    const [shown, aria] = mac ? ['Ctrl+Option+', 'Control+Alt+']
                        : firefox ? ['Alt+Maj+', 'Alt+Shift+'] : ['Alt+', 'Alt+'];
    for (const control of document.querySelectorAll('[accesskey]')) {
        const key = control.accessKey.toUpperCase();
        (control.closest('label') || control).title = `Raccourci : ${shown}${key}`;
        control.setAttribute('aria-keyshortcuts', aria + key);
    }
    for (const keys of document.querySelectorAll('kbd[data-key]')) {
        keys.textContent = shown + keys.dataset.key;
    }

    // The CONC choice is the user's, kept in the browser from one visit to the next; the text
    // under the box says what it does as it is.
    function showConcHint() {
        $('conc-hint').textContent = $('conc').checked ? $('conc-hint').dataset.on : concHintOff;
    }
    $('conc').addEventListener('change', showConcHint);
    try {
        $('conc').checked = (localStorage.getItem(concKey) ??
                             localStorage.getItem(earlierConcKey)) === 'true';
        $('conc').addEventListener('change', () => {
            localStorage.setItem(concKey, String($('conc').checked));
        });
    } catch (error) {
        // A browser that keeps nothing for pages opened from a file: the box starts unchecked.
    }
    showConcHint();

    spare = startWorker();
})();
