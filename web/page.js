// The page around the game: the canvas at a whole-number scale, controls and taps on touch
// screens, the board for the keyboard and screen readers, the end of the game, the offline copy,
// and the benchmark mode (?bench). What the page and the game
// give each other is listed in docs/README-web.md ("The page and the game").
'use strict';

var canvas = document.getElementById('canvas');
var GAME_WIDTH = 480;
var GAME_HEIGHT = 272;

var help = document.getElementById('help');
var controls = document.getElementById('controls');
// Phones and tablets get buttons for what has no key there; a mouse-and-keyboard page has none.
var touchDevice =
    navigator.maxTouchPoints > 0 || window.matchMedia('(any-pointer: coarse)').matches;
document.body.classList.toggle('touch', touchDevice);
controls.hidden = !touchDevice;

// Where the canvas may go in a layout: the window less the line of help (below it, and as much
// above on a desktop, so the canvas stays centred) and less the controls, beside (in as few
// columns as the height takes) or below.
function stageFor(layout) {
  document.body.dataset.layout = layout.name;
  document.body.classList.toggle('narrow', !!layout.narrow);
  controls.style.setProperty('--columns', layout.columns || 1);
  var width = window.innerWidth;
  var height = window.innerHeight;
  var helpHeight = help.offsetHeight;
  controls.style.bottom = helpHeight + 'px';
  if (layout.name === 'beside') {
    return {
      width: width - controls.offsetWidth,
      height: height - helpHeight,
      fits: controlsInside(width, height - helpHeight)
    };
  }
  if (layout.name === 'below') {
    return {
      width: width,
      height: height - helpHeight - controls.offsetHeight,
      fits: controlsInside(width, height - helpHeight)
    };
  }
  return {width: width, height: height, room: height - 2 * helpHeight, fits: true};
}

// Whether every control lies wholly in the window above the line of help.
function controlsInside(width, height) {
  return Array.prototype.every.call(controls.querySelectorAll('button'), function(button) {
    var box = button.getBoundingClientRect();
    return box.left >= 0 && box.top >= 0 && box.right <= width && box.bottom <= height;
  });
}

// The largest whole number of device pixels per game pixel that fits the stage, and whether
// even one does.
function scaleFor(stage, ratio) {
  var height = stage.room === undefined ? stage.height : stage.room;
  var most = Math.floor(Math.min(stage.width * ratio / GAME_WIDTH, height * ratio / GAME_HEIGHT));
  // 2: the controls and the canvas; 1: the controls only (a window too small for the game at
  // its smallest, which keeps them usable at least).
  return {scale: Math.max(1, most), fits: stage.fits ? (most >= 1 ? 2 : 1) : 0};
}

// Each also with the controls' names on two lines, which a small window may need.
function layoutsToTry() {
  if (!touchDevice) return [{name: 'plain'}];
  var beside = [1, 2, 3].map(function(columns) {
    return {name: 'beside', columns: columns};
  });
  var below = [{name: 'below'}];
  var layouts =
      window.innerWidth >= window.innerHeight ? beside.concat(below) : below.concat(beside);
  return layouts.concat(layouts.map(function(layout) {
    return {name: layout.name, columns: layout.columns, narrow: true};
  }));
}

// Whether the line of help goes under the canvas, where the page scrolls to it, and the canvas
// takes the whole window: with a keyboard and mouse, where keeping the line in the window (under
// the canvas, and as much above) would cost the canvas a step of scale (a zoomed page wraps it
// into several lines, each as many device pixels taller) or leave it no room even at its smallest
// (best.fits below 2: a window little larger than the game). So zooming in never makes the game
// smaller, and the line never lies over it.
function helpUnder(best, stage, ratio) {
  return best.layout.name === 'plain' &&
      (best.fits < 2 || wholeWindowScale(stage, ratio) > best.scale);
}
// The largest whole scale the whole window takes; a window smaller than the game at one device
// pixel to a game pixel shrinks it to fit, whole though not crisp.
function wholeWindowScale(stage, ratio) {
  var whole = Math.min(stage.width * ratio / GAME_WIDTH, stage.height * ratio / GAME_HEIGHT);
  return Math.floor(whole) || whole;
}

// The layout where controls and canvas fit (or else the controls), then with the largest scale,
// then the one that suits the window's shape. The canvas is 480 x 272 CSS pixels, scaled and
// placed by a transform (Chromium lays out in 1/64 CSS pixel, which at 2.625 device pixels each
// gives no exact width): its size and place are whole device pixels at every device ratio, so
// every game pixel is the same whole number of them and every click lands on the pixel it shows.
function fitCanvas() {
  var ratio = window.devicePixelRatio || 1;
  var best = null;
  layoutsToTry().forEach(function(layout) {
    var fit = scaleFor(stageFor(layout), ratio);
    if (!best || fit.fits > best.fits || (fit.fits === best.fits && fit.scale > best.scale)) {
      best = {layout: layout, scale: fit.scale, fits: fit.fits};
    }
  });
  var stage = stageFor(best.layout);
  var under = helpUnder(best, stage, ratio);
  var scale = under ? wholeWindowScale(stage, ratio) : best.scale;
  var width = GAME_WIDTH * scale;
  var height = GAME_HEIGHT * scale;
  var place = {
    '--scale': scale / ratio,
    '--left': Math.max(0, Math.floor((Math.floor(stage.width * ratio) - width) / 2)) / ratio + 'px',
    '--top': Math.max(0, Math.floor((Math.floor(stage.height * ratio) - height) / 2)) / ratio + 'px'
  };
  Object.keys(place).forEach(function(name) {
    document.documentElement.style.setProperty(name, place[name]);
  });
  document.documentElement.classList.toggle('scrolls', under);
  // By its exact height, not offsetHeight's whole pixels: where it has room, the line under the
  // canvas lies just where it lies when it stays, and the page is no longer than the window.
  var underCanvas = Math.max(
      parseFloat(place['--top']) + height / ratio,
      window.innerHeight - help.getBoundingClientRect().height);
  help.style.top = under ? underCanvas + 'px' : '';
}
fitCanvas();
window.addEventListener('resize', fitCanvas);

// The game's input from the page, given to SDL as its page driver takes input (web/sdl/): the
// controls, taps and the board's cells are the same keys, wheel turns and clicks as a desktop's.
function sendKey(sym) {
  // No character to translate, no modifier held, and the key's own character where SDL gives one.
  Module._PAGE_SendKey(sym, 0, 1, 0, sym < 128 ? sym : 0);
  Module._PAGE_SendKey(sym, 0, 0, 0, 0);
}
// The wheel turned up (SDL's button 4) or down (5) where the pointer is.
function sendWheel(deltaY) {
  var button = deltaY < 0 ? 4 : 5;
  Module._PAGE_SendButton(button, 1);
  Module._PAGE_SendButton(button, 0);
}
Array.prototype.forEach.call(controls.querySelectorAll('button'), function(button) {
  button.addEventListener('click', function() {
    if (!gameRunning()) return;
    if (button.dataset.key) sendKey(Number(button.dataset.key));
    if (button.dataset.wheel) sendWheel(Number(button.dataset.wheel));
  });
});

// The game pixel under a point of the page; for a point off the canvas (the browser gives the
// canvas touches that land just beside it), the nearest one inside the window.
function gamePixel(x, y) {
  var rect = canvas.getBoundingClientRect();
  // To 1/1024 of a game pixel: a point on the line between two is the second's, whatever the
  // division's last bit.
  function along(offset, length, size) {
    var exact = Math.round(offset * size / length * 1024) / 1024;
    return Math.min(size - 1, Math.max(0, Math.floor(exact)));
  }
  return {
    x: along(x - rect.left, rect.width, GAME_WIDTH),
    y: along(y - rect.top, rect.height, GAME_HEIGHT)
  };
}

// A finger that has lifted leaves no pointer behind, but the game draws the next player's mark
// where the pointer is: it moves here, off the board, so the mark just placed shows and the one
// here says whose turn it is.
var REST = {x: 375, y: 136};

// A tap, or a cell control pressed, is the pointer moving to that spot and a left click there.
function press(at) {
  Module._PAGE_SendMotion(at.x, at.y);
  Module._PAGE_SendButton(1, 1);
}
function lift(at) {
  Module._PAGE_SendMotion(at.x, at.y);
  Module._PAGE_SendButton(1, 0);
  Module._PAGE_SendMotion(REST.x, REST.y);
}

// A touch is the page's to read: SDL's driver knows the pointer only. Only the first finger down
// counts until it lifts: a second one would click again.
var finger = null;
function fingerIn(touches) {
  for (var i = 0; i < touches.length; i++) {
    if (touches[i].identifier === finger) return touches[i];
  }
  return null;
}
function onTouch(event) {
  if (event.target !== canvas) return;
  event.preventDefault();
  if (!gameRunning()) return;
  if (event.type === 'touchstart') {
    if (finger !== null) return;
    var first = event.changedTouches[0];
    finger = first.identifier;
    press(gamePixel(first.clientX, first.clientY));
    return;
  }
  var touch = fingerIn(event.changedTouches);
  if (!touch) return;
  var at = gamePixel(touch.clientX, touch.clientY);
  if (event.type === 'touchmove') {
    Module._PAGE_SendMotion(at.x, at.y);
  } else {
    finger = null;
    lift(at);
  }
}
['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function(type) {
  canvas.addEventListener(type, onTouch, {passive: false});
});

var framesShown = 0;
function gameRunning() {
  return framesShown > 0 && document.getElementById('ended').hidden;
}

// The board for players who cannot see the canvas or use a pointer: on the playing field, the
// nine cells as a grid over it, named by place and by what the game says each holds; a grid is
// one widget to screen readers, so the arrow keys reach the page and move between cells, and
// Enter or Space presses one as a tap there would. A polite live region says what each screen
// takes, each move, whose turn it is and the outcome; the canvas's name says which screen it
// shows. A touch screen's player taps the controls, so the words name those, not keys.
var SCREEN = {none: 0, title: 1, menu: 2, field: 3, card: 4};
var NAMES = {};
NAMES[SCREEN.title] = 'Noughts and crosses: title screen';
NAMES[SCREEN.menu] = 'Menu';
NAMES[SCREEN.field] = 'Playing field';
NAMES[SCREEN.card] = 'Help card: how to play';
var SAID_ON = {};
if (touchDevice) {
  SAID_ON[SCREEN.title] = 'Title screen: tap Start to go on, or Back to end the game.';
  SAID_ON[SCREEN.menu] = 'Menu: tap Start to play, or Back to go back.';
  SAID_ON[SCREEN.field] = 'Playing field: tap a free cell to place a mark; Help shows the ' +
      'help card, Back goes back.';
  SAID_ON[SCREEN.card] = 'Help card: tap Back to go back to the board.';
} else {
  SAID_ON[SCREEN.title] = 'Title screen: press Space to go on, or Escape to end the game.';
  SAID_ON[SCREEN.menu] = 'Menu: press Space to play, or Escape to go back.';
  SAID_ON[SCREEN.field] = 'Playing field: arrow keys choose a cell, Enter or Space places a ' +
      'mark, I shows the help card, Escape goes back.';
  SAID_ON[SCREEN.card] = 'Help card: press Escape to go back to the board.';
}
var MARKS = {'-1': 'empty', '0': 'cross', '1': 'ring'};
var OUTCOMES = {'0': 'Crosses win.', '1': 'Rings win.', '2': 'A draw.'};
var CELL_SIDE = 90;
// Cells are numbered as the game numbers them, column * 3 + row; the grid goes row by row.
var ROWS = ['top', 'middle', 'bottom'];
var COLUMNS = ['left', 'centre', 'right'];
function placeOf(cell) {
  var column = Math.floor(cell / 3);
  var row = cell % 3;
  return row === 1 && column === 1 ? 'centre' : ROWS[row] + ' ' + COLUMNS[column];
}

var cellBox = document.getElementById('cells');
var said = document.getElementById('said');
var card = document.getElementById('card');
var gridCells = [];
(function() {
for (var row = 0; row < 3; row++) {
  var line = document.createElement('div');
  line.setAttribute('role', 'row');
  cellBox.appendChild(line);
  for (var column = 0; column < 3; column++) {
    var cell = document.createElement('div');
    cell.setAttribute('role', 'gridcell');
    // Only one cell is in the Tab order, so Tab leaves the board in one step.
    cell.tabIndex = -1;
    cell.dataset.cell = column * 3 + row;
    cell.style.left = column * CELL_SIDE + 'px';
    cell.style.top = row * CELL_SIDE + 'px';
    line.appendChild(cell);
    gridCells[column * 3 + row] = cell;
  }
}
})();
// The focused cell's ring lies over the canvas, which lies over the cells: shown as the cell's
// own focus would be, only where the browser would show it.
var ring = document.getElementById('ring');
cellBox.addEventListener('focusin', function(event) {
  ring.hidden = !event.target.matches(':focus-visible');
  ring.firstElementChild.style.left = event.target.style.left;
  ring.firstElementChild.style.top = event.target.style.top;
});
cellBox.addEventListener('focusout', function() {
  ring.hidden = true;
});
var shown = {screen: SCREEN.none, cells: []};
var lastCell = 0;
gridCells[lastCell].tabIndex = 0;

// Words for the live region: the same words twice are still a change it says again.
var sayAgain = false;
function say(words) {
  sayAgain = said.textContent === words;
  said.textContent = words + (sayAgain ? '\u00a0' : '');
}

function gameEnded() {
  return !document.getElementById('ended').hidden;
}

// The outcome once the game is decided, else whose move it is.
function turnSaid() {
  var outcome = OUTCOMES[Module._Outcome()];
  return outcome || (Module._RingsToMove() ? 'Rings to move.' : 'Crosses to move.');
}

function showCells(on) {
  var focused = cellBox.contains(document.activeElement);
  cellBox.hidden = !on;
  if (on && (document.activeElement === canvas || document.activeElement === document.body)) {
    gridCells[lastCell].focus();
  } else if (!on && focused) {
    canvas.focus();
  }
}

// After each frame the loop shows: what changed since the last, read from the game.
function readGame() {
  var screen = Module._ScreenShown();
  var cells = gridCells.map(function(button, cell) {
    return Module._CellHolds(cell);
  });
  cells.forEach(function(holds, cell) {
    if (holds !== shown.cells[cell]) {
      // As text, not a label: Orca in Firefox speaks a focused cell's text only.
      gridCells[cell].textContent = placeOf(cell) + ', ' + MARKS[holds];
    }
  });
  if (screen !== shown.screen) {
    canvas.setAttribute('aria-label', NAMES[screen] || 'Noughts and crosses');
    card.hidden = screen !== SCREEN.card;
    // The card's words describe the canvas only while it shows the card: hidden, all of them
    // would be read, keys and taps alike.
    if (card.hidden) {
      canvas.removeAttribute('aria-describedby');
    } else {
      canvas.setAttribute('aria-describedby', 'card');
    }
    showCells(screen === SCREEN.field);
    say((SAID_ON[screen] || '') + (screen === SCREEN.field ? ' ' + turnSaid() : ''));
  } else if (screen === SCREEN.field) {
    cells.forEach(function(holds, cell) {
      if (holds !== shown.cells[cell] && holds !== -1) {
        say((holds ? 'Ring in ' : 'Cross in ') + placeOf(cell) + '. ' + turnSaid());
      }
    });
  }
  shown = {screen: screen, cells: cells};
}

var ARROWS = {ArrowUp: [0, -1], ArrowDown: [0, 1], ArrowLeft: [-1, 0], ArrowRight: [1, 0]};
function moveFocus(cell, step) {
  var column = Math.min(2, Math.max(0, Math.floor(cell / 3) + step[0]));
  var row = Math.min(2, Math.max(0, cell % 3 + step[1]));
  toCell(column * 3 + row);
}
function toCell(cell) {
  gridCells[lastCell].tabIndex = -1;
  lastCell = cell;
  gridCells[cell].tabIndex = 0;
  gridCells[cell].focus();
}
// Caught before SDL's driver, which would take Space and the arrows; other keys go on to it. Once
// the game has ended, a cell takes no key at all.
function onCellKey(event) {
  if (!cellBox.contains(event.target) || event.target === cellBox) return;
  var cell = Number(event.target.dataset.cell);
  var step = ARROWS[event.key];
  var presses = event.key === 'Enter' || event.key === ' ';
  if (!step && !presses && !gameEnded()) return;
  event.preventDefault();
  // A release goes on to SDL's driver, which may have seen the press: Space that opened the
  // field is let go on the cell the field gave the keyboard, and a release SDL never sees
  // would keep it from seeing the next press.
  if (event.type !== 'keydown') return;
  event.stopImmediatePropagation();
  if (gameEnded()) return;
  if (step) {
    moveFocus(cell, step);
  } else {
    placeAt(cell);
  }
}
window.addEventListener('keydown', onCellKey, true);
window.addEventListener('keyup', onCellKey, true);

// A mark placed in cell as a tap in its middle would; a press the game would not take is
// answered instead, or the player would hear nothing.
function placeAt(cell) {
  toCell(cell);
  var holds = MARKS[Module._CellHolds(cell)];
  if (Module._Outcome() !== -1) {
    say('The game is over: ' + turnSaid() + (touchDevice ? ' Tap Back' : ' Press Escape') +
        ' to go back to the menu.');
  } else if (holds !== 'empty') {
    say(placeOf(cell).replace(/^./, function(first) {
      return first.toUpperCase();
    }) + ' already holds a ' + holds + '. ' + turnSaid());
  } else {
    var at = {
      x: Math.floor(cell / 3) * CELL_SIDE + CELL_SIDE / 2,
      y: cell % 3 * CELL_SIDE + CELL_SIDE / 2
    };
    press(at);
    lift(at);
  }
}
// A screen reader's activation (its browse mode, a phone's double tap) is a click on the cell:
// the keys above never make one, and taps and clicks go through to the canvas.
gridCells.forEach(function(button, cell) {
  button.addEventListener('click', function() {
    if (!gameEnded()) placeAt(cell);
  });
});

var errors = [];
function cannotRun(why) {
  var ended = document.getElementById('ended');
  ended.querySelector('h2').textContent =
      'The game cannot run here: ' + (why || 'this browser lacks what it needs') + '.';
  document.getElementById('again').hidden = true;
  ended.hidden = false;
}

var query = new URLSearchParams(window.location.search);
var Module = {
  canvas: canvas,
  // The game's command line: ?arg=a&arg=b gives it the arguments a and b.
  arguments: query.getAll('arg'),
  onGameEnded: function() {
    cellBox.hidden = true;
    ring.hidden = true;
    card.hidden = true;
    // The end is said once, as the description of New game, which takes the focus: said in the
    // live region too, a screen reader would say it twice.
    said.textContent = '';
    document.getElementById('ended').hidden = false;
    document.getElementById('again').focus();
  },
  onFrameShown: function() {
    framesShown++;
    readGame();
  },
  // The game ends itself only when it cannot run (an error on standard error says why): the
  // page says so rather than leave a blank canvas.
  printErr: function(text) {
    console.error(text);
    errors.push(text);
  },
  quit: function(status, toThrow) {
    if (status !== 0) cannotRun(errors.join(' '));
    throw toThrow;
  },
  onRuntimeInitialized: function() {
    canvas.focus();
    if (query.has('bench')) {
      var script = document.createElement('script');
      script.src = 'bench.js';
      document.body.appendChild(script);
    }
  }
};
function newGame() {
  window.location.reload();
}
document.getElementById('again').addEventListener('click', newGame);
// The code and the pictures come compressed, as a plain static server sends them too (gzip is a
// third of the code and of Emscripten's own LZ4 for the pictures); the game starts once both are
// unpacked, and its loaders take them from here instead of fetching.
function unpacked(file) {
  return fetch(file).then(function(response) {
    if (!response.ok) throw new Error(file + ': ' + response.status);
    return new Response(response.body.pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
  });
}
function startGame() {
  if (typeof DecompressionStream !== 'function') {
    cannotRun('this browser cannot unpack the game (it has no DecompressionStream)');
    return;
  }
  Promise.all([unpacked('noughts.wasm.gz'), unpacked('noughts.data.gz')])
      .then(function(files) {
        Module.instantiateWasm = function(imports, receive) {
          WebAssembly.instantiate(files[0], imports)
              .then(
                  function(result) {
                    receive(result.instance, result.module);
                  },
                  function(error) {
                    cannotRun('its code did not start (' + error.message + ')');
                  });
          return {};
        };
        Module.getPreloadedPackage = function() {
          return files[1];
        };
        var script = document.createElement('script');
        script.src = 'noughts.js';
        document.body.appendChild(script);
      })
      .catch(function(error) {
        cannotRun('it did not load (' + error.message + ')');
      });
}
startGame();

if ('serviceWorker' in navigator) {
  // A browser that blocks storage refuses it: the game then plays, only not offline.
  navigator.serviceWorker.register('sw.js').catch(function() {});
}
