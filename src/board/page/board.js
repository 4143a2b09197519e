// The bench's board: asks the station for its state a few times a second and draws it. Every
// text from the station (file and port names, a module's reply quoted in a failure) goes into the
// page as text, never as markup.
'use strict';

// Often enough that a tile changes within half a second of the module it shows.
const POLL_MS = 250;
const HASH_SHOWN = 12;
const CLOCK = [11, 19]; // "HH:MM:SS" within an ISO 8601 time
const DAY_AND_CLOCK = [0, 19];
const PERCENT = 100;
const YIELD_DIGITS = 1;
const NONE = '\u2013';

const STATE_WORDS = {
  waiting: 'waiting',
  comparing: 'comparing',
  programming: 'programming',
  pass: 'PASS',
  fail: 'FAIL',
  back: 'back, already programmed',
  trouble: 'port trouble',
};
const NO_DEVICE = 'no such device';
const READING_FIRST = 'reading the module first';
const NOT_AGAIN = 'not written, not counted again';
const VERIFIED = 'all %1 bytes read back the same';
const ALREADY_HELD = 'already held the file, nothing written';
const NOT_LOGGED = 'NOT LOGGED: ';
const LAST_MODULE = 'last module: %1 at %2';
const COUNTS = '%1 passed \u00b7 %2 failed';
const LOG_FAILED = 'The log could not be written (%1): no new module is taken.';
const NO_CONTACT = 'No contact with the station since %1; this is what it showed then.';
const NO_CONTACT_YET = 'No contact with the station.';
const TITLE = '%1 passed, %2 failed \u2013 %3';

let lastTag = null;
let lastContact = null;
const tiles = [];

function words(text, ...values) {
  return values.reduce((result, value, i) => result.replace(`%${i + 1}`, value), text);
}

function clock(time, part = CLOCK) {
  return time ? time.slice(part[0], part[1]).replace('T', ' ') : NONE;
}

function setText(id, text) {
  document.getElementById(id).textContent = text;
}

function resultWord(record) {
  return record.result === 'pass' ? STATE_WORDS.pass : STATE_WORDS.fail;
}

// What a finished module's line says besides PASS or FAIL.
function recordDetail(record, bytes) {
  const detail = record.result === 'pass'
    ? (record.written ? words(VERIFIED, bytes) : ALREADY_HELD)
    : record.detail;
  return record.logged === false ? NOT_LOGGED + detail : detail;
}

function tileDetail(port, bytes) {
  const last = port.last;
  switch (port.state) {
    case 'comparing': return READING_FIRST;
    case 'pass':
    case 'fail': return recordDetail(last, bytes);
    case 'trouble': return port.reason;
    case 'back': return NOT_AGAIN;
    case 'waiting':
      if (port.fault === 'missing') return NO_DEVICE;
      return last && last.result ? words(LAST_MODULE, resultWord(last), clock(last.time)) : '';
    default: return '';
  }
}

function tile(index) {
  if (!tiles[index]) {
    const copy = document.getElementById('tile').content.firstElementChild.cloneNode(true);
    document.getElementById('tiles').appendChild(copy);
    tiles[index] = copy;
  }
  return tiles[index];
}

function drawTile(element, port, bytes) {
  const part = (name) => element.querySelector('.' + name);
  element.className = 'tile ' + port.state;
  part('port').textContent = port.port;
  part('device').textContent = port.device === port.port ? '' : port.device;
  const busy = port.state === 'programming' || port.state === 'comparing';
  part('state').textContent = STATE_WORDS[port.state] + (busy ? ` ${port.done}/${bytes}` : '');
  const bar = element.querySelector('progress');
  bar.hidden = !busy;
  bar.max = bytes;
  bar.value = port.done;
  const detail = tileDetail(port, bytes);
  part('detail').textContent = detail;
  part('detail').title = detail;
  part('counts').textContent = words(COUNTS, port.passed, port.failed);
}

function drawRecent(records, bytes) {
  const rows = records.map((record) => {
    const row = document.createElement('tr');
    row.className = record.result;
    for (const text of [clock(record.time), record.port, resultWord(record),
      recordDetail(record, bytes)]) {
      row.insertCell().textContent = text;
    }
    return row;
  });
  document.getElementById('recent').replaceChildren(...rows);
}

function draw(status) {
  setText('file', status.file);
  setText('sha256', status.sha256.slice(0, HASH_SHOWN));
  setText('log', status.log);
  setText('started', clock(status.started, DAY_AND_CLOCK));
  setText('passed', status.passed);
  setText('failed', status.failed);
  const done = status.passed + status.failed;
  setText('yield', done ? `${(PERCENT * status.passed / done).toFixed(YIELD_DIGITS)} %` : NONE);
  const logError = document.getElementById('log-error');
  logError.hidden = status.log_error === null;
  logError.textContent = status.log_error === null ? '' : words(LOG_FAILED, status.log_error);
  status.ports.forEach((port, index) => drawTile(tile(index), port, status.bytes));
  drawRecent(status.recent, status.bytes);
  document.title = words(TITLE, status.passed, status.failed, status.file);
}

function contact(reached) {
  const banner = document.getElementById('contact');
  if (reached) lastContact = new Date();
  document.body.classList.toggle('stale', !reached);
  banner.hidden = reached;
  if (!reached) {
    banner.textContent = lastContact
      ? words(NO_CONTACT, lastContact.toLocaleTimeString()) : NO_CONTACT_YET;
  }
}

async function poll() {
  try {
    // Asked again each time; an unchanged state comes back as a short "not modified".
    const response = await fetch('status.json', { cache: 'no-cache' });
    if (!response.ok) throw new Error(response.statusText);
    const tag = response.headers.get('ETag');
    if (tag === null || tag !== lastTag) {
      draw(await response.json());
      lastTag = tag;
    }
    contact(true);
  } catch (error) {
    contact(false);
  }
  setTimeout(poll, POLL_MS);
}

poll();
