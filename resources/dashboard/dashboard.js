// Brennic dashboard: current values, pumps, heat and a live chart from the station's API.
// Plain browser JavaScript; the only library is uPlot, served by the program itself.
'use strict';

const token = new URLSearchParams(location.search).get('token');
const withToken = (path) => token ? path + (path.includes('?') ? '&' : '?') + 'token=' + encodeURIComponent(token) : path;

const TEMPS = ['collector', 'storage', 'aux1', 'aux2', 'aux3', 'aux4', 'waux1', 'waux2', 'waux3', 'waux4'];
const COLOURS = ['#d62728', '#1f77b4', '#2ca02c', '#9467bd', '#8c564b', '#e377c2', '#ff7f0e', '#17becf', '#bcbd22', '#7f7f7f'];
const CHART_KEYS = TEMPS.concat(['flow']);

const prefs = {
  temp: localStorage.getItem('brennic.temp') === 'C' ? 'C' : 'F',
  heat: localStorage.getItem('brennic.heat') === 'kWh' ? 'kWh' : 'BTU',
};

let current = null;     // the last /api/v1/current answer or "sample" event
let history = [];       // [{epoch, key: °F ...}], oldest first
let chart = null;
let following = true;   // the chart's window follows the newest sample

const $ = (id) => document.getElementById(id);

function temp(f) {
  if (f === null || f === undefined) return null;
  return prefs.temp === 'C' ? (f - 32) * 5 / 9 : f;
}
function tempText(f) {
  const v = temp(f);
  return v === null ? 'Open' : v.toFixed(1);
}
function heatText(btu) {
  return prefs.heat === 'kWh' ? (btu / 3412.14163).toFixed(2) : Math.round(btu).toLocaleString();
}
function rateText(btuPerHour) {
  return prefs.heat === 'kWh' ? (btuPerHour / 3412.14163).toFixed(2) + ' kW' : Math.round(btuPerHour).toLocaleString() + ' BTU/h';
}
function duration(s) {
  const h = Math.floor(s / 3600), m = Math.floor((s % 3600) / 60);
  return h + ' h ' + String(m).padStart(2, '0') + ' min';
}

function card(id, title) {
  let el = $(id);
  if (!el) {
    el = document.createElement('div');
    el.className = 'card';
    el.id = id;
    el.innerHTML = '<h2></h2><div class="value"></div><div class="detail"></div>';
    el.querySelector('h2').textContent = title;
    $('values').appendChild(el);
  }
  return el;
}

function setValue(el, text, unit) {
  const v = el.querySelector('.value');
  v.textContent = text;
  if (unit) {
    const u = document.createElement('span');
    u.className = 'unit';
    u.textContent = unit;
    v.appendChild(u);
  }
}

function renderCurrent() {
  if (!current) return;
  $('site').textContent = current.site ? 'Brennic – ' + current.site : 'Brennic';
  renderLinks(current.links);
  const sample = current.sample;
  const tUnit = prefs.temp === 'C' ? '°C' : '°F';
  if (sample) {
    for (const key of TEMPS) {
      const c = sample.channels[key];
      // Channels that never had a reading stay hidden (an installation uses a few of them).
      if (c.value === null && !$('value-' + key)) continue;
      const el = card('value-' + key, c.label || c.name || key);
      setValue(el, tempText(c.value), c.value === null ? '' : tUnit);
      el.dataset.fahrenheit = c.value === null ? '' : String(c.value);
      el.dataset.epoch = String(sample.epoch);
    }
    const flow = sample.channels.flow.value;
    setValue(card('value-flow', 'Flow'), flow === null ? '–' : flow.toFixed(1), flow === null ? '' : 'GPM');
    const rate = current.heat.collector.rateBtuPerHour;
    setValue(card('value-rate', 'Solar heat rate'), rateText(rate).split(' ')[0], rateText(rate).split(' ')[1]);
    $('age').dataset.epoch = String(sample.epoch);
  }
  for (const [loop, id] of [['collector', 'pump-collector'], ['heatAssist', 'pump-heatassist']]) {
    const p = current.pumps[loop];
    const el = $(id);
    const state = el.querySelector('.state');
    state.textContent = p.running ? 'On' : 'Off';
    state.className = 'state ' + (p.running ? 'on' : 'off');
    el.querySelector('.detail').textContent = duration(p.onSeconds) + ' on, ' + p.cycles + ' cycles';
  }
  for (const [loop, id] of [['collector', 'heat-collector'], ['heatAssist', 'heat-heatassist']]) {
    const h = current.heat[loop];
    const el = $(id);
    setValue(el, heatText(h.dayBtu), prefs.heat);
    el.querySelector('.detail').textContent = 'now ' + rateText(h.rateBtuPerHour) + ', total ' + heatText(h.totalBtu) + ' ' + prefs.heat;
  }
  $('status').textContent = current.status.join('\n');
  updateAge();
}

function renderLinks(links) {
  if (!links) return;
  const serial = $('link-serial');
  serial.textContent = links.serial.testData ? 'Test data' : 'Serial';
  serial.className = 'badge ' + (links.serial.active ? 'up' : 'down');
  const ow = $('link-onewire');
  ow.className = 'badge ' + (links.oneWire.active ? 'up' : 'down');
}

function updateAge() {
  const epoch = Number($('age').dataset.epoch || 0);
  $('age').textContent = epoch ? 'last sample ' + Math.max(0, Math.round(Date.now() / 1000 - epoch)) + ' s ago' : 'no sample yet';
}

function rangeSeconds() {
  return Number($('range').value);
}

function chartData() {
  const xs = history.map((s) => s.epoch);
  const series = CHART_KEYS.map((k) => history.map((s) => (k === 'flow' ? s[k] : temp(s[k]))));
  return [xs].concat(series);
}

function visibleKeys() {
  // A series is drawn when it had a reading in the loaded history.
  return CHART_KEYS.map((k) => history.some((s) => s[k] !== null && s[k] !== undefined));
}

function buildChart() {
  const tUnit = prefs.temp === 'C' ? '°C' : '°F';
  const shown = visibleKeys();
  const names = current && current.sample ? current.sample.channels : {};
  const series = [{}].concat(CHART_KEYS.map((k, i) => ({
    label: k === 'flow' ? 'Flow (GPM)' : ((names[k] && (names[k].label || names[k].name)) || k) + ' (' + tUnit + ')',
    stroke: k === 'flow' ? '#555' : COLOURS[i % COLOURS.length],
    width: k === 'collector' ? 3 : 1.5,  // the collector leads and stays visible under others
    scale: k === 'flow' ? 'gpm' : 'temp',
    show: shown[i],
    spanGaps: false,
  })));
  const box = $('chart');
  const opts = {
    width: box.clientWidth || 800,
    height: Math.max(260, Math.min(420, window.innerHeight * 0.45)),
    series,
    scales: { x: { time: true }, temp: {}, gpm: { range: [0, null] } },
    axes: [
      {},
      { scale: 'temp', label: tUnit },
      { scale: 'gpm', side: 1, label: 'GPM', grid: { show: false } },
    ],
    cursor: { drag: { x: true, y: false } },
    hooks: {
      setSelect: [() => { following = false; }],
      draw: [(u) => {
        document.body.dataset.chartPoints = String(u.data[0].length);
      }],
    },
  };
  if (chart) chart.destroy();
  chart = new uPlot(opts, chartData(), box);
  chart.over.addEventListener('wheel', onWheel, { passive: false });
  chart.over.addEventListener('dblclick', () => { following = true; followLive(); });
  followLive();
}

function followLive() {
  if (!chart || !following || history.length === 0) return;
  const last = history[history.length - 1].epoch;
  // A history shorter than the chosen range fills the width rather than hugging the edge.
  const min = Math.max(last - rangeSeconds(), Math.min(history[0].epoch, last - 60));
  chart.setScale('x', { min, max: last });
}

function onWheel(e) {
  e.preventDefault();
  const { min, max } = chart.scales.x;
  const at = chart.posToVal(e.offsetX, 'x');
  const factor = e.deltaY < 0 ? 0.8 : 1.25;
  following = false;
  chart.setScale('x', { min: at - (at - min) * factor, max: at + (max - at) * factor });
}

function pan(direction) {
  const { min, max } = chart.scales.x;
  const shift = (max - min) / 2 * direction;
  following = false;
  chart.setScale('x', { min: min + shift, max: max + shift });
}

async function fetchJson(path) {
  const r = await fetch(withToken(path), { cache: 'no-store' });
  if (!r.ok) throw new Error(path + ': ' + r.status);
  return r.json();
}

async function loadHistory() {
  const to = Math.floor(Date.now() / 1000) + 60;
  const from = to - 86400;
  const answer = await fetchJson('/api/v1/history?from=' + from + '&to=' + to + '&channels=' + CHART_KEYS.join(','));
  history = answer.samples;
}

function addSample(sample) {
  if (!sample) return;
  const last = history.length ? history[history.length - 1].epoch : 0;
  if (sample.epoch <= last) return;
  const row = { epoch: sample.epoch };
  for (const k of CHART_KEYS) row[k] = sample.channels[k].value;
  history.push(row);
  const keepFrom = sample.epoch - 86400;
  while (history.length && history[0].epoch < keepFrom) history.shift();
  if (!chart) return;
  const shownBefore = chart.series.slice(1).map((s) => s.show);
  const shownNow = visibleKeys();
  if (shownNow.some((v, i) => v && !shownBefore[i])) {
    buildChart();
    return;
  }
  chart.setData(chartData(), false);
  if (following) followLive(); else chart.redraw(false, true);
}

// The banner of active alerts; asked again after samples, at most every 10 s.
let alertsAsked = 0;
async function refreshAlerts() {
  alertsAsked = Date.now();
  let answer;
  try {
    answer = await fetchJson('/api/v1/alerts');
  } catch (err) {
    return;  // the banner keeps what it showed
  }
  const banner = $('alerts');
  banner.replaceChildren(...answer.active.map((a) => {
    const line = document.createElement('div');
    line.textContent = '⚠ ' + a.text;
    return line;
  }));
  banner.hidden = answer.active.length === 0;
}

function connectStream() {
  const badge = $('link-stream');
  const source = new EventSource(withToken('/api/v1/stream'));
  source.addEventListener('open', () => { badge.className = 'badge up'; });
  source.addEventListener('error', () => { badge.className = 'badge down'; });
  source.addEventListener('sample', (e) => {
    current = JSON.parse(e.data);
    renderCurrent();
    addSample(current.sample);
    if (Date.now() - alertsAsked > 10000) refreshAlerts();
  });
  source.addEventListener('link', (e) => {
    if (current) current.links = JSON.parse(e.data);
    renderLinks(JSON.parse(e.data));
  });
}

function applyPrefs() {
  $('unit-temp').textContent = prefs.temp === 'C' ? '°C' : '°F';
  $('unit-heat').textContent = prefs.heat;
  renderCurrent();
  if (chart) buildChart();
}

async function start() {
  $('unit-temp').addEventListener('click', () => {
    prefs.temp = prefs.temp === 'C' ? 'F' : 'C';
    localStorage.setItem('brennic.temp', prefs.temp);
    applyPrefs();
  });
  $('unit-heat').addEventListener('click', () => {
    prefs.heat = prefs.heat === 'kWh' ? 'BTU' : 'kWh';
    localStorage.setItem('brennic.heat', prefs.heat);
    applyPrefs();
  });
  $('range').addEventListener('change', () => { following = true; followLive(); });
  $('pan-left').addEventListener('click', () => pan(-1));
  $('pan-right').addEventListener('click', () => pan(1));
  $('zoom-reset').addEventListener('click', () => { following = true; followLive(); });
  window.addEventListener('resize', () => { if (chart) chart.setSize({ width: $('chart').clientWidth, height: chart.height }); });
  setInterval(updateAge, 1000);
  applyPrefs();
  try {
    current = await fetchJson('/api/v1/current');
    renderCurrent();
    await loadHistory();
  } catch (err) {
    $('status').textContent = String(err);
  }
  buildChart();
  refreshAlerts();
  setInterval(refreshAlerts, 30000);
  connectStream();
}

start();
