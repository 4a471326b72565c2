// The program's own pages as a user sees them: Chromium at the window's default size and a
// 150 % scale, each page in every shipped language.
'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const vm = require('node:vm');
const { pathToFileURL } = require('node:url');
const { chromium } = require('playwright-core');

const html = path.join(__dirname, '..', '..', 'html');
const artifacts = path.join(__dirname, '..', '..', 'build', 'pages-artifacts');
const rightToLeft = new Set(['ar', 'he']);
const faces = { ja: 'Yu Gothic UI', 'zh-Hans': 'Microsoft YaHei', 'zh-Hant': 'Microsoft JhengHei',
                ko: 'Malgun Gothic' };
const key = '5f0c2a9e8d7b4c31a6e9f0b2c4d6e8a1';

// A words file (or the list) as the pages get it: its one call, caught by a stand-in.
function given(file) {
  let value;
  const keep = v => { value = v; };
  vm.runInNewContext(fs.readFileSync(path.join(html, 'words', file), 'utf8'),
                     { tessel: { words: keep, languages: keep } });
  return value;
}
const languages = given('languages.js');

// The unreachable page's address as the program writes it: UTF-8, all but letters, digits and
// '.' escaped.
const escaped = text =>
  encodeURIComponent(text).replace(/[-_!~*'()]/g, c => '%' + c.charCodeAt(0).toString(16).toUpperCase());
const unreachable = (lang, reason) => pathToFileURL(path.join(html, 'unreachable.html')) +
  `?lang=${escaped(lang)}&reason=${escaped(reason)}&key=${escaped(key)}`;

let browser, page, control, userAgent, errors;
test.before(async () => {
  browser = await chromium.launch({ executablePath: '/usr/bin/chromium' });
  page = await browser.newPage({ viewport: { width: 1260, height: 786 }, deviceScaleFactor: 1.5 });
  control = await page.context().newCDPSession(page);
  userAgent = await page.evaluate(() => navigator.userAgent);
  page.on('pageerror', e => errors.push(e.message));
});
test.after(() => browser.close());

// What a user of that language sees on the page at `url`, and what a user of it should see.
async function visit(url, tag, screenshot) {
  // The system's display language, as the control reports it (Chromium: navigator.language).
  await control.send('Network.setUserAgentOverride', { userAgent, acceptLanguage: tag });
  errors = [];
  await page.goto(url);
  if (screenshot) await page.screenshot({ path: path.join(artifacts, screenshot) });
  const seen = await page.evaluate(() => {
    const root = document.documentElement, all = [...document.querySelectorAll('*')];
    const box = e => { const r = document.createRange(); r.selectNodeContents(e); return r.getBoundingClientRect(); };
    return {
      lang: root.lang, dir: root.dir, direction: getComputedStyle(root).direction, title: document.title,
      words: Object.fromEntries(all.filter(e => e.dataset.word).map(e => [e.dataset.word, e.textContent])),
      face: getComputedStyle(document.body).fontFamily.split(',')[0].replace(/"/g, '').trim(),
      overflowing: all.filter(e => e.scrollWidth > e.clientWidth).map(e => e.outerHTML.slice(0, 60)),
      outside: all.filter(e => e.closest('body') && e.textContent.trim()).filter(e => {
        const b = box(e);
        return b.left < 0 || b.top < 0 || b.right > innerWidth || b.bottom > innerHeight;
      }).map(e => e.outerHTML.slice(0, 60)),
      links: [...document.links].map(a => a.href),
      reason: (r => r && { text: r.textContent, elements: r.childElementCount, dir: r.getAttribute('dir'),
        direction: getComputedStyle(r).direction, ran: window.ran || null })(document.getElementById('reason')),
      titleKey: root.dataset.title
    };
  });
  const { links, reason, titleKey, ...shown } = seen;
  const words = given(tag + '.js'), dir = rightToLeft.has(tag) ? 'rtl' : 'ltr';
  assert.deepEqual({ ...shown, errors }, {
    lang: tag, dir, direction: dir, title: words[titleKey],
    words: Object.fromEntries(Object.keys(shown.words).map(k => [k, words[k]])),
    face: faces[tag] || 'Segoe UI', overflowing: [], outside: [], errors: []
  }, `${tag}: ${url}`);
  return { links, reason, dir };
}

test('the start page speaks the language the control reports', async () => {
  for (const tag of languages) await visit(pathToFileURL(path.join(html, 'progress.html')).href, tag);
});

test('the unreachable page speaks the language it is given and shows the reason as text', async () => {
  fs.mkdirSync(artifacts, { recursive: true });
  const markup = ' <img src=x onerror="ran=1"><b>!</b>';
  const reasonOf = (reason, dir) => ({ text: reason, elements: 0, dir, direction: dir || 'ltr', ran: null });
  for (const tag of languages) {
    const reason = given(tag + '.js').reasonRefused + markup;
    const screenshot = ['en', 'he'].includes(tag) && `unreachable-${tag}.png`;
    const { links, reason: shown, dir } = await visit(unreachable(tag, reason), tag, screenshot);
    assert.deepEqual(links, [`tessel:retry?key=${key}`, `tessel:close?key=${key}`], tag);
    assert.deepEqual(shown, reasonOf(reason, dir), tag);
  }
  // The reason's own letters set its direction, whatever the page's.
  const latin = given('en.js').reasonTimeout, hebrew = given('he.js').reasonTimeout;
  for (const [tag, reason, dir] of [['he', latin, 'ltr'], ['en', hebrew, 'rtl'], ['en', '(12029) 404 — 503', null]])
    assert.deepEqual((await visit(unreachable(tag, reason), tag)).reason, reasonOf(reason, dir), `${tag}: ${reason}`);
});
