// The phone view's one script: reads the pickers, makes the page's one JSON request and
// draws the answer with DOM nodes (text only, never HTML from data). The 30-day chart is
// an SVG drawn here; no library is loaded from anywhere.
'use strict';

const SVG = 'http://www.w3.org/2000/svg';
const MONEY = new Intl.NumberFormat('zh-CN', {minimumFractionDigits: 2, maximumFractionDigits: 4});

function el(tag, cls, text) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text !== undefined && text !== null) e.textContent = String(text);
  return e;
}

function money(v) { return v === null || v === undefined || v === '' ? '' : MONEY.format(Number(v)); }

function localDay(d) {
  const p = (n) => String(n).padStart(2, '0');
  return d.getFullYear() + '-' + p(d.getMonth() + 1) + '-' + p(d.getDate());
}

// Rows of a result set as objects keyed by column name.
function records(set) {
  return set.rows.map((r) => Object.fromEntries(set.columns.map((c, i) => [c, r[i]])));
}

async function getJson(url) {
  const res = await fetch(url, {credentials: 'same-origin', headers: {Accept: 'application/json'}});
  if (res.status === 401) { location.href = '/login'; throw new Error('请重新登录'); }
  const body = await res.json();
  if (!res.ok) throw new Error(body.error || ('请求失败 ' + res.status));
  return body;
}

// A card per row: the first text column as its title, then each captioned value.
function drawCards(out, set, columns) {
  const list = el('div', 'cards');
  const title = columns.find((c) => !c.money && set.columns.includes(c.field));
  for (const row of records(set)) {
    const card = el('div', 'card');
    if (title) card.append(el('div', 'title', row[title.field]));
    const dl = el('dl');
    for (const c of columns) {
      if (c === title || !(c.field in row) || row[c.field] === null || row[c.field] === '') continue;
      dl.append(el('dt', null, c.caption), el('dd', c.money ? 'num' : null, c.money ? money(row[c.field]) : row[c.field]));
    }
    card.append(dl);
    list.append(card);
  }
  if (!set.rows.length) list.append(el('p', 'empty', '没有数据'));
  out.append(list);
}

function drawTotals(out, set, columns) {
  const sums = columns.filter((c) => c.total && set.columns.includes(c.field));
  if (!sums.length || !set.rows.length) return;
  const box = el('div', 'totals');
  for (const c of sums) {
    const total = records(set).reduce((s, r) => s + Number(r[c.field] || 0), 0);
    const t = el('div', 'tile');
    t.append(el('span', 'cap', c.caption), el('b', null, c.money ? money(total) : total));
    box.append(t);
  }
  out.append(box);
}

function drawReport(out, data) {
  for (const set of data.sets) {
    drawTotals(out, set, data.columns);
    drawCards(out, set, data.columns);
  }
}

// A bar per day of the 30 up to `last` (days without takings stay empty), the highest
// day's amount and the first and last dates under them.
function drawChart(out, set, last) {
  const end = Date.parse(last + 'T00:00:00Z');
  const w = 360, h = 140, n = 30, bw = w / n;
  const rows = records(set);
  const top = Math.max(1, ...rows.map((r) => Number(r.je || 0)));
  const svg = document.createElementNS(SVG, 'svg');
  svg.setAttribute('viewBox', '0 0 ' + w + ' ' + (h + 18));
  svg.setAttribute('class', 'chart');
  svg.setAttribute('role', 'img');
  const text = (x, anchor, words) => {
    const t = document.createElementNS(SVG, 'text');
    t.setAttribute('x', String(x));
    t.setAttribute('y', String(h + 14));
    t.setAttribute('text-anchor', anchor);
    t.textContent = words;
    svg.append(t);
  };
  for (const r of rows) {
    const slot = n - 1 - Math.round((end - Date.parse(String(r.k).slice(0, 10) + 'T00:00:00Z')) / 86400000);
    if (slot < 0 || slot >= n) continue;
    const bh = Math.round((Number(r.je || 0) / top) * h);
    const bar = document.createElementNS(SVG, 'rect');
    bar.setAttribute('x', (slot * bw + 1).toFixed(1));
    bar.setAttribute('y', String(h - bh));
    bar.setAttribute('width', (bw - 2).toFixed(1));
    bar.setAttribute('height', String(bh));
    const tip = document.createElementNS(SVG, 'title');
    tip.textContent = r.k + ' ' + money(r.je);
    bar.append(tip);
    svg.append(bar);
  }
  text(0, 'start', new Date(end - 29 * 86400000).toISOString().slice(5, 10));
  text(w / 2, 'middle', '最高 ' + money(top));
  text(w, 'end', last.slice(5, 10));
  out.append(el('h2', null, '近30天营业额'), svg);
}

// The day sheet by section: orders and settlements as tiles, accounts as cards.
function drawToday(out, data) {
  out.append(el('h2', null, data.day + ' 营业日报'));
  const rows = data.sheet.length ? records(data.sheet[0]) : [];
  const tiles = el('div', 'totals');
  for (const r of rows.filter((x) => x.lb !== '账户' && x.lb !== '未结')) {
    const t = el('div', 'tile');
    t.append(el('span', 'cap', r.lb + ' ' + (r.mc || '')), el('b', null, money(r.je)));
    if (r.bs !== null && r.bs !== undefined) t.append(el('span', 'cap', r.bs + ' 笔'));
    tiles.append(t);
  }
  if (!rows.length) tiles.append(el('p', 'empty', '今日没有业务'));
  out.append(tiles);
  if (data.trend && data.trend.length) drawChart(out, data.trend[0], data.day);
  const accounts = rows.filter((x) => x.lb === '账户');
  if (accounts.length) {
    out.append(el('h2', null, '账户'));
    drawCards(out, {columns: Object.keys(accounts[0]), rows: accounts.map((a) => Object.values(a))},
              data.columns.filter((c) => c.field !== 'lb'));
  }
}

// Customers that owe, each opening its running balance when tapped.
function drawAging(out, data) {
  const set = data.sets[0];
  drawTotals(out, set, data.columns);
  const list = el('div', 'cards');
  for (const r of records(set)) {
    const card = el('button', 'card tap');
    card.type = 'button';
    card.append(el('div', 'title', r.kh_name), el('div', 'num big', money(r.qkje)));
    const ages = el('div', 'ages', '0-30天 ' + money(r.je30) + ' · 31-60天 ' + money(r.je60) +
                    ' · 61-90天 ' + money(r.je90) + ' · 90天以上 ' + money(r.je91));
    card.append(ages);
    const detail = el('div', 'detail');
    card.addEventListener('click', () => showBalance(detail, r.kh_id));
    list.append(card, detail);
  }
  if (!set.rows.length) list.append(el('p', 'empty', '没有应收款'));
  out.append(list);
}

async function showBalance(box, customer) {
  if (box.childElementCount) { box.replaceChildren(); return; }
  box.append(el('p', 'wait', '加载中…'));
  const q = new URLSearchParams({kh_id: customer, to: value('to') || localDay(new Date())});
  try {
    const data = await getJson('/api/balance?' + q);
    box.replaceChildren();
    const table = el('table', 'ledger');
    const head = el('tr');
    for (const c of ['日期', '摘要', '借方', '贷方', '余额']) head.append(el('th', null, c));
    table.append(head);
    for (const r of records(data.sets[0])) {
      const tr = el('tr');
      tr.append(el('td', null, String(r.rq || '').slice(0, 10)), el('td', null, (r.lx || '') + ' ' + (r.billno || '')),
                el('td', 'num', money(r.jf)), el('td', 'num', money(r.df)), el('td', 'num', money(r.ye)));
      table.append(tr);
    }
    box.append(table);
  } catch (e) {
    box.replaceChildren(el('p', 'error', e.message));
  }
}

const PAGES = {
  today: {fields: ['store', 'day'], draw: drawToday},
  wip: {fields: ['store', 'to'], draw: drawReport},
  receivables: {fields: ['to'], draw: drawAging},
  staff: {fields: ['store', 'from', 'to'], draw: drawReport},
  profit: {fields: ['store', 'from', 'to'], draw: drawReport},
  onhand: {fields: ['store'], draw: drawReport},
};

function value(field) {
  const box = document.getElementById(field);
  return box ? box.value : '';
}

async function load(name) {
  const page = PAGES[name];
  const out = document.getElementById('out');
  const q = new URLSearchParams();
  for (const f of page.fields) if (value(f)) q.set(f, value(f));
  out.replaceChildren(el('p', 'wait', '加载中…'));
  try {
    const data = await getJson('/api/' + name + '?' + q);
    out.replaceChildren();
    page.draw(out, data);
  } catch (e) {
    out.replaceChildren(el('p', 'error', e.message));
  }
}

document.addEventListener('DOMContentLoaded', () => {
  const name = document.body.dataset.page;
  const page = PAGES[name];
  if (!page) return;
  const now = new Date();
  const first = new Date(now.getFullYear(), now.getMonth(), 1);
  // The address may name the dates and store (a bookmark, a shared link).
  const asked = new URLSearchParams(location.search);
  const defaults = {from: localDay(first), to: localDay(now), day: localDay(now)};
  for (const label of document.querySelectorAll('.pick')) {
    const field = label.dataset.field;
    if (!page.fields.includes(field)) { label.hidden = true; continue; }
    const box = document.getElementById(field);
    if (asked.get(field)) box.value = asked.get(field);
    if (!box.value && defaults[field]) box.value = defaults[field];
    box.addEventListener('change', () => load(name));
  }
  load(name);
});
