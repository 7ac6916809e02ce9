/* Input from the page. The browser hands events to listeners (library_page.js) whenever the
   program is between frames, so each is given to SDL as it comes, instead of waiting for
   SDL_PumpEvents. A page shares the keyboard with the browser: every key reaches SDL, and the
   browser keeps its own action for all but those that would scroll the page under the program.
   A page's own controls may give input through the same PAGE_Send* functions. */
#include "SDL_config.h"

#include <emscripten.h>

#include "SDL.h"
#include "SDL_events_c.h"
#include "SDL_sysevents.h"

#include "SDL_pagevideo.h"

/* The modifiers library_page.js reports with each key. */
#define PAGE_SHIFT 0x01
#define PAGE_CTRL 0x02
#define PAGE_ALT 0x04
#define PAGE_CAPS 0x08
#define PAGE_NUM 0x10
#define PAGE_ALTGR 0x20

extern void page_listen(int inputfocus, int mousefocus, int active);
extern void page_unlisten(void);
extern void page_map_key(const char* code, int sym);

/* The browser's names (KeyboardEvent.code) of the keys that type no character, or whose SDLKey
   does not follow from the character: the keypad's, and a digit's or sign's with Shift held,
   which SDL names by the key's unshifted character, as its desktop drivers do. */
static const struct
{
    const char* code;
    SDLKey sym;
} keymap[] = {{"Backspace", SDLK_BACKSPACE},
              {"Tab", SDLK_TAB},
              {"NumpadClear", SDLK_CLEAR},
              {"Enter", SDLK_RETURN},
              {"Pause", SDLK_PAUSE},
              {"Escape", SDLK_ESCAPE},
              {"Delete", SDLK_DELETE},
              {"Space", SDLK_SPACE},
              {"Quote", SDLK_QUOTE},
              {"Comma", SDLK_COMMA},
              {"Minus", SDLK_MINUS},
              {"Period", SDLK_PERIOD},
              {"Slash", SDLK_SLASH},
              {"Digit0", SDLK_0},
              {"Digit1", SDLK_1},
              {"Digit2", SDLK_2},
              {"Digit3", SDLK_3},
              {"Digit4", SDLK_4},
              {"Digit5", SDLK_5},
              {"Digit6", SDLK_6},
              {"Digit7", SDLK_7},
              {"Digit8", SDLK_8},
              {"Digit9", SDLK_9},
              {"Semicolon", SDLK_SEMICOLON},
              {"Equal", SDLK_EQUALS},
              {"BracketLeft", SDLK_LEFTBRACKET},
              {"Backslash", SDLK_BACKSLASH},
              {"IntlBackslash", SDLK_LESS},
              {"BracketRight", SDLK_RIGHTBRACKET},
              {"Backquote", SDLK_BACKQUOTE},
              {"Numpad0", SDLK_KP0},
              {"Numpad1", SDLK_KP1},
              {"Numpad2", SDLK_KP2},
              {"Numpad3", SDLK_KP3},
              {"Numpad4", SDLK_KP4},
              {"Numpad5", SDLK_KP5},
              {"Numpad6", SDLK_KP6},
              {"Numpad7", SDLK_KP7},
              {"Numpad8", SDLK_KP8},
              {"Numpad9", SDLK_KP9},
              {"NumpadDecimal", SDLK_KP_PERIOD},
              {"NumpadDivide", SDLK_KP_DIVIDE},
              {"NumpadMultiply", SDLK_KP_MULTIPLY},
              {"NumpadSubtract", SDLK_KP_MINUS},
              {"NumpadAdd", SDLK_KP_PLUS},
              {"NumpadEnter", SDLK_KP_ENTER},
              {"NumpadEqual", SDLK_KP_EQUALS},
              {"ArrowUp", SDLK_UP},
              {"ArrowDown", SDLK_DOWN},
              {"ArrowRight", SDLK_RIGHT},
              {"ArrowLeft", SDLK_LEFT},
              {"Insert", SDLK_INSERT},
              {"Home", SDLK_HOME},
              {"End", SDLK_END},
              {"PageUp", SDLK_PAGEUP},
              {"PageDown", SDLK_PAGEDOWN},
              {"F1", SDLK_F1},
              {"F2", SDLK_F2},
              {"F3", SDLK_F3},
              {"F4", SDLK_F4},
              {"F5", SDLK_F5},
              {"F6", SDLK_F6},
              {"F7", SDLK_F7},
              {"F8", SDLK_F8},
              {"F9", SDLK_F9},
              {"F10", SDLK_F10},
              {"F11", SDLK_F11},
              {"F12", SDLK_F12},
              {"F13", SDLK_F13},
              {"F14", SDLK_F14},
              {"F15", SDLK_F15},
              {"NumLock", SDLK_NUMLOCK},
              {"CapsLock", SDLK_CAPSLOCK},
              {"ScrollLock", SDLK_SCROLLOCK},
              {"ShiftRight", SDLK_RSHIFT},
              {"ShiftLeft", SDLK_LSHIFT},
              {"ControlRight", SDLK_RCTRL},
              {"ControlLeft", SDLK_LCTRL},
              {"AltRight", SDLK_RALT},
              {"AltLeft", SDLK_LALT},
              /* The key browsers call Meta (OS in older ones) is X11's Super, as SDL's X11 driver
                 names it. */
              {"MetaLeft", SDLK_LSUPER},
              {"MetaRight", SDLK_RSUPER},
              {"OSLeft", SDLK_LSUPER},
              {"OSRight", SDLK_RSUPER},
              {"Help", SDLK_HELP},
              {"PrintScreen", SDLK_PRINT},
              {"ContextMenu", SDLK_MENU},
              {"Power", SDLK_POWER},
              {"Undo", SDLK_UNDO}};

/* The SDLKey of a character's key: SDL names the printable ASCII characters but capitals (which
   are Shift and a letter) and %{|}~, and Latin-1's upper half as SDLK_WORLD_0 onwards, as its
   X11 driver does; no other. */
static SDLKey CharacterKey(int character)
{
    if ((character >= ' ' && character <= '@' && character != '%') ||
        (character >= '[' && character <= 'z'))
    {
        return (SDLKey)character;
    }
    if (character >= 0xA0 && character <= 0xFF)
    {
        return (SDLKey)(SDLK_WORLD_0 + character - 0xA0);
    }
    return SDLK_UNKNOWN;
}

/* The modifier state a modifier key's own press or release changes in SDL, or 0. */
static SDLMod OwnModifier(SDLKey sym)
{
    switch (sym)
    {
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return KMOD_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return KMOD_CTRL;
    case SDLK_LALT:
    case SDLK_RALT:
        return KMOD_ALT;
    case SDLK_CAPSLOCK:
        return KMOD_CAPS;
    case SDLK_NUMLOCK:
        return KMOD_NUM;
    case SDLK_MODE:
        return KMOD_MODE;
    default:
        return 0;
    }
}

/* SDL's modifier state brought in line with the browser's where they differ (a modifier
   pressed or let go while the page lacked the keyboard, or a lock toggled there), but for the
   key's own, which SDL_PrivateKeyboard changes itself. */
static void SyncModifiers(int page, SDLMod own)
{
    static const struct
    {
        int page;
        SDLMod both;
        SDLMod left;
    } held[] = {{PAGE_SHIFT, KMOD_SHIFT, KMOD_LSHIFT}, {PAGE_CTRL, KMOD_CTRL, KMOD_LCTRL},
                {PAGE_ALT, KMOD_ALT, KMOD_LALT},       {PAGE_CAPS, KMOD_CAPS, KMOD_CAPS},
                {PAGE_NUM, KMOD_NUM, KMOD_NUM},        {PAGE_ALTGR, KMOD_MODE, KMOD_MODE}};
    SDLMod mod = SDL_GetModState();
    size_t i;

    for (i = 0; i < SDL_arraysize(held); ++i)
    {
        if (held[i].both & own)
        {
            continue;
        }
        if (!(page & held[i].page))
        {
            mod &= ~held[i].both;
        }
        else if (!(mod & held[i].both))
        {
            mod |= held[i].left;
        }
    }
    SDL_SetModState(mod);
}

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

/* A key pressed (1) or released (0): sym, an SDLKey, or if negative the key that types
   character (a code point); with the browser's modifiers (PAGE_*) and, for a press, the
   character it types where the program asked for it (SDL_EnableUNICODE). */
EMSCRIPTEN_KEEPALIVE void PAGE_SendKey(int sym, int character, int pressed, int modifiers,
                                       int unicode)
{
    SDL_keysym keysym;

    SDL_memset(&keysym, 0, sizeof(keysym));
    keysym.sym = sym < 0 ? CharacterKey(character) : (SDLKey)sym;
    SyncModifiers(modifiers, OwnModifier(keysym.sym));
    if (pressed && SDL_TranslateUNICODE)
    {
        keysym.unicode = (Uint16)unicode;
    }
    SDL_PrivateKeyboard(pressed ? SDL_PRESSED : SDL_RELEASED, &keysym);
}

/* What the page gained (1) or lost (0): the keyboard, the pointer, its being shown, or more
   (SDL_APP*). */
EMSCRIPTEN_KEEPALIVE void PAGE_SendFocus(int gained, int state)
{
    SDL_PrivateAppActive((Uint8)gained, (Uint8)state);
}

EMSCRIPTEN_KEEPALIVE void PAGE_SendQuit(void)
{
    SDL_PrivateQuit();
}

void PAGE_InitEvents(_THIS)
{
    page_listen(SDL_APPINPUTFOCUS, SDL_APPMOUSEFOCUS, SDL_APPACTIVE);
}

void PAGE_QuitEvents(_THIS)
{
    page_unlisten();
}

void PAGE_PumpEvents(_THIS) {}

void PAGE_InitOSKeymap(_THIS)
{
    size_t i;

    for (i = 0; i < SDL_arraysize(keymap); ++i)
    {
        page_map_key(keymap[i].code, keymap[i].sym);
    }
}
