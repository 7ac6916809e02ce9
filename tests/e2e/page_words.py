"""What the page says to a player who plays by keyboard or screen reader (web/page.js says it),
the names of the board's places, and a whole game by keys with what each step must say: shared by
the page test (web_test.py) and the screen reader test (web_screen_reader_test.py)."""

TITLE = "Title screen: press Space to go on, or Escape to end the game."
MENU = "Menu: press Space to play, or Escape to go back."
FIELD = ("Playing field: arrow keys choose a cell, Enter or Space places a mark, I shows the "
         "help card, Escape goes back.")
CARD = "Help card: press Escape to go back to the board."
# The canvas's names.
TITLE_NAME = "Noughts and crosses: title screen"
MENU_NAME = "Menu"
CARD_NAME = "Help card: how to play"
NEW_GAME = "New game: start again from the title"
ENDED = "The game has ended."
TAKEN = "Top left already holds a ring. Crosses to move."
DECIDED = "The game is over: Rings win. Press Escape to go back to the menu."


def place_of(cell):
    """A cell's place as the page names it (cells go column * 3 + row, as the game counts)."""
    column, row = divmod(cell, 3)
    if cell == 4:
        return "centre"
    return "%s %s" % (("top", "middle", "bottom")[row], ("left", "centre", "right")[column])


def cell_named(cell, holds="empty"):
    return "%s, %s" % (place_of(cell), holds)


# A whole game by keys from the title (keys as the page's tests name them), each step with what
# then has the keyboard (an image, a cell as it reads afterwards, or a button) and what the live
# region then says (None: unchanged). Rings take the top row, crosses the middle left and the
# centre; a press on a taken cell and one once the game is decided are answered; Right from the
# right column stays there. Then Escape three times to the end, which New game says as its
# description (ENDED) when it takes the keyboard, and the live region does not.
OPENING = [
    (["space"], ("image", MENU_NAME), MENU),
    (["space"], ("cell", cell_named(0)), FIELD + " Rings to move."),
]
MOVES = [
    (["Enter"], ("cell", cell_named(0, "ring")), "Ring in top left. Crosses to move."),
    (["Enter"], ("cell", cell_named(0, "ring")), TAKEN),
    (["ArrowDown"], ("cell", cell_named(1)), None),
    (["Enter"], ("cell", cell_named(1, "cross")), "Cross in middle left. Rings to move."),
    (["ArrowUp"], ("cell", cell_named(0, "ring")), None),
    (["ArrowRight"], ("cell", cell_named(3)), None),
    (["Enter"], ("cell", cell_named(3, "ring")), "Ring in top centre. Crosses to move."),
    (["ArrowDown"], ("cell", cell_named(4)), None),
    (["space"], ("cell", cell_named(4, "cross")), "Cross in centre. Rings to move."),
    (["ArrowUp", "ArrowRight"], ("cell", cell_named(6)), None),
    (["ArrowRight"], ("cell", cell_named(6)), None),
    (["Enter"], ("cell", cell_named(6, "ring")), "Ring in top right. Rings win."),
    (["Enter"], ("cell", cell_named(6, "ring")), DECIDED),
]
CLOSING = [
    (["Escape"], ("image", MENU_NAME), MENU),
    (["Escape"], ("image", TITLE_NAME), TITLE),
    (["Escape"], ("button", NEW_GAME), None),
]
GAME = OPENING + MOVES + CLOSING
# The cells each player holds once the rings have won.
WON = {0: "ring", 3: "ring", 6: "ring", 1: "cross", 4: "cross"}
