/* Input from the page. The browser hands events to listeners whenever the game is between
   frames, so each is given to SDL as it comes, instead of waiting for SDL_PumpEvents.
   A page shares the keyboard with the browser: only the keys the game reads are taken, and every
   other one (Tab above all) does what the browser does with it. The page's own controls give
   the game input through the same PAGE_Send* functions its listeners use. */
#include "SDL_config.h"

#include <emscripten.h>

#include "SDL.h"
#include "SDL_events_c.h"
#include "SDL_sysevents.h"

#include "SDL_pagevideo.h"

/* The pointer moves to pixel (x, y) of the display, which must lie inside it. */
EMSCRIPTEN_KEEPALIVE void PAGE_SendMotion(int x, int y)
{
    SDL_PrivateMouseMotion(SDL_GetMouseState(NULL, NULL), 0, (Sint16)x, (Sint16)y);
}

/* Button (SDL's numbering: 1 left, 4 and 5 the wheel) pressed (1) or released (0) where the
   pointer is. */
EMSCRIPTEN_KEEPALIVE void PAGE_SendButton(int button, int pressed)
{
    SDL_PrivateMouseButton(pressed ? SDL_PRESSED : SDL_RELEASED, (Uint8)button, 0, 0);
}

/* Key sym (an SDLKey) pressed (1) or released (0). */
EMSCRIPTEN_KEEPALIVE void PAGE_SendKey(int sym, int pressed)
{
    SDL_keysym keysym;

    SDL_memset(&keysym, 0, sizeof(keysym));
    keysym.sym = (SDLKey)sym;
    SDL_PrivateKeyboard(pressed ? SDL_PRESSED : SDL_RELEASED, &keysym);
}

/* What the page gained (1) or lost (0): the keyboard, the pointer, or both (SDL_APP*FOCUS). */
EMSCRIPTEN_KEEPALIVE void PAGE_SendFocus(int gained, int state)
{
    SDL_PrivateAppActive((Uint8)gained, (Uint8)state);
}

EMSCRIPTEN_KEEPALIVE void PAGE_SendQuit(void)
{
    SDL_PrivateQuit();
}

/* Listeners on the canvas for the pointer and on the window for keys, focus and the page's
   close; kept in Module.pageListeners to be removed again. A pointer event's place is mapped
   to the display pixel under it at any scale the page gives the canvas, to 1/1024 of a pixel
   so that a point on the line between two is the second's; one just outside (the canvas's
   edge can lie between CSS pixels) takes the nearest pixel inside. */
// clang-format off
EM_JS(void, page_listen, (int appinputfocus, int appmousefocus), {
    var canvas = Module["canvas"];
    var KEYS = {" ": 32, "Escape": 27, "i": 105, "I": 105};
    var BUTTONS = [1, 2, 3, 8, 9];
    var held = 0;
    function along(offset, length, size) {
        var exact = Math.round(offset * size / length * 1024) / 1024;
        return Math.min(size - 1, Math.max(0, Math.floor(exact)));
    }
    function moveTo(event) {
        var rect = canvas.getBoundingClientRect();
        _PAGE_SendMotion(along(event.clientX - rect.left, rect.width, canvas.width),
                 along(event.clientY - rect.top, rect.height, canvas.height));
    }
    function key(event) {
        var sym = KEYS[event.key];
        if (sym === undefined || event.ctrlKey || event.altKey || event.metaKey) return;
        event.preventDefault();
        if (!event.repeat) _PAGE_SendKey(sym, event.type === "keydown" ? 1 : 0);
    }
    var listeners = [
        [canvas, "mousemove", moveTo],
        [canvas, "mousedown", function(event) {
            var button = BUTTONS[event.button];
            if (button === undefined) return;
            if (button !== 1) event.preventDefault();
            held |= 1 << event.button;
            moveTo(event);
            _PAGE_SendButton(button, 1);
        }],
        [window, "mouseup", function(event) {
            var button = BUTTONS[event.button];
            if (button === undefined || !(held & 1 << event.button)) return;
            held &= ~(1 << event.button);
            if (event.target === canvas) moveTo(event);
            _PAGE_SendButton(button, 0);
        }],
        [canvas, "wheel", function(event) {
            event.preventDefault();
            if (!event.deltaY) return;
            var button = event.deltaY < 0 ? 4 : 5;
            moveTo(event);
            _PAGE_SendButton(button, 1);
            _PAGE_SendButton(button, 0);
        }],
        [canvas, "contextmenu", function(event) { event.preventDefault(); }],
        [canvas, "mouseenter", function() { _PAGE_SendFocus(1, appmousefocus); }],
        [canvas, "mouseleave", function() { _PAGE_SendFocus(0, appmousefocus); }],
        [window, "keydown", key],
        [window, "keyup", key],
        [window, "focus", function() { _PAGE_SendFocus(1, appinputfocus); }],
        [window, "blur", function() { _PAGE_SendFocus(0, appinputfocus); }],
        [window, "pagehide", function() { _PAGE_SendQuit(); }]
    ];
    listeners.forEach(function(listener) {
        listener[0].addEventListener(listener[1], listener[2], {passive: false});
    });
    Module["pageListeners"] = listeners;
});
// clang-format on

// clang-format off
EM_JS(void, page_unlisten, (void), {
    (Module["pageListeners"] || []).forEach(function(listener) {
        listener[0].removeEventListener(listener[1], listener[2], {passive: false});
    });
    Module["pageListeners"] = [];
});
// clang-format on

void PAGE_InitEvents(_THIS)
{
    (void)this;
    page_listen(SDL_APPINPUTFOCUS, SDL_APPMOUSEFOCUS);
}

void PAGE_QuitEvents(_THIS)
{
    (void)this;
    page_unlisten();
}

void PAGE_PumpEvents(_THIS)
{
    (void)this;
}

void PAGE_InitOSKeymap(_THIS)
{
    (void)this;
}
