// The page around the game: the canvas at a whole-number scale, taps as clicks, the end of the
// game, the offline copy, and the benchmark mode (?bench).
'use strict';

var canvas = document.getElementById('canvas');
var GAME_WIDTH = 480;
var GAME_HEIGHT = 272;

// The largest whole number of device pixels per game pixel that fits the window, with room
// for the line of help below the canvas (and as much above, so the canvas stays centred).
function fitCanvas() {
  var ratio = window.devicePixelRatio || 1;
  var room = 2 * document.getElementById('help').offsetHeight;
  var scale = Math.max(1, Math.floor(Math.min(window.innerWidth * ratio / GAME_WIDTH,
                                              (window.innerHeight - room) * ratio / GAME_HEIGHT)));
  document.documentElement.style.setProperty('--scale', String(scale / ratio));
}
fitCanvas();
window.addEventListener('resize', fitCanvas);

// A tap is the pointer moving to that spot and a left click there, as two people sharing a
// phone expect. Caught before SDL's own touch handling, which clicks without moving.
function sendMouse(type, touch) {
  canvas.dispatchEvent(new MouseEvent(type, {
    bubbles: true, cancelable: true, button: 0, buttons: type === 'mouseup' ? 0 : 1,
    clientX: touch.clientX, clientY: touch.clientY, view: window
  }));
}
function onTouch(event) {
  if (event.target !== canvas) return;
  event.preventDefault();
  event.stopPropagation();
  var touch = event.changedTouches[0];
  if (event.type === 'touchstart') {
    sendMouse('mousemove', touch);
    sendMouse('mousedown', touch);
  } else if (event.type === 'touchmove') {
    sendMouse('mousemove', touch);
  } else {
    sendMouse('mouseup', touch);
  }
}
['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function(type) {
  window.addEventListener(type, onTouch, {capture: true, passive: false});
});

// Emscripten's SDL registers its listeners the old way. Touches are the page's (above); the
// pointer's listeners prevent scrolling, so they say so (browsers warn otherwise); and a page
// that listens for unload cannot be kept for the back button, which the game never needs.
(function() {
  var addToCanvas = canvas.addEventListener;
  canvas.addEventListener = function(type, listener, capture) {
    if (type.indexOf('touch') === 0) return;
    addToCanvas.call(canvas, type, listener, {capture: !!capture, passive: false});
  };
  var addToWindow = window.addEventListener;
  window.addEventListener = function(type) {
    if (type !== 'unload') addToWindow.apply(window, arguments);
  };
})();

var query = new URLSearchParams(window.location.search);
var Module = {
  canvas: canvas,
  // The game's command line: ?arg=a&arg=b gives it the arguments a and b.
  arguments: query.getAll('arg'),
  onGameEnded: function() {
    document.getElementById('ended').hidden = false;
    document.getElementById('again').focus();
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
// SDL still takes every key from the page and stops the browser's own use of it, so Enter and
// Space on the offer are caught before SDL sees them.
window.addEventListener('keydown', function(event) {
  if (!document.getElementById('ended').hidden && (event.key === 'Enter' || event.key === ' ')) {
    event.stopPropagation();
    newGame();
  }
}, true);

// The pictures come compressed (gzip is a third of Emscripten's own LZ4); the game starts once
// they are unpacked, and its data loader takes them from here instead of fetching.
function startGame() {
  fetch('noughts.data.gz').then(function(response) {
    if (!response.ok) throw new Error('noughts.data.gz: ' + response.status);
    return new Response(response.body.pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
  }).then(function(pictures) {
    Module.getPreloadedPackage = function() {
      return pictures;
    };
    var script = document.createElement('script');
    script.src = 'noughts.js';
    document.body.appendChild(script);
  });
}
startGame();

if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js');
}
