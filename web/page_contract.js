// What the page's engine and its host say to each other, written once: the engine's entries, the
// methods it calls on its host (the object Module.brelinHost) and the facts it tells it, each
// with what it is. Both sides follow this file. The build makes the C++ side of it
// (web/page_contract_cpp.js): the entries' declarations, the host's methods as functions and the
// facts as an enum, so that the engine can neither call a method nor tell a fact that is not
// here. The worker (web/worker.js, after which web/assemble.js puts this file) and the Node host
// (tests/web/node_host.js) call the entries, check their host and keep the facts through it; the
// assembly of the page refuses a script that reads a fact not listed here.
//
// Kinds of arguments and results: text (a string), flag (true or false), number (a double,
// exact up to 2^53), int, bool, bytes (a Uint8Array over the engine's memory, valid during the
// call only: the host copies what it keeps), buffer (the same, for the host to fill), fact (the
// key of a fact below).
'use strict';

const pageContract = (() => {
    const entries = {
        brelin_texts: {args: [], does: 'tells the facts of the page\'s texts (told: texts)'},
        brelin_run: {
            args: ['text inputName', 'flag conc', 'flag json'],
            does: 'one run on the host\'s input, named inputName; json: the JSON report told too',
        },
    };

    // Each one's failure is a result, never a JavaScript exception: the engine turns it into
    // the run's error in French.
    const host = {
        inputSize: {returns: 'number', args: [],
                    does: 'the input\'s size in bytes, or -1 when it cannot be known'},
        read: {returns: 'number', args: ['number offset', 'buffer slice'],
               does: 'fills slice from the input at offset: the bytes read (0 at its end), or -1'},
        outputOpen: {returns: 'int', args: ['text name'],
                     does: 'a new output file to be named name: its id, or -1 when refused'},
        outputWrite: {returns: 'bool', args: ['int id', 'bytes part'],
                      does: 'adds part to the end of output id: false when refused'},
        outputCommit: {returns: 'bool', args: ['int id'],
                       does: 'output id is whole and is the run\'s file: false when it cannot be'},
        outputDiscard: {returns: 'void', args: ['int id'],
                        does: 'output id, not committed, is dropped with its bytes'},
        tell: {returns: 'void', args: ['fact key', 'bytes value'],
               does: 'a fact, below: UTF-8 text, or bytes where the fact says so'},
        progress: {returns: 'void', args: ['int percent'],
                   does: 'how far the phase under way is, 0 to 100, once per whole percent'},
    };

    // told: texts (by brelin_texts), start (by brelin_run before its work, for a run that would
    // end without its own words), live (as the run goes: a host passes them on at once) or end
    // (at the run's end). list: told once per item, kept in order; bytes: kept as told.
    const facts = {
        version: {told: 'texts', does: 'the program\'s name and version'},
        stopped: {told: 'texts', does: 'the state of a run the user stopped'},
        attention: {told: 'texts', does: 'the title over a failure'},
        failed: {told: 'texts', does: 'the state of a failed run'},
        noticeTitle: {told: 'texts', does: 'the title of the notice'},
        sizeLimit: {told: 'texts', does: 'the largest input the page takes, in Mo'},
        output: {told: 'start', does: 'the sorted file\'s name (NAME-trie.ged)'},
        outOfMemory: {told: 'start', does: 'the failure of a run that the memory ran out of'},
        unexpected: {told: 'start', does: 'the failure of a run a fault ended, less its detail'},
        phase: {told: 'live', does: '"reading" or "writing": the phase begun, its progress at 0'},
        measure: {told: 'live', does: 'the input\'s lines or size, told again at the end'},
        state: {told: 'end', does: 'the run ended: done or failed'},
        elapsed: {told: 'end', does: 'how long a completed run took'},
        error: {told: 'end', does: 'why the run failed, nothing written'},
        noticeIntro: {told: 'end', does: 'the line over the notice, when it has lines'},
        notice: {told: 'end', list: true, does: 'one thing the user should know, per line'},
        nothingToNote: {told: 'end', does: 'the notice of a completed run with nothing in it'},
        concAdvice: {told: 'end',
                     does: 'after lines were cut outside the CONC mode: how the box keeps them'},
        report: {told: 'end', does: 'the whole report of a completed run'},
        reportName: {told: 'end', does: 'the report\'s file name (NAME-rapport.txt)'},
        json: {told: 'end', does: 'the report in JSON as brelin-cli --json prints it, when asked'},
        logName: {told: 'end', does: 'the log\'s file name (NAME-journal.log), when there is one'},
        log: {told: 'end', bytes: true, does: 'the log\'s bytes (Windows-1252)'},
    };

    const kindOf = (arg) => arg.split(' ')[0];
    const nameOf = (arg) => arg.split(' ')[1];

    // Calls the engine's entry name with args by name ({inputName, conc, json}).
    function enter(engine, name, args = {}) {
        const entry = entries[name];
        const names = entry.args.map(nameOf);
        const wrong = Object.keys(args).filter((given) => !names.includes(given));
        const missing = names.filter((wanted) => !(wanted in args));
        if (wrong.length || missing.length) {
            throw new Error(`${name}: unknown [${wrong}], missing [${missing}]`);
        }
        const types = entry.args.map((arg) => (kindOf(arg) === 'text' ? 'string' : 'number'));
        const values = entry.args.map((arg) => {
            const value = args[nameOf(arg)];
            return kindOf(arg) === 'flag' ? Number(Boolean(value)) : value;
        });
        engine.ccall(name, null, types, values);
    }

    // candidate, when it has every method of the host and no other.
    function checkedHost(candidate) {
        const missing = Object.keys(host).filter((name) => typeof candidate[name] !== 'function');
        const unknown = Object.keys(candidate).filter((name) => !(name in host));
        if (missing.length || unknown.length) {
            throw new Error(`host: missing [${missing}], unknown [${unknown}]`);
        }
        return candidate;
    }

    // Keeps into kept the fact told as key, and returns its value: a text decoded, bytes copied,
    // a list's items in order.
    const decoder = new TextDecoder();
    function keep(kept, key, bytes) {
        const fact = facts[key];
        if (!fact) throw new Error(`unknown fact ${key}`);
        const value = fact.bytes ? bytes.slice() : decoder.decode(bytes);
        if (fact.list) (kept[key] = kept[key] || []).push(value);
        else kept[key] = value;
        return value;
    }

    return {entries, host, facts, enter, checkedHost, keep};
})();

if (typeof module === 'object') module.exports = pageContract;
