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

    let texts = {};      // the engine's fixed texts (brelin_texts)
    let spare = null;    // the worker ready for the next run: {worker, ready}
    let current = null;  // the worker of the run under way
    let links = [];      // the object URLs of the last run's files

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

    function setRunning(running) {
        document.body.classList.toggle('running', running);
        $('pick').disabled = running;
        $('conc').disabled = running;
        show('stop', running);
        show('progress-box', running);
    }

    function clearResults() {
        for (const url of links) URL.revokeObjectURL(url);
        links = [];
        for (const id of ['results', 'failure', 'notice', 'save-log']) show(id, false);
        $('report-text').textContent = '';
        $('notice-lines').replaceChildren();
        $('measure').textContent = '';
        $('elapsed').textContent = '';
    }

    // A link that saves bytes under name.
    function offer(id, name, parts, type) {
        const url = URL.createObjectURL(new Blob(parts, {type}));
        links.push(url);
        const link = $(id);
        link.href = url;
        link.download = name;
        link.querySelector('.file-name').textContent = name;
        show(id, true);
    }

    function fail(status, message) {
        $('state').textContent = status;
        $('failure-title').textContent = texts.attention;
        $('failure-text').textContent = message;
        show('failure', true);
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
        }
        if (facts.measure) $('measure').textContent = facts.measure;
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
        if (facts.notice) {
            $('notice-intro').textContent = facts.noticeIntro;
            const list = $('notice-lines');
            list.replaceChildren(...facts.notice.map((line) => {
                const item = document.createElement('li');
                item.textContent = line;
                return item;
            }));
            show('notice', true);
        }
        offer('save-output', facts.output, [output], 'application/octet-stream');
        if (facts.log) offer('save-log', facts.logName, [facts.log], 'application/octet-stream');
        offer('save-report', facts.reportName, [facts.report], 'text/plain;charset=utf-8');
        $('report-text').textContent = facts.report;
        show('results', true);
    }

    function listen(worker) {
        worker.onmessage = (event) => {
            if (worker !== current) return;  // a stopped run's last words
            const message = event.data;
            if (message.type === 'fact') {
                showLive(message.facts);
            } else if (message.type === 'progress') {
                $('bar').value = message.percent;
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
    }

    // One file, not a folder, and no run under way.
    function droppedFile(transfer) {
        if (current || transfer.files.length !== 1) return null;
        const entry = transfer.items && transfer.items[0] && transfer.items[0].webkitGetAsEntry &&
                      transfer.items[0].webkitGetAsEntry();
        if (entry && !entry.isFile) return null;
        return transfer.files[0];
    }

    function dropAllowed(transfer) {
        if (current || !transfer.types.includes('Files')) return false;
        const items = transfer.items;
        return !items || (items.length === 1 && items[0].kind === 'file');
    }

    $('pick').addEventListener('click', () => $('input').click());
    $('input').addEventListener('change', () => {
        const file = $('input').files[0];
        $('input').value = '';
        if (file) start(file);
    });
    $('stop').addEventListener('click', stop);

    document.addEventListener('dragover', (event) => {
        event.preventDefault();
        const allowed = dropAllowed(event.dataTransfer);
        event.dataTransfer.dropEffect = allowed ? 'copy' : 'none';
        document.body.classList.toggle('dragging', allowed);
    });
    document.addEventListener('dragleave', (event) => {
        if (!event.relatedTarget) document.body.classList.remove('dragging');
    });
    document.addEventListener('drop', (event) => {
        event.preventDefault();
        document.body.classList.remove('dragging');
        const file = droppedFile(event.dataTransfer);
        if (file) start(file);
    });

    // The CONC choice is the user's, kept in the browser from one visit to the next.
    try {
        $('conc').checked = (localStorage.getItem(concKey) ??
                             localStorage.getItem(earlierConcKey)) === 'true';
        $('conc').addEventListener('change', () => {
            localStorage.setItem(concKey, String($('conc').checked));
        });
    } catch (error) {
        // A browser that keeps nothing for pages opened from a file: the box starts unchecked.
    }

    spare = startWorker();
})();
