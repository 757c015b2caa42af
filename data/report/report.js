// The club's page without any library: the search box and the sortable
// headers of the ratings, and stepping through a game's positions.
"use strict";

function cellKey(row, column) {
  const cell = row.cells[column];
  const key = cell.dataset.key !== undefined ? cell.dataset.key : cell.textContent.trim();
  const number = Number(key);
  return key !== "" && !Number.isNaN(number) ? number : key;
}

function sortBy(table, header) {
  const column = header.cellIndex;
  const ascending = header.getAttribute("aria-sort") !== "ascending";
  for (const th of table.tHead.rows[0].cells) th.removeAttribute("aria-sort");
  header.setAttribute("aria-sort", ascending ? "ascending" : "descending");
  const body = table.tBodies[0];
  const rows = Array.from(body.rows);
  rows.sort((a, b) => {
    const x = cellKey(a, column), y = cellKey(b, column);
    const order = typeof x === "number" && typeof y === "number" ? x - y : String(x).localeCompare(String(y), "ru");
    return ascending ? order : -order;
  });
  for (const row of rows) body.appendChild(row);
}

function setUpTable(table) {
  for (const th of table.querySelectorAll("th[data-sort]")) {
    th.tabIndex = 0;
    th.addEventListener("click", () => sortBy(table, th));
    th.addEventListener("keydown", (e) => { if (e.key === "Enter") sortBy(table, th); });
  }
  const search = document.querySelector("input[data-filter='" + table.id + "']");
  if (!search) return;
  search.addEventListener("input", () => {
    const text = search.value.trim().toLocaleLowerCase("ru");
    for (const row of table.tBodies[0].rows) {
      const name = row.dataset.name.toLocaleLowerCase("ru");
      row.hidden = text !== "" && !name.includes(text);
    }
  });
}

// The board of a game: checkers drawn again from the position of each step.
const svgNs = "http://www.w3.org/2000/svg";

function drawCheckers(layer, cells, geometry) {
  while (layer.firstChild) layer.removeChild(layer.firstChild);
  for (let k = 1; k <= 26; ++k) {
    const count = cells[k - 1];
    if (count === 0) continue;
    const spot = geometry(k, Math.abs(count));
    for (const [x, y] of spot.places) {
      const c = document.createElementNS(svgNs, "circle");
      c.setAttribute("cx", x); c.setAttribute("cy", y); c.setAttribute("r", 9);
      c.setAttribute("class", count > 0 ? "white" : "black");
      layer.appendChild(c);
    }
    if (spot.label) {
      const t = document.createElementNS(svgNs, "text");
      t.setAttribute("x", spot.label[0]); t.setAttribute("y", spot.label[1]);
      t.textContent = String(Math.abs(count));
      layer.appendChild(t);
    }
  }
}

// The same places as the report draws: points 13-24 along the top, 12-1
// along the bottom, the bar in the middle.
function placesOf(k, count) {
  const shown = Math.min(count, 5);
  let x, y0, dy;
  if (k >= 25) { x = 140; y0 = k === 26 ? 130 : 90; dy = k === 26 ? 20 : -20; }
  else {
    const top = k >= 13;
    const column = top ? k - 13 : 12 - k;
    x = 20 + column * 20 + (column >= 6 ? 20 : 0);
    y0 = top ? 20 : 200; dy = top ? 20 : -20;
  }
  const places = [];
  for (let i = 0; i < shown; ++i) places.push([x, y0 + i * dy]);
  return { places, label: count > 5 ? [x, y0 + 2 * dy + 4] : null };
}

// One checker move as the referee applies it: cells 1-24 the points, 25
// black's bar, 26 white's, 27 off the board; a lone checker hit goes to its bar.
function applyMove(cells, side, from, to) {
  if (to !== 27) {
    const there = cells[to - 1];
    if ((cells[from - 1] > 0 && there < 0) || (cells[from - 1] < 0 && there > 0)) {
      if (there < 0) cells[24] -= 1; else cells[25] += 1;
      cells[to - 1] = 0;
    }
    cells[to - 1] += side;
  }
  cells[from - 1] -= side;
}

// A turn as the page writes it: "Чёрные 6-3: 13/7* 24/21", each side
// counting from its own home, "bar" and "off", "(2)" for a move made twice.
function movesOf(text) {
  const side = text.startsWith("Белые") ? 1 : -1;
  const cell = (word) => word === "bar" ? (side === 1 ? 26 : 25) : word === "off" ? 27
    : side === 1 ? Number(word) : 25 - Number(word);
  const moves = [];
  for (const word of text.slice(text.indexOf(":") + 1).split(" ")) {
    const move = /^(bar|\d+)\/(off|\d+)\*?(?:\((\d)\))?$/.exec(word);
    if (!move) continue; // a pass
    for (let i = 0; i < Number(move[3] || 1); ++i) moves.push([cell(move[1]), cell(move[2])]);
  }
  return { side, moves };
}

// The start, then the position after each turn of the list.
function positionsOf(game, items) {
  const cells = game.dataset.start.split(",").map(Number);
  const positions = [cells.slice()];
  for (const item of items) {
    const turn = movesOf(item.textContent);
    for (const [from, to] of turn.moves) applyMove(cells, turn.side, from, to);
    positions.push(cells.slice());
  }
  return positions;
}

// Pips still to travel: a checker counts its distance from its side's home,
// on the bar 25 (as record::PipCount counts them).
function pipsOf(cells, side) {
  let pips = 0;
  for (let k = 1; k <= 24; ++k) {
    const own = cells[k - 1] * side;
    if (own > 0) pips += own * (side === 1 ? k : 25 - k);
  }
  return pips + Math.max(cells[side === 1 ? 25 : 24] * side, 0) * 25;
}

function borneOff(cells, side) {
  let on = 0;
  for (const c of cells) on += Math.max(0, c * side);
  return 15 - on;
}

// The board's caption for the position shown, as the page writes the last one.
function captionOf(cells, step, last) {
  return (step === 0 ? "Начальная позиция" : "Позиция после хода " + step + " из " + last)
    + ". Пипсов: у белых " + pipsOf(cells, 1) + ", у чёрных " + pipsOf(cells, -1)
    + ". Сброшено фишек: белыми " + borneOff(cells, 1) + ", чёрными " + borneOff(cells, -1) + ".";
}

// The arrow keys step the board last used (a match's page has one a game).
let keyedGame = null;

function setUpGame(game) {
  // The cube's and the resignations' lines among the turns are no steps.
  const items = game.querySelectorAll("ol.moves li:not(.action)");
  const positions = positionsOf(game, items);
  const layer = game.querySelector("g.checkers");
  // The buttons are no use without the script, so the script makes them.
  const steps = document.createElement("div");
  steps.className = "steps";
  steps.innerHTML = '<button type="button" class="back">← назад</button><button type="button" '
    + 'class="forward">вперёд →</button><span class="step" aria-live="polite"></span> (стрелки влево и вправо)';
  game.querySelector("figure").after(steps);
  const status = steps.querySelector(".step");
  const caption = game.querySelector("figcaption");
  let step = positions.length - 1;
  function show(n) {
    step = Math.max(0, Math.min(positions.length - 1, n));
    drawCheckers(layer, positions[step], placesOf);
    items.forEach((li, i) => li.classList.toggle("current", i === step - 1));
    status.textContent = step === 0 ? "Начальная позиция" : "После хода " + step + " из " + (positions.length - 1);
    caption.textContent = captionOf(positions[step], step, positions.length - 1);
  }
  game.querySelector("button.back").addEventListener("click", () => show(step - 1));
  game.querySelector("button.forward").addEventListener("click", () => show(step + 1));
  const keyed = (key) => {
    if (key === "ArrowLeft") show(step - 1);
    else if (key === "ArrowRight") show(step + 1);
    else if (key === "Home") show(0);
    else if (key === "End") show(positions.length - 1);
  };
  game.addEventListener("click", () => { keyedGame = keyed; });
  if (!keyedGame) keyedGame = keyed;
}

document.addEventListener("DOMContentLoaded", () => {
  for (const table of document.querySelectorAll("table.sortable")) setUpTable(table);
  for (const game of document.querySelectorAll("[data-start]")) setUpGame(game);
  document.addEventListener("keydown", (e) => { if (keyedGame) keyedGame(e.key); });
});
