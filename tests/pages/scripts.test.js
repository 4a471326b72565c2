// The pages' scripts as the browser control's engine takes them: IE's, which reads
// ECMAScript 5 and has IE11's DOM at best (the pages ask for IE=edge).
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const acorn = require('acorn');

const html = path.join(__dirname, '..', '..', 'html');

// Every script of the pages: each .js file, and each inline <script> of a page with the line it starts on.
const scripts = [];
for (const folder of ['', 'words']) {
  for (const file of fs.readdirSync(path.join(html, folder)).filter(f => /\.(js|html)$/.test(f)).sort()) {
    const name = path.join(folder, file), text = fs.readFileSync(path.join(html, name), 'utf8');
    if (file.endsWith('.js')) scripts.push({ name, text, line: 1 });
    if (file.endsWith('.html'))
      for (const m of text.matchAll(/<script(?![^>]*\ssrc=)[^>]*>([\s\S]*?)<\/script>/g))
        scripts.push({ name, text: m[1], line: text.slice(0, m.index).split('\n').length });
  }
}
const at = (script, loc) => `${script.name}:${script.line + loc.line - 1}:${loc.column + 1}`;

test('every script of the pages is ECMAScript 5', () => {
  assert.ok(scripts.some(s => s.name.endsWith('.html')) && scripts.some(s => s.name === 'pages.js'));
  for (const script of scripts) {
    try {
      acorn.parse(script.text, { ecmaVersion: 5, locations: true });
    } catch (e) {
      assert.fail(`${at(script, e.loc)}: ${e.message.replace(/ \(\d+:\d+\)$/, '')}: ` +
                  script.text.split('\n')[e.loc.line - 1].trim());
    }
  }
});

// IE11 has none of these: as globals, or as members read off anything.
const absentGlobals = new Set(['fetch', 'Promise', 'Symbol', 'Proxy', 'Reflect', 'URLSearchParams', 'globalThis']);
const absentMembers = new Set(['closest', 'matches', 'includes', 'startsWith', 'endsWith', 'repeat', 'padStart',
                               'padEnd', 'find', 'findIndex', 'assign', 'entries', 'append', 'prepend', 'replaceWith']);

function* nodes(node, parent) {
  yield [node, parent];
  for (const value of Object.values(node))
    for (const child of [].concat(value)) if (child && typeof child.type === 'string') yield* nodes(child, node);
}

test('no script of the pages uses what IE11 lacks', () => {
  const found = [];
  for (const script of scripts) {
    for (const [node, parent] of nodes(acorn.parse(script.text, { ecmaVersion: 'latest', locations: true }))) {
      const member = node.type === 'MemberExpression' && (node.computed ? node.property.value : node.property.name);
      const name = node.type === 'Identifier' && !(parent.type === 'Property' && parent.key === node) &&
                   !(parent.type === 'MemberExpression' && parent.property === node && !parent.computed) && node.name;
      if (absentMembers.has(member)) found.push(`${at(script, node.property.loc.start)}: .${member}`);
      if (absentGlobals.has(name)) found.push(`${at(script, node.loc.start)}: ${name}`);
      // classList.toggle's second argument ("force") is ignored there.
      if (node.type === 'CallExpression' && node.callee.type === 'MemberExpression' &&
          node.callee.property.name === 'toggle' && node.arguments.length > 1)
        found.push(`${at(script, node.loc.start)}: toggle with a second argument`);
    }
  }
  assert.deepEqual(found, []);
});
