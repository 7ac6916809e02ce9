// The JavaScript half of SDL 1.2's page port (web/sdl/src/), linked into a program with
// --js-library as Emscripten's own library_*.js are. It listens to the page and draws on its
// canvas; SDL's C half (video/page/, joystick/page/) decides what each input means to SDL.
//
// Its state lives in one place, Module.SDLPage, made by page_listen and page_watch_gamepads:
//   listeners       [target, type, listener] added to the page, removed again by page_unlisten
//   keymap          the browser's key codes (KeyboardEvent.code) to SDLKey, from InitOSKeymap
//   pointer         [clientX, clientY] of the last browser motion given to SDL, or null
//   held            bit mask of the mouse buttons (the browser's numbering) SDL saw go down
//   image           the ImageData over the display's pixels, made again if they move
//   gamepadListed   whether the browser lists a gamepad (then joystick 0 must be polled)
//   watchingGamepads  whether the gamepad listeners are in place (they stay for a later SDL_Init)
mergeInto(LibraryManager.library, {
  $PAGE: {
    // SDL's numbering of the browser's mouse buttons: left, middle, right, back, forward.
    BUTTONS: [1, 2, 3, 8, 9],
    // Keys whose browser action would scroll or navigate the page under the program.
    MOVES_PAGE: [
      ' ', 'ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'Backspace', 'PageUp', 'PageDown',
      'Home', 'End'
    ],
    // Characters the X11 driver gives these keys' unicode, for keys named by words.
    UNICODE: {Enter: 13, Backspace: 8, Tab: 9, Escape: 27, Delete: 127},
    state: function() {
      if (!Module['SDLPage']) {
        Module['SDLPage'] =
            {listeners: [], keymap: {}, pointer: null, held: 0, image: null, gamepadListed: false};
      }
      return Module['SDLPage'];
    },
    // The display pixel along one axis under a point offset CSS pixels into a canvas length
    // long: to 1/1024 of a pixel, so a point on the line between two is the second's, and one
    // outside (a canvas's edge can lie between CSS pixels) the nearest pixel inside.
    along: function(offset, length, size) {
      var exact = Math.round(offset * size / length * 1024) / 1024;
      return Math.min(size - 1, Math.max(0, Math.floor(exact)));
    },
    moveTo: function(event) {
      var canvas = Module['canvas'];
      var rect = canvas.getBoundingClientRect();
      PAGE.state().pointer = [event.clientX, event.clientY];
      _PAGE_SendMotion(
          PAGE.along(event.clientX - rect.left, rect.width, canvas.width),
          PAGE.along(event.clientY - rect.top, rect.height, canvas.height));
    },
    // A press or release where the game's pointer is, as on a desktop: the browser's motion
    // first only if its pointer moved since the last motion SDL was given (the program may have
    // warped the game's since).
    button: function(event, button, pressed) {
      var pointer = PAGE.state().pointer;
      if (!pointer || pointer[0] !== event.clientX || pointer[1] !== event.clientY) {
        PAGE.moveTo(event);
      }
      _PAGE_SendButton(button, pressed);
    },
    // Shift, Control, Alt, Caps Lock, Num Lock and AltGr as the bits SDL_pageevents.c reads.
    modifiers: function(event) {
      return [
        'Shift', 'Control', 'Alt', 'CapsLock', 'NumLock', 'AltGraph'
      ].reduce(function(bits, name, bit) {
        return bits | (event.getModifierState(name) ? 1 << bit : 0);
      }, 0);
    },
    // The SDLKey of a named key, or -1 with the character SDL_pageevents.c translates: a
    // letter as the layout names it, lower case; a digit or sign without Shift as typed, with
    // Shift the one its key gives without Shift (SDL's desktop drivers name keys unshifted).
    key: function(event) {
      var named = PAGE.state().keymap[event.code];
      var characters = Array.from(event.key);
      if (characters.length !== 1 || event.location === 3) {
        return {sym: named === undefined ? 0 : named, character: 0};
      }
      var lower = event.key.toLowerCase();
      if (lower === event.key && event.shiftKey && named !== undefined) {
        return {sym: named, character: 0};
      }
      return {sym: -1, character: lower.codePointAt(0)};
    },
    unicode: function(event) {
      if (event.ctrlKey && /^[a-z]$/i.test(event.key)) return event.key.charCodeAt(0) & 31;
      // SDL 1.2's unicode is 16 bits: a character beyond them has none.
      if (event.key.length === 1) return event.key.charCodeAt(0);
      return PAGE.UNICODE[event.key] || 0;
    },
    onKey: function(event) {
      var focus = document.activeElement;
      // A control that takes the key itself (a link, a button, a text field) keeps it.
      var ownsKey = focus && focus !== document.body && focus !== Module['canvas'] &&
          focus.closest('a, button, input, select, textarea, [contenteditable]');
      if (!event.ctrlKey && !event.altKey && !event.metaKey && !ownsKey &&
          PAGE.MOVES_PAGE.indexOf(event.key) >= 0) {
        event.preventDefault();
      }
      // SDL makes its own repeats (SDL_EnableKeyRepeat), as desktop drivers drop the system's;
      // a key that composes text (an input method's) is the composition's, not a key's.
      if (event.repeat || event.isComposing) return;
      var key = PAGE.key(event);
      _PAGE_SendKey(
          key.sym, key.character, event.type === 'keydown' ? 1 : 0, PAGE.modifiers(event),
          PAGE.unicode(event));
    },
  },

  page_map_key__deps: ['$PAGE'],
  page_map_key: function(code, sym) {
    PAGE.state().keymap[UTF8ToString(code)] = sym;
  },

  page_lacks: function() {
    var canvas = Module['canvas'];
    if (!canvas || !canvas.getContext || !canvas.getContext('2d')) return 1;
    return typeof ImageData === 'function' ? 0 : 2;
  },

  page_size_canvas: function(w, h) {
    var canvas = Module['canvas'];
    if (canvas.width !== w) canvas.width = w;
    if (canvas.height !== h) canvas.height = h;
  },

  // In a microtask, so however often the program updates the display in one task, the canvas
  // takes one image per task.
  page_queue_present: function() {
    Promise.resolve().then(function() {
      _PAGE_Present();
    });
  },

  page_put_image__deps: ['$PAGE'],
  page_put_image: function(pixels, w, h) {
    var state = PAGE.state();
    var image = state.image;
    if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== pixels ||
        image.width !== w || image.height !== h) {
      image = state.image =
          new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, w * h * 4), w, h);
    }
    Module['canvas'].getContext('2d').putImageData(image, 0, 0);
  },

  page_show_pointer: function(shown) {
    Module['canvas'].style.cursor = shown ? '' : 'none';
  },

  // The pointer on the canvas; keys, focus, visibility and the page's close on the window. A
  // release is heard anywhere, but only one whose press SDL saw counts, and only one on the
  // canvas moves the pointer: nothing from outside the canvas takes it off the display.
  page_listen__deps: ['$PAGE'],
  page_listen: function(inputFocus, mouseFocus, active) {
    var canvas = Module['canvas'];
    var state = PAGE.state();
    var listeners = [
      [canvas, 'mousemove', PAGE.moveTo],
      [
        canvas, 'mousedown',
        function(event) {
          var button = PAGE.BUTTONS[event.button];
          if (button === undefined) return;
          // The left button still focuses what it lands on, as the browser does.
          if (button !== 1) event.preventDefault();
          state.held |= 1 << event.button;
          PAGE.button(event, button, 1);
        }
      ],
      [
        window, 'mouseup',
        function(event) {
          var button = PAGE.BUTTONS[event.button];
          if (button === undefined || !(state.held & 1 << event.button)) return;
          state.held &= ~(1 << event.button);
          if (event.target === canvas) {
            PAGE.button(event, button, 0);
          } else {
            _PAGE_SendButton(button, 0);
          }
        }
      ],
      [
        canvas, 'wheel',
        function(event) {
          event.preventDefault();
          if (!event.deltaY) return;
          var button = event.deltaY < 0 ? 4 : 5;
          PAGE.button(event, button, 1);
          _PAGE_SendButton(button, 0);
        }
      ],
      [
        canvas, 'contextmenu',
        function(event) {
          event.preventDefault();
        }
      ],
      [
        canvas, 'mouseenter',
        function() {
          _PAGE_SendFocus(1, mouseFocus);
        }
      ],
      [
        canvas, 'mouseleave',
        function() {
          _PAGE_SendFocus(0, mouseFocus);
        }
      ],
      [window, 'keydown', PAGE.onKey],
      [window, 'keyup', PAGE.onKey],
      [
        window, 'focus',
        function() {
          _PAGE_SendFocus(1, inputFocus);
        }
      ],
      [
        window, 'blur',
        function() {
          _PAGE_SendFocus(0, inputFocus);
        }
      ],
      [
        document, 'visibilitychange',
        function() {
          _PAGE_SendFocus(document.hidden ? 0 : 1, active);
        }
      ],
      [
        window, 'pagehide',
        function() {
          _PAGE_SendQuit();
        }
      ],
    ];
    listeners.forEach(function(listener) {
      listener[0].addEventListener(listener[1], listener[2], {passive: false});
    });
    state.listeners = listeners;
    if (document.hidden) _PAGE_SendFocus(0, active);
  },

  page_unlisten__deps: ['$PAGE'],
  page_unlisten: function() {
    var state = PAGE.state();
    state.listeners.forEach(function(listener) {
      listener[0].removeEventListener(listener[1], listener[2], {passive: false});
    });
    state.listeners = [];
  },

  // The state of the first gamepad the browser lists: each button's as 0 or 1, each axis's
  // from -32767 to 32767 (the first count of each). Returns 0 without one.
  page_read_gamepad__deps: ['$PAGE'],
  page_read_gamepad: function(buttons, nbuttons, axes, naxes) {
    if (!PAGE.state().gamepadListed) return 0;
    var pad = Array.prototype.find.call(navigator.getGamepads(), function(each) {
      return each && each.connected;
    });
    if (!pad) return 0;
    for (var i = 0; i < nbuttons; ++i) {
      HEAPU8[buttons + i] = i < pad.buttons.length && pad.buttons[i].pressed ? 1 : 0;
    }
    for (var j = 0; j < naxes; ++j) {
      var value = j < pad.axes.length ? Math.max(-1, Math.min(1, pad.axes[j])) : 0;
      HEAP16[(axes >> 1) + j] = Math.round(value * 32767);
    }
    return 1;
  },

  // Listing the gamepads costs a browser more than the rest of SDL's poll, which runs on every
  // pass; a browser tells a page of each gamepad it shows or takes away, so they are listed
  // only while one is there (the listeners stay for a later SDL_Init). One that appears is read
  // at once: a button that revealed it is a press even to a program that waits for events.
  page_watch_gamepads__deps: ['$PAGE'],
  page_watch_gamepads: function() {
    var state = PAGE.state();
    function look(event) {
      var pads = navigator.getGamepads ? navigator.getGamepads() : [];
      state.gamepadListed = Array.prototype.some.call(pads, function(each) {
        return each && each.connected;
      });
      if (event && event.type === 'gamepadconnected') _PAGE_JoystickAppeared();
    }
    if (!state.watchingGamepads) {
      state.watchingGamepads = true;
      window.addEventListener('gamepadconnected', look);
      window.addEventListener('gamepaddisconnected', look);
    }
    look(null);
  },

  page_gamepad_listed__deps: ['$PAGE'],
  page_gamepad_listed: function() {
    return PAGE.state().gamepadListed ? 1 : 0;
  },
});
