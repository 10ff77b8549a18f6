#!/usr/bin/env node
// The pages' scripts must run in the system's browser control on Windows,
// whose engine knows ECMAScript 5 and the DOM of its day. This check parses
// every script as an ECMAScript 5 parser does (no arrow functions, let,
// const, template strings, classes...) and then looks for the later
// built-in objects and DOM methods that such an engine lacks, since a
// parser alone lets `fetch(...).then(...)` through.
//
//   node es5_check.js --program build/bin/Ravlin --pages htm
//       starts Ravlin, and checks the bridge script and every page of
//       every language as the page server sends them
//   node es5_check.js FILE...
//       checks script files and the inline scripts of HTML files

'use strict';

const acorn = require('acorn');
const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');

// Names that an ES5 engine without later additions does not have: used as
// a global (fetch(...)) or as a property (el.closest(...)), they fail at
// run time there. Kept to names that mean nothing else in our scripts.
const LATER_GLOBALS = new Set([
  'fetch', 'Promise', 'Symbol', 'Proxy', 'Reflect', 'WeakRef', 'URLSearchParams', 'AbortController',
  'IntersectionObserver', 'ResizeObserver', 'customElements', 'requestIdleCallback', 'structuredClone',
  'queueMicrotask', 'globalThis',
]);
const LATER_PROPERTIES = new Set([
  'replaceWith', 'closest', 'matches', 'prepend', 'append', 'replaceChildren', 'toggleAttribute',
  'includes', 'startsWith', 'endsWith', 'padStart', 'padEnd', 'repeat', 'trimStart', 'trimEnd',
  'findIndex', 'findLast', 'flat', 'flatMap', 'then', 'finally', 'requestSubmit', 'reportValidity',
]);
// Later functions of the built-in objects, named with their object.
const LATER_STATICS = new Set([
  'Object.assign', 'Object.entries', 'Object.values', 'Object.fromEntries', 'Array.from', 'Array.of',
  'Number.isInteger', 'Number.isNaN', 'String.raw',
]);

function lineColumn(source, offset) {
  const before = source.slice(0, offset).split('\n');
  return { line: before.length, column: before[before.length - 1].length + 1 };
}

// Every node of the tree, depth first.
function walk(node, visit) {
  if (!node || typeof node.type !== 'string') return;
  visit(node);
  for (const key of Object.keys(node)) {
    const value = node[key];
    if (Array.isArray(value)) value.forEach((child) => walk(child, visit));
    else if (value && typeof value === 'object' && typeof value.type === 'string') walk(value, visit);
  }
}

// Findings in one script: [{line, column, message}], empty when it is fine.
// `firstLine` is the script's first line in the file it came from.
function checkScript(source, firstLine = 1) {
  const at = (loc) => ({ line: loc.line + firstLine - 1, column: loc.column });
  let tree;
  try {
    tree = acorn.parse(source, { ecmaVersion: 5, sourceType: 'script', locations: true });
  } catch (error) {
    const place = error.loc ? { line: error.loc.line, column: error.loc.column + 1 } : lineColumn(source, error.pos || 0);
    return [{ ...at(place), message: `not ECMAScript 5: ${error.message.replace(/ \(\d+:\d+\)$/, '')}` }];
  }
  const findings = [];
  walk(tree, (node) => {
    if (node.type === 'Identifier' && LATER_GLOBALS.has(node.name)) {
      findings.push({ ...at(node.loc.start), message: `${node.name} is not in an ECMAScript 5 browser` });
    }
    if (node.type === 'MemberExpression' && !node.computed) {
      const name = node.property.name;
      const whole = node.object.type === 'Identifier' ? `${node.object.name}.${name}` : '';
      if (LATER_PROPERTIES.has(name) || LATER_STATICS.has(whole)) {
        findings.push({ ...at(node.property.loc.start), message: `${whole || '.' + name} is not in an ECMAScript 5 browser` });
      }
    }
  });
  return findings;
}

// The inline scripts of an HTML page (those without src), with the line
// each starts on.
function inlineScripts(html) {
  const scripts = [];
  const pattern = /<script\b([^>]*)>([\s\S]*?)<\/script\s*>/gi;
  let match;
  while ((match = pattern.exec(html)) !== null) {
    if (/\bsrc\s*=/i.test(match[1])) continue;
    const type = /\btype\s*=\s*["']?([^"'\s>]+)/i.exec(match[1]);
    if (type && !/javascript|ecmascript/i.test(type[1])) continue;
    const bodyStart = match.index + match[0].indexOf('>') + 1;
    scripts.push({ source: match[2], firstLine: lineColumn(html, bodyStart).line });
  }
  return scripts;
}

function checkHtml(html) {
  return inlineScripts(html).flatMap((s) => checkScript(s.source, s.firstLine));
}

function report(name, findings) {
  for (const f of findings) console.log(`${name}:${f.line}:${f.column}: ${f.message}`);
  return findings.length;
}

function checkFiles(files) {
  let count = 0;
  for (const file of files) {
    const text = fs.readFileSync(file, 'utf8');
    count += report(file, /\.html?$/i.test(file) ? checkHtml(text) : checkScript(text));
  }
  return count;
}

// Starts the program on the default machine and reads the address it
// prints: "Ravlin: open http://127.0.0.1:PORT/?token=TOKEN".
function startProgram(program) {
  const work = fs.mkdtempSync(path.join(require('os').tmpdir(), 'ravlin-es5-'));
  const env = { ...process.env, RAVLIN_MACHINE: 'default', RAVLIN_BROWSER: 'none' };
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  const child = childProcess.spawn(program, [], { cwd: work, env, stdio: ['ignore', 'pipe', 'inherit'] });
  return new Promise((resolve, reject) => {
    let out = '';
    const timer = setTimeout(() => reject(new Error('Ravlin printed no address within 30 s')), 30000);
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const match = /(http:\/\/127\.0\.0\.1:\d+)\/\?token=(\w+)/.exec(out);
      if (match) {
        clearTimeout(timer);
        resolve({ child, work, base: match[1], token: match[2] });
      }
    });
    child.on('exit', (code) => reject(new Error(`Ravlin ended (${code}) before it printed its address`)));
  });
}

async function get(run, address) {
  const answer = await fetch(run.base + address, { headers: { 'X-Ravlin-Token': run.token } });
  if (answer.status !== 200) throw new Error(`${address}: HTTP ${answer.status}`);
  return answer.text();
}

async function checkServed(program, pagesFolder) {
  const run = await startProgram(program);
  let count = 0, pages = 0;
  try {
    count += report('/bridge/bridge.js', checkScript(await get(run, '/bridge/bridge.js')));
    for (const folder of fs.readdirSync(pagesFolder).filter((f) => /^Lang[0-9a-f]{4}$/i.test(f)).sort()) {
      for (const file of fs.readdirSync(path.join(pagesFolder, folder)).filter((f) => /\.htm$/i.test(f)).sort()) {
        const address = `/${folder}/${file}`;
        const html = await get(run, address);
        if (!html.includes(await get(run, '/bridge/bridge.js'))) {
          console.log(`${address}: the page was served without the bridge script`);
          count++;
        }
        count += report(address, checkHtml(html));
        pages++;
      }
    }
  } finally {
    run.child.kill('SIGTERM');
    fs.rmSync(run.work, { recursive: true, force: true });
  }
  if (pages === 0) {
    console.log(`${pagesFolder}: no pages found`);
    count++;
  }
  console.log(`checked the bridge script and the inline scripts of ${pages} pages as served`);
  return count;
}

async function main(args) {
  let count;
  const program = args.indexOf('--program');
  if (program >= 0) {
    const pages = args.indexOf('--pages');
    count = await checkServed(path.resolve(args[program + 1]), pages >= 0 ? args[pages + 1] : 'htm');
  } else {
    count = checkFiles(args);
  }
  console.log(count === 0 ? 'no findings' : `${count} finding(s)`);
  return count === 0 ? 0 : 1;
}

module.exports = { checkScript, checkHtml, inlineScripts };

if (require.main === module) {
  main(process.argv.slice(2)).then((code) => process.exit(code), (error) => {
    console.error(error.message);
    process.exit(2);
  });
}
