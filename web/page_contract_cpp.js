// Makes the C++ side of the page's contract (web/page_contract.js) in FOLDER:
// - page_contract.h: the facts as the enum Fact, the host's methods as functions of
//   brelin::host, and the entries' declarations, which their definitions must match;
// - page_contract.cpp: those functions, each a call of the method on Module.brelinHost;
// - page_exports.json: the entries, for the link's EXPORTED_FUNCTIONS.
//
//   node page_contract_cpp.js CONTRACT_JS FOLDER
'use strict';

const fs = require('fs');
const path = require('path');

const [contractPath, folder] = process.argv.slice(2);
const contract = require(path.resolve(contractPath));
const factKeys = Object.keys(contract.facts);
const typeName = (key) => key[0].toUpperCase() + key.slice(1);

// Per kind: the C++ function's parameter, the C parameters of the call into JavaScript, the
// arguments C++ passes them, and the value the JavaScript method is given.
const kinds = {
    number: {cpp: (n) => `double ${n}`, c: (n) => [`double ${n}`], pass: (n) => [n], js: (n) => n},
    int: {cpp: (n) => `int ${n}`, c: (n) => [`int ${n}`], pass: (n) => [n], js: (n) => n},
    flag: {c: (n) => [`int ${n}`]},
    text: {
        cpp: (n) => `const std::string& ${n}`,
        c: (n) => [`const char* ${n}`],
        pass: (n) => [`${n}.c_str()`],
        js: (n) => `UTF8ToString(${n})`,
    },
    bytes: {
        cpp: (n) => `std::string_view ${n}`,
        c: (n) => [`const char* ${n}`, `size_t ${n}Size`],
        pass: (n) => [`${n}.data()`, `${n}.size()`],
        js: (n) => `HEAPU8.subarray(${n} >>> 0, (${n} >>> 0) + (${n}Size >>> 0))`,
    },
    buffer: {
        cpp: (n) => `std::span<char> ${n}`,
        c: (n) => [`char* ${n}`, `size_t ${n}Size`],
        pass: (n) => [`${n}.data()`, `${n}.size()`],
        js: (n) => `HEAPU8.subarray(${n} >>> 0, (${n} >>> 0) + (${n}Size >>> 0))`,
    },
    fact: {
        cpp: (n) => `Fact ${n}`,
        c: (n) => [`int ${n}`],
        pass: (n) => [`static_cast<int>(${n})`],
        js: (n) => `${JSON.stringify(factKeys)}[${n}]`,
    },
};
const returned = {number: 'double', int: 'int', bool: 'bool', void: 'void'};

function parameters(args, side) {
    return args.map((arg) => {
        const [kind, name] = arg.split(' ');
        if (!kinds[kind] || !kinds[kind][side]) throw new Error(`${arg}: no such ${side} kind`);
        return kinds[kind][side](name);
    }).flat();
}

const methods = Object.entries(contract.host).map(([name, method]) => {
    const type = returned[method.returns];
    if (!type) throw new Error(`${name}: no such result kind ${method.returns}`);
    return {name, type, does: method.does, args: method.args, made: `brelin_host_${name}`};
});

const made = '// Made by web/page_contract_cpp.js from web/page_contract.js';
const declared = (type, name, params, does) => `// ${does}\n${type} ${name}(${params.join(', ')});`;

const header = `${made}, which says what each one is.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace brelin {

// The facts the engine tells its host.
enum class Fact {
${factKeys.map((key) => `    ${typeName(key)},  // ${contract.facts[key].does}`).join('\n')}
};

// The host's methods.
namespace host {

${methods.map((m) => declared(m.type, m.name, parameters(m.args, 'cpp'), m.does)).join('\n')}

}  // namespace host

}  // namespace brelin

// The entries, which the host calls.
extern "C" {
${Object.entries(contract.entries)
        .map(([name, entry]) => declared('void', name, parameters(entry.args, 'c'), entry.does))
        .join('\n')}
}
`;

const source = `${made}: each method of the host is called on
// the object Module.brelinHost.
#include "page_contract.h"

#include <emscripten.h>

// clang-format off
${methods.map((m) => {
        const split = m.args.map((arg) => arg.split(' '));
        const values = split.map(([kind, name]) => kinds[kind].js(name));
        const passed = split.flatMap(([kind, name]) => kinds[kind].pass(name));
        return `EM_JS(${m.type}, ${m.made}, (${parameters(m.args, 'c').join(', ')}), {\n` +
               `    return Module.brelinHost.${m.name}(${values.join(', ')});\n});\n` +
               `${m.type} brelin::host::${m.name}(${parameters(m.args, 'cpp').join(', ')}) {\n` +
               `    return ${m.made}(${passed.join(', ')});\n}`;
    }).join('\n')}
// clang-format on
`;

const exported = JSON.stringify(Object.keys(contract.entries).map((name) => `_${name}`));

for (const [name, text] of [['page_contract.h', header], ['page_contract.cpp', source],
                            ['page_exports.json', exported]]) {
    const file = path.join(folder, name);
    fs.writeFileSync(`${file}.part`, text);
    fs.renameSync(`${file}.part`, file);
}
