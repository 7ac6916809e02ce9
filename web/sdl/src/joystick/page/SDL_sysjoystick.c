/* The page's joystick driver, over the browser's Gamepad API. SDL 1.2 counts joysticks once, at
   start, but a browser shows a page a gamepad only once a button on it is pressed or it is
   plugged in, usually after the game started. So the page always has joystick 0, which is
   whichever gamepad the browser lists first whenever SDL polls: one that appears is read from
   then on (a button already held is a press), one that goes away releases everything. */
#include "SDL_config.h"

#include <emscripten/html5.h>

#include "SDL_error.h"
#include "SDL_events.h"
#include "SDL_joystick.h"
#include "SDL_sysjoystick.h"
#include "SDL_joystick_c.h"

/* The standard mapping's 17 and room for more; axes: two sticks. */
#define PAGE_BUTTONS 32
#define PAGE_AXES 4

/* Joystick 0 while the game has it open. */
static SDL_Joystick *opened = NULL;

/* The first gamepad the browser lists, or 0 without one (or without the Gamepad API). */
static int PAGE_FirstGamepad(EmscriptenGamepadEvent *pad)
{
	int i, count;

	if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) {
		return 0;
	}
	count = emscripten_get_num_gamepads();
	for (i = 0; i < count; ++i) {
		if (emscripten_get_gamepad_status(i, pad) == EMSCRIPTEN_RESULT_SUCCESS &&
		    pad->connected) {
			return 1;
		}
	}
	return 0;
}

int SDL_SYS_JoystickInit(void)
{
	return 1;
}

const char *SDL_SYS_JoystickName(int index)
{
	(void)index;
	return "Gamepad";
}

int SDL_SYS_JoystickOpen(SDL_Joystick *joystick)
{
	joystick->nbuttons = PAGE_BUTTONS;
	joystick->naxes = PAGE_AXES;
	joystick->nhats = 0;
	joystick->nballs = 0;
	opened = joystick;
	return 0;
}

void SDL_SYS_JoystickUpdate(SDL_Joystick *joystick)
{
	EmscriptenGamepadEvent pad;
	const int present = PAGE_FirstGamepad(&pad);
	int i;

	/* SDL 1.2 sends an event for every call: only changes are given to it. */
	for (i = 0; i < PAGE_BUTTONS; ++i) {
		const Uint8 state = present && i < pad.numButtons && pad.digitalButton[i] ?
			SDL_PRESSED : SDL_RELEASED;
		if (joystick->buttons[i] != state) {
			SDL_PrivateJoystickButton(joystick, (Uint8)i, state);
		}
	}
	for (i = 0; i < PAGE_AXES; ++i) {
		const double value = present && i < pad.numAxes ? pad.axis[i] : 0.0;
		const double clamped = value < -1.0 ? -1.0 : value > 1.0 ? 1.0 : value;
		const Sint16 position = (Sint16)(clamped * 32767.0);
		if (joystick->axes[i] != position) {
			SDL_PrivateJoystickAxis(joystick, (Uint8)i, position);
		}
	}
}

void SDL_SYS_JoystickClose(SDL_Joystick *joystick)
{
	if (joystick == opened) {
		opened = NULL;
	}
}

void SDL_SYS_JoystickQuit(void)
{
}

/* A press of button on joystick 0 that the page saw before the game ran (the one that showed
   it the gamepad, say), given as a press and a release. */
EMSCRIPTEN_KEEPALIVE void PAGE_SendJoystickPress(int button)
{
	if (opened == NULL || button < 0 || button >= opened->nbuttons) {
		return;
	}
	SDL_PrivateJoystickButton(opened, (Uint8)button, SDL_PRESSED);
	SDL_PrivateJoystickButton(opened, (Uint8)button, SDL_RELEASED);
}
