"""Runs the real noughts binary in a private Xvfb and drives it like a person would.

Input goes through XTEST (xdotool without --window); windows are found, sized, focused, asked
to close and read back over python3-xlib, and pictures are numpy arrays, so what a test sees is
what the X server shows. A binary named *.exe is the Windows build and runs under Wine; a page
(*.html, the web build's site) runs in a headless browser (NOUGHTS_BROWSER: chromium or
firefox) driven by tests/e2e/web/driver.mjs, with real key presses, pointer input and touches,
its console read as the game's output. Every wait is bounded; the X server, the browser and the
game are always stopped, also when a test fails or the runner is terminated.

Typical use:

    with XServer() as x, Game(x, binary, ["a"], pictures=shipped_pictures(assets)) as game:
        game.find_window()
        game.wait_for_image(read_bmp(assets + "/intro.bmp"))
        game.key("Escape")
        assert game.wait_exit() == 0
"""

import base64
import functools
import http.server
import json
import os
import pwd
import select
import shlex
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.parse
from itertools import count

import numpy as np
from Xlib import X, Xatom, Xutil, display as xdisplay, error as xerror
from Xlib.protocol import event as xevent

PICTURE_NAMES = ("intro.bmp", "menu.bmp", "item.bmp", "NULL.bmp", "win1.bmp", "win2.bmp",
                 "DRAW.bmp")
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GRAY = (128, 128, 128)
CELL = 90  # clicks map to fixed 90-pixel cells, whatever the drawn size
# A game built for another architecture runs under the command NOUGHTS_EMULATOR names (words
# quoted as in a shell; tools/arch/run.sh), its path and arguments appended. The runtime linker's
# variables go to it as -E NAME=VALUE options, as to qemu-user, so that they reach the game and
# not the emulator.
EMULATOR = shlex.split(os.environ.get("NOUGHTS_EMULATOR", ""))
# A wait is a limit, never a pace: it ends as soon as the game shows what it waits for, so a
# long one costs a passing test nothing, and only a limit far beyond any slowness keeps a busy
# or emulated machine from failing a test by chance. The game's answer to one input takes
# milliseconds, under qemu or beside a loop of builds a second or two.
DEFAULT_TIMEOUT = 30.0
# Starting a program is what a busy machine slows most (Wine's took over 5 s beside builds); a
# game that ends instead is seen at once, so the limit costs nothing.
START_TIMEOUT = 30.0
# xdotool and the like, which take milliseconds; a hung one is killed after this.
TOOL_TIMEOUT = 30.0
POLL_INTERVAL = 0.02
FAILURE_DIR = os.path.join(tempfile.gettempdir(), "noughts-e2e-failures")
_failure_numbers = count(1)



def emulated(binary, env):
    """The command that runs binary under the emulator, and env without the linker's variables."""
    linker = {name: value for name, value in env.items() if name.startswith("LD_")}
    options = ["-E%s=%s" % item for item in sorted(linker.items())]
    rest = {name: value for name, value in env.items() if name not in linker}
    return EMULATOR + options + [binary], rest

# Set by run_tests from the command line: the game binary, the folder of shipped pictures and
# the argv[0] the game sees (a Windows path for a Windows program).
BINARY = None
ASSETS = None
ARGV0 = None


def cell_centre(index):
    """The middle of the cell of that index (0 to 8, column by column) in window pixels."""
    column, row = divmod(index, 3)
    return column * CELL + CELL // 2, row * CELL + CELL // 2


class HarnessError(AssertionError):
    """Raised when the environment or the game does not do what a test waits for."""


def wait_until(condition, timeout, what):
    """Polls condition() until it returns a true value, which is returned; raises after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(POLL_INTERVAL)


def kill_group(process, grace=2.0):
    """Stops a process started in its own session, and whatever it started, for certain."""
    if process.poll() is not None:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        try:
            process.wait(timeout=grace)
            return
        except subprocess.TimeoutExpired:
            pass


# ---------------------------------------------------------------------------------------------
# Pictures


class Image:
    """An RGB picture: pixels is a height x width x 3 array of bytes, rows top down.

    rgb may be bytes (3 per pixel, no padding) or an array of that shape.
    """

    def __init__(self, width, height, rgb):
        pixels = np.asarray(rgb if isinstance(rgb, np.ndarray) else bytearray(rgb), np.uint8)
        if pixels.size != width * height * 3:
            raise ValueError("%dx%d picture needs %d bytes, got %d" %
                             (width, height, width * height * 3, pixels.size))
        self.width = width
        self.height = height
        self.pixels = pixels.reshape(height, width, 3)

    @classmethod
    def from_array(cls, pixels):
        return cls(pixels.shape[1], pixels.shape[0], pixels)

    @property
    def rgb(self):
        return self.pixels.tobytes()

    def pixel(self, x, y):
        return tuple(self.pixels[y, x].tolist())

    def crop(self, x, y, width, height):
        if x < 0 or y < 0 or x + width > self.width or y + height > self.height:
            raise ValueError("crop %dx%d at (%d, %d) leaves the %dx%d picture" %
                             (width, height, x, y, self.width, self.height))
        return Image.from_array(self.pixels[y:y + height, x:x + width].copy())

    def paste(self, other, x, y):
        """A copy of this picture with other laid over it, top left corner at (x, y), clipped."""
        pixels = self.pixels.copy()
        left, top = max(x, 0), max(y, 0)
        right, bottom = min(x + other.width, self.width), min(y + other.height, self.height)
        if right > left and bottom > top:
            pixels[top:bottom, left:right] = other.pixels[top - y:bottom - y, left - x:right - x]
        return Image.from_array(pixels)

    def first_difference(self, other):
        """None when equal, else a sentence naming the size mismatch or first differing pixel."""
        if (self.width, self.height) != (other.width, other.height):
            return "size %dx%d, expected %dx%d" % (self.width, self.height, other.width,
                                                   other.height)
        differs = np.any(self.pixels != other.pixels, axis=2)
        if not differs.any():
            return None
        y, x = (int(v) for v in np.argwhere(differs)[0])
        return "%d pixels differ, first at (%d, %d): %s, expected %s" % (
            int(differs.sum()), x, y, self.pixel(x, y), other.pixel(x, y))

    def save_ppm(self, path):
        with open(path, "wb") as out:
            out.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
            out.write(self.rgb)


def pattern_image(width, height, seed):
    """A picture in which neighbouring pixels and different seeds differ, to catch offsets."""
    y, x = np.mgrid[0:height, 0:width]
    channels = ((x * 7 + seed * 50) & 255, (y * 5 + seed * 90) & 255, (x ^ y) & 255)
    return Image.from_array(np.stack(channels, axis=2).astype(np.uint8))


def read_bmp(path):
    """Reads an uncompressed 24- or 32-bit Windows bitmap (bottom-up or top-down)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError("%s: not a BMP file" % path)
    (offset,) = struct.unpack_from("<I", data, 10)
    _, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if bits not in (24, 32) or compression not in (0, 3):
        raise ValueError("%s: %d bits, compression %d not supported" % (path, bits, compression))
    if compression == 3 and bits == 32:
        masks = struct.unpack_from("<III", data, 54)
        if masks != (0xFF0000, 0xFF00, 0xFF):
            raise ValueError("%s: bitfields %s not supported" % (path, masks))
    stride = (width * bits + 31) // 32 * 4
    rows = np.frombuffer(data, np.uint8, stride * abs(height), offset).reshape(-1, stride)
    bgr = rows[:, :width * bits // 8].reshape(abs(height), width, bits // 8)[:, :, 2::-1]
    return Image.from_array(np.ascontiguousarray(bgr if height < 0 else bgr[::-1]))


def bmp_bytes(image, bits=32):
    """A BI_RGB bottom-up bitmap: 32 bits a pixel (the layout the shipped pictures use), 24, or
    8, 4 or 1 indexing a palette of just the picture's colours."""
    rows = image.pixels[::-1]
    palette, colours = b"", 0
    if bits <= 8:
        entries, index = np.unique(rows.reshape(-1, 3), axis=0, return_inverse=True)
        colours = len(entries)
        if colours > 1 << bits:
            raise ValueError("%d colours do not fit %d bits" % (colours, bits))
        palette = np.insert(entries[:, ::-1], 3, 0, axis=1).astype(np.uint8).tobytes()
        index_bits = np.unpackbits(index.astype(np.uint8).reshape(image.height, -1, 1), axis=2)
        packed = np.packbits(index_bits[:, :, 8 - bits:].reshape(image.height, -1), axis=1)
    else:
        bgr = rows[:, :, ::-1]
        packed = (np.insert(bgr, 3, 0, axis=2) if bits == 32 else bgr).reshape(image.height, -1)
    stride = (image.width * bits + 31) // 32 * 4
    pixels = np.zeros((image.height, stride), np.uint8)
    pixels[:, :packed.shape[1]] = packed
    offset = 54 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + pixels.size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, image.width, image.height, 1, bits, 0, pixels.size,
                       2835, 2835, colours, 0)
    return header + info + palette + pixels.tobytes()


def picture_bytes(source):
    """What Game(pictures=...) puts in a picture's file: an Image as bmp_bytes, bytes as they
    are, or a copy of the file a path names."""
    if isinstance(source, Image):
        return bmp_bytes(source)
    if isinstance(source, bytes):
        return source
    with open(source, "rb") as f:
        return f.read()


def shipped_pictures(assets_dir, leave_out=()):
    """Maps each shipped picture name to its file, for Game(pictures=...)."""
    return {name: os.path.join(assets_dir, name) for name in PICTURE_NAMES
            if name not in leave_out}


# ---------------------------------------------------------------------------------------------
# X server


class Started:
    """A context manager for whatever has start() and stop()."""

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()


class XServer(Started):
    """A private Xvfb on a display number it picks itself; a context manager."""

    def __init__(self, width=640, height=480, timeout=DEFAULT_TIMEOUT):
        self.width = width
        self.height = height
        self.timeout = timeout
        self.process = None
        self.display = None
        self.conn = None
        self.root = None
        self._log = None
        self.server_env = None

    def command(self, display_fd):
        return ["Xvfb", "-displayfd", str(display_fd), "-noreset", "-nolisten", "tcp", "-retro",
                "-screen", "0", "%dx%dx24" % (self.width, self.height)]

    def start(self):
        self._log = tempfile.TemporaryFile()
        read_end, write_end = os.pipe()
        try:
            # -noreset: without it the server resets whenever its last client leaves, and a
            # client connecting during that reset is refused. An emulated big-endian SDL hands
            # its frame buffer over in shared memory without the byte swap a real big-endian
            # machine's X server would make: without MIT-SHM it goes through the X protocol,
            # which converts it. -retro: the root's stipple is what no game window shows, so a
            # window drawn into stands out from one that shows the bare screen.
            no_shm = ["-extension", "MIT-SHM"] if EMULATOR else []
            self.process = subprocess.Popen(
                self.command(write_end) + no_shm, env=self.server_env, pass_fds=(write_end,),
                stdin=subprocess.DEVNULL, stdout=self._log, stderr=self._log,
                start_new_session=True)
        except OSError as error:
            os.close(read_end)
            raise HarnessError("cannot start %s: %s" % (self.command(0)[0], error))
        finally:
            os.close(write_end)
        try:
            number = self._read_display_number(read_end)
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.display = ":" + number
        try:
            self.conn = xdisplay.Display(self.display)
            self.root = self.conn.screen().root
            self._check_image_format()
        except BaseException:
            self.stop()
            raise

    def _check_image_format(self):
        # Xvfb's depth-24 screens hold each pixel as 4 bytes B, G, R, pad; capture relies on it.
        formats = {f.depth: f.bits_per_pixel for f in self.conn.display.info.pixmap_formats}
        visual = self.conn.screen().allowed_depths
        masks = [(v.red_mask, v.green_mask, v.blue_mask) for d in visual if d.depth == 24
                 for v in d.visuals]
        if (formats.get(24) != 32 or self.conn.display.info.image_byte_order != X.LSBFirst or
                (0xFF0000, 0xFF00, 0xFF) not in masks):
            raise HarnessError("unexpected depth-24 pixel layout on %s" % self.display)

    def _read_display_number(self, fd):
        # Xvfb writes the number once it accepts connections.
        deadline = time.monotonic() + self.timeout
        text = b""
        while not text.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([fd], [], [], max(remaining, 0))
            chunk = os.read(fd, 16) if ready else b""
            if not chunk:
                raise HarnessError("%s did not report a display within %.1f s: %s" %
                                   (self.command(0)[0], self.timeout, self.log_text()))
            text += chunk
        return text.decode().strip()

    def log_text(self):
        if self._log is None:
            return ""
        self._log.seek(0)
        return self._log.read().decode(errors="replace")

    def stop(self):
        if self.conn is not None:
            self.conn.close()
            self.conn = None
        if self.process is not None:
            kill_group(self.process)
            self.process = None
        if self._log is not None:
            self._log.close()
            self._log = None

    def env(self, extra=None):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.pop("XAUTHORITY", None)
        env.update(extra or {})
        return env

    def tool(self, *args, env=None, timeout=TOOL_TIMEOUT):
        """Runs an X client tool (xdotool) against this server; returns its stdout bytes."""
        result = subprocess.run(args, env=self.env(env), stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=timeout)
        if result.returncode != 0:
            raise HarnessError("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                                        result.stderr.decode(errors="replace")))
        return result.stdout

    def window(self, window_id):
        return self.conn.create_resource_object("window", window_id)

    # Input through XTEST, as a real keyboard and mouse's arrives.

    def move_pointer(self, x, y):
        # --sync waits for a motion, and there is none to where the pointer already is.
        if self.pointer() != (x, y):
            self.tool("xdotool", "mousemove", "--sync", str(x), str(y))

    def click(self, button):
        self.tool("xdotool", "click", str(button))

    def key(self, name):
        self.tool("xdotool", "key", name)

    def pointer(self):
        """The pointer's position on the screen, as (x, y)."""
        reply = self.root.query_pointer()
        return reply.root_x, reply.root_y

    def top_window(self, pids):
        """The id of a mapped top-level window whose _NET_WM_PID is one of pids, or None. The
        property holds one number, the way window managers read it."""
        pid_atom = self.conn.intern_atom("_NET_WM_PID")
        for window in self.root.query_tree().children:
            try:
                if window.get_attributes().map_state != X.IsViewable:
                    continue
                prop = window.get_full_property(pid_atom, Xatom.CARDINAL)
            except xerror.BadWindow:
                continue  # destroyed since the tree was read
            if prop is not None and len(prop.value) == 1 and prop.value[0] in pids:
                return window.id
        return None

    def icon_sizes(self, window_id):
        """[(width, height)] of the window's icons as a window manager finds them: each of
        _NET_WM_ICON's pictures, and WM_HINTS's pixmap."""
        window = self.window(window_id)
        sizes = []
        icons = window.get_full_property(self.conn.intern_atom("_NET_WM_ICON"), Xatom.CARDINAL)
        values = list(icons.value) if icons is not None else []
        while len(values) >= 2:
            sizes.append(tuple(values[:2]))
            values = values[2 + values[0] * values[1]:]
        hints = window.get_wm_hints()
        if hints is not None and hints.flags & Xutil.IconPixmapHint:
            size = hints.icon_pixmap.get_geometry()
            sizes.append((size.width, size.height))
        return sizes

    def geometry(self, window_id):
        """(x, y, width, height) of the window on the screen."""
        window = self.window(window_id)
        size = window.get_geometry()
        origin = self.root.translate_coords(window, 0, 0)
        return origin.x, origin.y, size.width, size.height

    def focus(self, window_id):
        # No window manager runs and the server's focus is PointerRoot, so keys go to the window
        # under the pointer; setting the focus as well keeps keys there wherever the pointer is.
        self.window(window_id).set_input_focus(X.RevertToPointerRoot, X.CurrentTime)
        self.conn.sync()

    def screen(self):
        """The whole screen as shown, where no game window has drawn yet."""
        return self.capture(self.root.id)

    def capture(self, window_id):
        """The window's pixels as the X server shows them (without the pointer)."""
        window = self.window(window_id)
        size = window.get_geometry()
        data = window.get_image(0, 0, size.width, size.height, X.ZPixmap, 0xFFFFFFFF).data
        rows = np.frombuffer(data, np.uint8).reshape(size.height, -1)
        bgrx = rows[:, :size.width * 4].reshape(size.height, size.width, 4)
        return Image.from_array(np.ascontiguousarray(bgrx[:, :, 2::-1]))

    def send_close_request(self, window_id):
        """Asks window to close the way a window manager does: a WM_DELETE_WINDOW message."""
        window = self.window(window_id)
        message = xevent.ClientMessage(
            window=window, client_type=self.conn.intern_atom("WM_PROTOCOLS"),
            data=(32, [self.conn.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        caught = xerror.CatchError()
        window.send_event(message, onerror=caught)
        # A round trip proves the server took the event; an error would arrive first.
        self.conn.sync()
        if caught.get_error():
            raise HarnessError("sending WM_DELETE_WINDOW failed: %s" % caught.get_error())


# ---------------------------------------------------------------------------------------------
# Wine, for the Windows build

WINE_BOOT_TIMEOUT = 120.0
WINE_MOTION_PAUSE = 0.1


def is_windows_program(binary):
    return binary.lower().endswith(".exe")


def windows_path(path):
    """path as a program under Wine sees it: Wine's drive Z: is the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Wine:
    """One Wine prefix in a temporary folder for a whole run, since making one takes seconds.

    Its processes belong to the X server they were started on: stop_session ends them before
    that server goes, and remove deletes the prefix at the end of the run.
    """

    def __init__(self):
        self.prefix = None

    def env(self, xserver):
        # Wine reads the Unix command line in the locale's character set (C: 7-bit ASCII).
        env = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=",
               "SDL_STDIO_REDIRECT": "0", "LC_ALL": "C.UTF-8"}
        if self.prefix is None:
            self.prefix = tempfile.mkdtemp(prefix="noughts-wine-")
            env["WINEPREFIX"] = self.prefix
            xserver.tool("wine", "wineboot", "--init", env=env, timeout=WINE_BOOT_TIMEOUT)
        env["WINEPREFIX"] = self.prefix
        return env

    def stop_session(self):
        if self.prefix is not None:
            subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=self.prefix),
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=TOOL_TIMEOUT)

    def remove(self):
        if self.prefix is not None:
            self.stop_session()
            shutil.rmtree(self.prefix, ignore_errors=True)
            self.prefix = None


WINE = Wine()


# ---------------------------------------------------------------------------------------------
# Wayland, as most Linux desktops now run it

# NOUGHTS_WAYLAND picks it: "xwayland" runs the game as an X client of a rootful Xwayland that is
# itself a window of sway (classic SDL 1.2 on a Wayland desktop); "native", as a Wayland client of
# sway (sdl12-compat on SDL2's Wayland driver). Either way the window is read back as the
# compositor shows it (grim), and keys and the pointer reach it through the compositor's seat from
# a VNC client (wayvnc), as a person's would.
WAYLAND = os.environ.get("NOUGHTS_WAYLAND", "")
# sway refuses to run as root: a run as root starts it as this user.
WAYLAND_USER = "nobody"
RFB_BUTTONS = {1: 1, 2: 2, 3: 4, 4: 8, 5: 16}
RFB_KEYSYMS = {"space": 0x20, "Escape": 0xFF1B}
KEY_PACE = 0.012


def read_exactly(sock, size):
    data = b""
    while len(data) < size:
        chunk = sock.recv(size - len(data))
        if not chunk:
            raise HarnessError("wayvnc closed the connection")
        data += chunk
    return data


def sdl12_compat_version(binary):
    """The N of sdl12-compat 1.2.N when binary loads it (its library file is named by the 1.2
    version it implements, classic's by its own 0.11.x), else None; None for a game run under an
    emulator or Wine."""
    if EMULATOR or is_windows_program(binary) or is_web_page(binary):
        return None
    listing = subprocess.run(["ldd", binary], capture_output=True, text=True,
                             timeout=TOOL_TIMEOUT).stdout
    for line in listing.splitlines():
        if line.strip().startswith("libSDL-1.2.so.0 => "):
            library = os.path.realpath(line.split()[2])
            name = os.path.basename(library)
            if name.startswith("libSDL-1.2.so.1.2."):
                return int(name.rsplit(".", 1)[1])
    return None


def game_moves_pointer():
    """Whether the game's SDL_WarpMouse moves the pointer a click without motion lands at: not on
    native Wayland, where only the compositor moves it."""
    return WAYLAND != "native"


class WindowGone(HarnessError):
    """A window the compositor listed a moment ago is no longer shown."""


class RfbClient:
    """Just enough of the remote framebuffer protocol (RFC 6143) to send keys and the pointer."""

    def __init__(self, path, timeout):
        self.sock = socket.socket(socket.AF_UNIX)
        self.sock.settimeout(timeout)
        try:
            self.sock.connect(path)
        except OSError:
            self.sock.close()
            raise
        if read_exactly(self.sock, 12) != b"RFB 003.008\n":
            raise HarnessError("wayvnc speaks another RFB version")
        self.sock.sendall(b"RFB 003.008\n")
        offered = read_exactly(self.sock, read_exactly(self.sock, 1)[0])
        if 1 not in offered:
            raise HarnessError("wayvnc asks for a password")
        self.sock.sendall(b"\x01")
        if struct.unpack(">I", read_exactly(self.sock, 4))[0] != 0:
            raise HarnessError("wayvnc refused the connection")
        self.sock.sendall(b"\x01")  # shared
        read_exactly(self.sock, 20)
        read_exactly(self.sock, struct.unpack(">I", read_exactly(self.sock, 4))[0])

    def pointer(self, buttons, x, y):
        self.sock.sendall(struct.pack(">BBHH", 5, buttons, x, y))

    def key(self, keysym, down):
        self.sock.sendall(struct.pack(">BBxxI", 4, down, keysym))

    def close(self):
        self.sock.close()


class XwaylandServer(XServer):
    """A rootful Xwayland, one window of the compositor whose environment it is given."""

    def __init__(self, wayland_env, timeout):
        super().__init__(timeout=timeout)
        self.server_env = wayland_env

    def command(self, display_fd):
        return ["Xwayland", "-displayfd", str(display_fd), "-noreset", "-nolisten", "tcp", "-retro"]


class Wayland(Started):
    """A headless sway of the game's size with wayvnc for input, and for "xwayland" a rootful
    Xwayland filling it; every window is placed at 0,0 without a border. The XServer methods
    that Game uses; a context manager."""

    def __init__(self, mode, width=480, height=272, timeout=START_TIMEOUT):
        if mode not in ("xwayland", "native"):
            raise HarnessError("NOUGHTS_WAYLAND is xwayland or native, not %r" % mode)
        self.mode = mode
        self.width, self.height = width, height
        self.timeout = timeout
        self.folder = None
        self.processes = {}
        self.rfb = None
        self.xserver = None
        self.wayland_env = None
        # Where the last motion sent put the compositor's pointer, which nothing else moves.
        self.at = (0, 0)

    def _start(self, name, command, env, as_user=()):
        log = open(os.path.join(self.folder, name + ".log"), "wb")
        try:
            self.processes[name] = subprocess.Popen(
                list(as_user) + command, env=env, stdin=subprocess.DEVNULL, stdout=log,
                stderr=log, start_new_session=True)
        except OSError as error:
            raise HarnessError("cannot start %s: %s" % (name, error)) from None
        finally:
            log.close()

    def _log(self, name):
        if name == "Xwayland":
            return self.xserver.log_text()
        with open(os.path.join(self.folder, name + ".log"), "rb") as f:
            return f.read().decode(errors="replace")[-2000:]

    def _wait_for(self, name, condition, what):
        def ready():
            if self.processes[name].poll() is not None:
                raise HarnessError("%s ended with status %d before %s: %s" % (
                    name, self.processes[name].returncode, what, self._log(name)))
            return condition()
        try:
            return wait_until(ready, self.timeout, what)
        except HarnessError as error:
            raise HarnessError("%s: %s" % (error, self._log(name))) from None

    def start(self):
        try:
            self._start_all()
        except BaseException:
            self.stop()
            raise

    def _start_all(self):
        self.folder = tempfile.mkdtemp(prefix="noughts-wayland-")
        os.chmod(self.folder, 0o755)
        runtime = os.path.join(self.folder, "run")
        os.mkdir(runtime, 0o700)
        as_user = []
        if os.geteuid() == 0:
            try:
                user = pwd.getpwnam(WAYLAND_USER)
            except KeyError:
                raise HarnessError("no user %s to run sway as (it refuses root)" %
                                   WAYLAND_USER) from None
            os.chown(runtime, user.pw_uid, user.pw_gid)
            as_user = ["setpriv", "--reuid=%d" % user.pw_uid, "--regid=%d" % user.pw_gid,
                       "--clear-groups"]
        config = os.path.join(self.folder, "sway.conf")
        with open(config, "w") as f:
            # Seat options only here: given to a running sway, they detach wayvnc's devices.
            # The pointer is hidden once it has rested, so captures show the game alone.
            f.write("output HEADLESS-1 mode %dx%d position 0 0\n" % (self.width, self.height) +
                    "xwayland disable\ndefault_border none\ndefault_floating_border none\n"
                    "for_window [shell=\".*\"] floating enable, move position 0 0\n"
                    "seat * hide_cursor 100\n")
        os.chmod(config, 0o644)
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.folder,
               "XDG_RUNTIME_DIR": runtime, "WLR_BACKENDS": "headless",
               "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman"}
        self._start("sway", ["sway", "-c", config], env, as_user)
        def sockets():
            names = os.listdir(runtime)
            wayland = [name for name in names if name.startswith("wayland-")
                       and not name.endswith(".lock")]
            ipc = [name for name in names if name.startswith("sway-ipc.")]
            return wayland and ipc and (wayland[0], ipc[0])

        wayland, ipc = self._wait_for("sway", sockets, "its sockets")
        self.wayland_env = dict(env, WAYLAND_DISPLAY=wayland,
                                SWAYSOCK=os.path.join(runtime, ipc))
        self.wayland_env.pop("HOME")
        vnc = os.path.join(self.folder, "vnc")
        self._start("wayvnc", ["wayvnc", "-C", "/dev/null", "-u", vnc],
                    dict(os.environ, **self.wayland_env))
        def connect():
            try:
                return RfbClient(vnc, self.timeout)
            except (FileNotFoundError, ConnectionRefusedError):
                return None  # not listening yet

        self.rfb = self._wait_for("wayvnc", connect, "a connection on its socket")
        if self.mode == "xwayland":
            self.xserver = XwaylandServer(dict(os.environ, **self.wayland_env), self.timeout)
            self.xserver.start()
            self.processes["Xwayland"] = self.xserver.process
            place = self._wait_for("Xwayland", lambda: self._window_rect(
                {self.xserver.process.pid}), "its window")
            if place != (0, 0, self.width, self.height):
                raise HarnessError("Xwayland's window is at %s, not over the whole output" %
                                   (place,))

    def tool(self, *args):
        """Runs a Wayland client tool (swaymsg, grim) against this compositor; its stdout bytes."""
        try:
            result = subprocess.run(args, env=dict(os.environ, **self.wayland_env),
                                    stdin=subprocess.DEVNULL, capture_output=True,
                                    timeout=TOOL_TIMEOUT)
        except OSError as error:
            raise HarnessError("cannot run %s: %s" % (args[0], error)) from None
        if result.returncode != 0:
            raise HarnessError("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                                        result.stderr.decode(errors="replace")))
        return result.stdout

    def _views(self):
        pending, views = [json.loads(self.tool("swaymsg", "-t", "get_tree", "-r"))], []
        while pending:
            node = pending.pop()
            pending += node.get("nodes", []) + node.get("floating_nodes", [])
            if node.get("pid") and node.get("visible"):
                views.append(node)
        return views

    def _window_rect(self, pids):
        for view in self._views():
            if view["pid"] in pids:
                rect = view["rect"]
                return rect["x"], rect["y"], rect["width"], rect["height"]
        return None

    def stop(self):
        if self.rfb is not None:
            self.rfb.close()
            self.rfb = None
        if self.xserver is not None:
            self.xserver.stop()
            self.xserver = None
        for process in reversed(list(self.processes.values())):
            kill_group(process)
        self.processes = {}
        if self.folder is not None:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None

    def env(self, extra=None):
        env = dict(os.environ, **self.wayland_env)
        if self.mode == "xwayland":
            env["DISPLAY"] = self.xserver.display
        else:
            env.pop("DISPLAY", None)
            env["SDL_VIDEODRIVER"] = "wayland"
        env.pop("XAUTHORITY", None)
        env.update(extra or {})
        return env

    def top_window(self, pids):
        if self.xserver is not None:
            return self.xserver.top_window(pids)
        for view in self._views():
            if view["pid"] in pids:
                return view["id"]
        return None

    def geometry(self, window):
        if self.xserver is not None:
            return self.xserver.geometry(window)
        for view in self._views():
            if view["id"] == window:
                rect = view["rect"]
                return rect["x"], rect["y"], rect["width"], rect["height"]
        raise WindowGone("the compositor shows no window %d" % window)

    def icon_sizes(self, window):
        # A Wayland window has no icon of its own: the desktop takes it from the program's entry.
        return self.xserver.icon_sizes(window) if self.xserver is not None else []

    def focus(self, window):
        if self.xserver is not None:
            self.xserver.focus(window)

    def capture(self, window):
        """The window's pixels as the compositor shows them."""
        return self._grab(*self.geometry(window))

    def screen(self):
        return self.xserver.screen() if self.xserver is not None else self._grab(
            0, 0, self.width, self.height)

    def _grab(self, x, y, width, height):
        header = self.tool("grim", "-t", "ppm", "-g", "%d,%d %dx%d" % (x, y, width, height),
                           "-").split(maxsplit=4)
        if header[0] != b"P6" or (int(header[1]), int(header[2]), header[3]) != (width, height,
                                                                                    b"255"):
            raise HarnessError("grim gave no %dx%d 8-bit PPM" % (width, height))
        pixels = np.frombuffer(header[4], np.uint8)[:width * height * 3]
        return Image.from_array(pixels.reshape(height, width, 3).copy())

    def pointer(self):
        return self.xserver.pointer() if self.xserver is not None else self.at

    def send_close_request(self, window):
        if self.xserver is not None:
            self.xserver.send_close_request(window)
            return
        self.tool("swaymsg", "[con_id=%d]" % window, "kill")

    def move_pointer(self, x, y):
        self.at = (x, y)
        self.rfb.pointer(0, x, y)

    def click(self, button):
        self.rfb.pointer(RFB_BUTTONS[button], *self.at)
        self.rfb.pointer(0, *self.at)

    def key(self, name):
        keysym = RFB_KEYSYMS.get(name, ord(name[0]))
        self.rfb.key(keysym, 1)
        self.rfb.key(keysym, 0)
        # Paced as xdotool paces its keys: classic SDL 1.2 on X takes a release and a press of the
        # same key less than 2 ms apart for the key held down, and no hand is that quick.
        time.sleep(KEY_PACE)


# ---------------------------------------------------------------------------------------------
# The game


class Game(Started):
    """One run of the game binary in a fresh working directory; a context manager.

    pictures maps file names to a source path (copied), an Image (written as a 32-bit BMP) or
    a file's bytes.
    """

    def __init__(self, xserver, binary, args=(), pictures=None, env=None):
        self.x = xserver
        self.binary = os.path.abspath(binary)
        self.args = list(args)
        self.pictures = pictures if pictures is not None else {}
        self.extra_env = env or {}
        self.root = None
        self.workdir = None
        self.process = None
        self.window = None
        self._bare_screen = None

    def start(self):
        self.root = tempfile.mkdtemp(prefix="noughts-e2e-")
        self.workdir = os.path.join(self.root, "run")
        os.mkdir(self.workdir)
        for name, source in self.pictures.items():
            with open(os.path.join(self.workdir, name), "wb") as f:
                f.write(picture_bytes(source))
        command, env = [self.binary], dict(self.extra_env)
        if EMULATOR and self.binary == BINARY:
            command, env = emulated(self.binary, env)
        if is_windows_program(self.binary):
            command.insert(0, "wine")
            env = dict(WINE.env(self.x), **env)
        self._bare_screen = self.x.screen()
        with open(self._out_path("stdout"), "wb") as out, \
                open(self._out_path("stderr"), "wb") as err:
            self.process = subprocess.Popen(command + self.args, cwd=self.workdir,
                                            env=self.x.env(env), stdin=subprocess.DEVNULL,
                                            stdout=out, stderr=err, start_new_session=True)

    def stop(self):
        if self.process is not None:
            kill_group(self.process)
        if self.root is not None:
            shutil.rmtree(self.root, ignore_errors=True)
            self.root = None

    def _out_path(self, stream):
        return os.path.join(self.root, stream + ".txt")

    def _read(self, stream):
        """What the game wrote so far; a Windows program's CR LF line ends read as LF."""
        with open(self._out_path(stream), "rb") as f:
            text = f.read().decode(errors="replace")
        return text.replace("\r\n", "\n") if is_windows_program(self.binary) else text

    def stdout(self):
        return self._read("stdout")

    def stderr(self):
        return self._read("stderr")

    # -- process

    def alive(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        """Returns the exit status (negative: killed by that signal); fails if still running."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("game still running after %.1f s" % timeout) from None

    def stays_alive(self, seconds):
        """True if the game is still running after seconds (for checks that nothing ends it)."""
        try:
            self.process.wait(timeout=seconds)
            return False
        except subprocess.TimeoutExpired:
            return True

    def send_signal(self, sig):
        self.process.send_signal(sig)

    # -- window

    def find_window(self, timeout=START_TIMEOUT):
        """Waits for the game's mapped top-level window to show a picture, gives it the keyboard,
        returns its id."""
        # sdl12-compat's SDL2 maps a first window, alike in every property, and destroys it again
        # while setting the video mode. Nothing is drawn into it, so it shows the bare screen.
        def search():
            self._check_running()
            window = self.x.top_window({self.process.pid})
            if window is None:
                return None
            try:
                left, top, width, height = self.x.geometry(window)
                shown = self.x.capture(window)
            except (xerror.BadWindow, xerror.BadDrawable, xerror.BadMatch, WindowGone):
                return None  # unmapped or destroyed since it was found
            bare = self._bare_screen.crop(left, top, width, height)
            return window if shown.first_difference(bare) else None

        self.window = wait_until(search, timeout, "the game's window")
        self.focus()
        return self.window

    def _check_running(self):
        if not self.alive():
            raise HarnessError("game ended with status %d; stderr: %s" %
                               (self.process.returncode, self.stderr()))

    def geometry(self):
        """(x, y, width, height) of the window on the screen."""
        return self.x.geometry(self.window)

    def focus(self):
        self.x.focus(self.window)

    def icon_sizes(self):
        return self.x.icon_sizes(self.window)

    def capture(self):
        """The window's pixels as the X server shows them."""
        return self.x.capture(self.window)

    def send_close_request(self):
        self.x.send_close_request(self.window)

    def wait_for_image(self, expected, timeout=DEFAULT_TIMEOUT, name="expected"):
        """Polls captures until one equals expected pixel for pixel; returns it.

        On timeout saves the last capture and expected picture as PPM files and fails naming the
        first differing pixel.
        """
        last = [None]

        def matches():
            self._check_running()
            last[0] = self.capture()
            return last[0].first_difference(expected) is None

        try:
            wait_until(matches, timeout, "the window to show " + name)
        except HarnessError as error:
            raise HarnessError("%s; %s" % (error, self.save_mismatch(last[0], expected,
                                                                      name))) from None
        return last[0]

    def save_mismatch(self, actual, expected, name):
        os.makedirs(FAILURE_DIR, exist_ok=True)
        stem = os.path.join(FAILURE_DIR, "%s-%d-%d" % (name.replace(" ", "-"), os.getpid(),
                                                      next(_failure_numbers)))
        expected.save_ppm(stem + "-expected.ppm")
        if actual is None:
            return "no capture taken; expected saved as %s-expected.ppm" % stem
        actual.save_ppm(stem + "-actual.ppm")
        difference = actual.first_difference(expected) or "the window itself matches"
        return "%s; saved %s-actual.ppm and -expected.ppm" % (difference, stem)

    # -- input, through XTEST like a real keyboard and mouse

    def move_to(self, x, y):
        """Moves the pointer to (x, y) in window coordinates."""
        left, top, _, _ = self.geometry()
        target = (left + x, top + y)
        if self.x.pointer() != target:
            self.x.move_pointer(*target)
            if is_windows_program(self.binary):
                # Paces input as a hand does, not a check: a click at once after the move once
                # left the game's pointer image where an earlier motion had put it under Wine.
                time.sleep(WINE_MOTION_PAUSE)

    def warped(self, action, x, y, timeout=DEFAULT_TIMEOUT):
        """Does action, after which the game moves the pointer to (x, y) in window coordinates
        itself, and waits until it has: pointer input sent before that move lands would be
        overtaken by it. The pointer is first moved off that point, or the wait would prove
        nothing."""
        self.move_to(x + 1 if x + 1 < self.geometry()[2] else x - 1, y)
        action()
        if not game_moves_pointer():
            return
        left, top, _, _ = self.geometry()
        wait_until(lambda: self.x.pointer() == (left + x, top + y), timeout,
                   "the game to move the pointer to (%d, %d)" % (x, y))

    def click(self, button=1):
        self.x.click(button)

    def key(self, name):
        self.x.key(name)


# ---------------------------------------------------------------------------------------------
# Browsers, for the web build

BROWSER_TIMEOUT = 60.0
# What Emscripten gives the game as argv[0].
WEB_ARGV0 = "./this.program"
# One game pixel to one CSS pixel: the canvas scale is the largest whole number that fits.
WEB_VIEWPORT = (800, 600)
WEB_KEYS = {"space": " "}
DRIVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "web", "driver.mjs")


def is_web_page(binary):
    return binary.endswith(".html")


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def end_headers(self):
        # Each test sees the site as built: caching is the service worker's job alone.
        self.send_header("Cache-Control", "no-store")
        super().end_headers()


class SiteServer(Started):
    """Serves a folder on a loopback port it keeps across stop() and start(), so a test can
    take the site offline and bring it back."""

    def __init__(self, folder):
        self.folder = folder
        self.port = 0
        self.server = None
        self.thread = None

    def start(self):
        handler = functools.partial(_QuietHandler, directory=self.folder)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", self.port), handler)
        self.port = self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        if self.server is not None:
            self.server.shutdown()
            self.server.server_close()
            self.thread.join()
            self.server = None

    def url(self, page, args=()):
        query = urllib.parse.urlencode([("arg", arg) for arg in args])
        return "http://127.0.0.1:%d/%s%s" % (self.port, page, "?" + query if query else "")


class Browser(Started):
    """One headless browser for a whole test file; call() sends the driver one command."""

    def __init__(self, kind):
        self.kind = kind
        self.process = None
        self._log = None

    def start(self):
        self._log = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["node", DRIVER, self.kind], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=self._log,
                                        start_new_session=True)

    def stop(self):
        if self.process is not None:
            self.process.stdin.close()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                kill_group(self.process)
            self.process.stdout.close()
            self.process = None
        if self._log is not None:
            self._log.close()
            self._log = None

    def call(self, op, timeout=BROWSER_TIMEOUT, **arguments):
        self.process.stdin.write((json.dumps(dict(arguments, op=op)) + "\n").encode())
        self.process.stdin.flush()
        ready, _, _ = select.select([self.process.stdout], [], [], timeout)
        line = self.process.stdout.readline() if ready else b""
        if not line:
            self._log.seek(0)
            raise HarnessError("the %s driver gave no answer to %s within %.0f s: %s" % (
                self.kind, op, timeout, self._log.read().decode(errors="replace")[-2000:]))
        reply = json.loads(line)
        if not reply.pop("ok"):
            raise HarnessError("%s failed in %s: %s" % (op, self.kind, reply["error"]))
        return reply


class WebGame(Game):
    """The game in a page of the shared browser, with the same interface as Game. The game
    "exits" when the page says it has ended; that is the only end a page has."""

    def __init__(self, server, browser, args=(), viewport=WEB_VIEWPORT, leave_out=(), files=None,
                 touch_scale=None, early=None, ratio=None):
        self.server = server
        self.browser = browser
        self.args = list(args)
        self.viewport = viewport
        self.leave_out = list(leave_out)
        # A touch screen with this many device pixels to a CSS pixel, or a mouse (None).
        self.touch_scale = touch_scale
        # Device pixels to a CSS pixel with a mouse: a browser zoomed in, or a dense screen.
        self.ratio = ratio
        self.files = files or {}
        # JavaScript run in the page before its own scripts.
        self.early = early
        self.window = None

    def start(self):
        files = {name: base64.b64encode(data).decode() for name, data in self.files.items()}
        self.browser.call("open", url=self.server.url("index.html", self.args),
                          width=self.viewport[0], height=self.viewport[1],
                          leaveOut=self.leave_out, files=files, touch=self.touch_scale is not None,
                          deviceScaleFactor=self.touch_scale or self.ratio or 1,
                          early=self.early)

    def stop(self):
        pass  # the next test's page replaces this one

    def save_mismatch(self, actual, expected, name):
        """As a window's, with what the game itself holds: a screen that moved on tells a page
        not yet painted from input the game never got."""
        saved = super().save_mismatch(actual, expected, name)
        try:
            state = self.evaluate("[Module._ScreenShown(), Module._FramesRun(), "
                                  "Module._EventsPending(), "
                                  "!!(Module.SDLPage || {}).gamepadListed]")
        except HarnessError as error:
            return "%s; the game's state unread: %s" % (saved, error)
        return "%s; the game shows screen %d after %d frames, %d events waiting, %s" % (
            saved, state[0], state[1], state[2],
            "a gamepad listed" if state[3] else "no gamepad listed")

    def evaluate(self, script):
        return self.browser.call("evaluate", script=script)["value"]

    def stdout(self):
        return self.browser.call("output")["stdout"]

    def stderr(self):
        return self.browser.call("output")["stderr"]

    def loads(self):
        """How many pages this browser has loaded: a reload adds one."""
        return self.browser.call("output")["loads"]

    def alive(self):
        return not self.evaluate("!document.getElementById('ended').hidden")

    def _check_running(self):
        if not self.alive():
            raise HarnessError("the game has ended; console errors: %s" % self.stderr())

    def wait_exit(self, timeout=DEFAULT_TIMEOUT):
        wait_until(lambda: not self.alive(), timeout, "the page to say the game has ended")
        return 0

    def stays_alive(self, seconds):
        time.sleep(seconds)
        return self.alive()

    def find_window(self, timeout=BROWSER_TIMEOUT):
        """Waits until the game has run its first frame."""
        wait_until(lambda: self.evaluate("typeof Module == 'object' && !!Module.calledRun && "
                                         "Module._FramesRun() > 0"),
                   timeout, "the game's first frame in the page")
        self.window = "canvas"
        return self.window

    def geometry(self):
        width, height = self.evaluate("[canvas.width, canvas.height]")
        return 0, 0, width, height

    def focus(self):
        pass  # keys reach the game wherever the focus is

    def capture(self):
        reply = self.browser.call("capture")
        return Image(reply["width"], reply["height"], base64.b64decode(reply["rgb"]))

    def screenshot(self):
        """What the page shows at its own scale, as an Image of the whole viewport in device
        pixels."""
        png = base64.b64decode(self.browser.call("screenshot")["png"])
        rgb = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=png,
                             capture_output=True, check=True, timeout=TOOL_TIMEOUT).stdout
        # In device pixels: the size the PNG's header gives.
        width, height = struct.unpack(">II", png[16:24])
        return Image(width, height, rgb)

    def move_to(self, x, y):
        self.browser.call("move", x=x, y=y)

    def warped(self, action, x, y, timeout=DEFAULT_TIMEOUT):
        """A page cannot move the browser's pointer: SDL 1.2 moves the game's by an event, which
        the game handles in the frame that handles the action. Pointer input sent before that
        frame would be overtaken by it."""
        frames = self.evaluate("Module._FramesRun()")
        action()
        wait_until(lambda: self.evaluate("Module._FramesRun() > %d && !Module._EventsPending()"
                                         % frames), timeout,
                   "the game to move its pointer to (%d, %d)" % (x, y))

    def click(self, button=1):
        self.browser.call("click", button=button)

    def tap(self, *points, exact=False):
        """Taps each game pixel in turn, at once (exact: at each point of the game's plane, in
        or beside the canvas); returns where each finger landed, in game pixels (fractional
        where a game pixel is not a whole number of CSS pixels)."""
        return self.browser.call("tap", points=points, exact=exact)["spots"]

    def button(self, name, press=None):
        """The box of the button named name (left, top, width, height in CSS pixels), pressed
        by "tap", "click" or "activate" if asked."""
        box = self.browser.call("button", name=name, press=press)
        return box["left"], box["top"], box["width"], box["height"]

    def key(self, name):
        self.browser.call("key", name="+".join(WEB_KEYS.get(part, part)
                                               for part in name.split("+")))

    def reload(self):
        self.browser.call("reload")


# ---------------------------------------------------------------------------------------------
# Test cases and runner


class GameTestCase(unittest.TestCase):
    """Shares one X server among a file's tests; each test starts games of its own."""

    @classmethod
    def setUpClass(cls):
        if is_web_page(BINARY):
            cls.x = None
            cls.server = SiteServer(os.path.dirname(BINARY))
            cls.server.start()
            cls.addClassCleanup(cls.server.stop)
            cls.browser = Browser(os.environ.get("NOUGHTS_BROWSER", "chromium"))
            cls.browser.start()
            cls.addClassCleanup(cls.browser.stop)
            return
        cls.x = Wayland(WAYLAND) if WAYLAND else XServer()
        cls.x.start()
        cls.addClassCleanup(cls.x.stop)
        cls.addClassCleanup(WINE.stop_session)

    def start_game(self, args=(), pictures=None, env=None, window=True):
        """Starts the game (with the shipped pictures unless told otherwise), stopped after the
        test; with window, also waits for its window and gives it the keyboard."""
        if pictures is None:
            pictures = shipped_pictures(ASSETS)
        if is_web_page(BINARY):
            return self.start_page(args, pictures, env)
        game = Game(self.x, BINARY, args, pictures, env)
        self.addCleanup(game.stop)
        game.start()
        if window:
            game.find_window()
        return game

    def start_page(self, args, pictures, env, viewport=WEB_VIEWPORT, touch_scale=None,
                   early=None, window=True, ratio=None):
        """The web build's start_game: the site's pictures can be left out or others put in
        their place, and what else a page cannot be given is skipped; with window, waits for
        the game's first frame."""
        if env:
            self.skipTest("a page has no environment to give the game")
        shipped = shipped_pictures(ASSETS)
        leave_out = [name for name in PICTURE_NAMES if name not in pictures]
        files = {name: picture_bytes(source) for name, source in pictures.items()
                 if shipped.get(name) != source}
        game = WebGame(self.server, self.browser, args, viewport, leave_out, files, touch_scale,
                       early, ratio)
        game.start()
        if window:
            game.find_window()
        return game

    def skip_in_browser(self, reason):
        """Skips the running (sub)test for the web build, for reason."""
        if is_web_page(BINARY):
            self.skipTest(reason)

    @staticmethod
    def asset(name):
        """A shipped picture, read for comparison."""
        return read_bmp(os.path.join(ASSETS, name))

    _pictures = None

    @property
    def pictures(self):
        """Every shipped picture by name, read once for all the tests."""
        if GameTestCase._pictures is None:
            GameTestCase._pictures = {name: self.asset(name) for name in PICTURE_NAMES}
        return GameTestCase._pictures

    START_POINTER = (240, 136)  # the window's centre, where entering the field puts the pointer

    def enter_field(self, game):
        """Takes a game on its intro through the menu to the playing field; returns it once the
        game has put its pointer at START_POINTER, which would overtake pointer input sent
        before."""
        game.wait_for_image(self.pictures["intro.bmp"], name="intro")
        game.key("space")
        game.wait_for_image(self.pictures["menu.bmp"], name="menu")
        game.warped(lambda: game.key("space"), *self.START_POINTER)
        return game

    def skip_without_unix_signals(self):
        """Skips the running (sub)test for a Windows program: Wine turns no Unix signal into a
        quit request (SIGTERM kills it, SIGINT is ignored)."""
        if is_windows_program(BINARY):
            self.skipTest("a Windows program under Wine gets no Unix signals as quit requests")
        self.skip_in_browser("a page gets no signals")


def unwind_on_termination():
    """Makes SIGTERM and SIGHUP unwind normally, so every context manager still stops its
    processes."""
    def terminate(signum, _frame):
        raise SystemExit("terminated by signal %d" % signum)

    signal.signal(signal.SIGTERM, terminate)
    signal.signal(signal.SIGHUP, terminate)


def run_tests():
    """Entry point of a test file: argv is <noughts binary> <assets dir>, then any of
    unittest's own options and test names (the mutation run's order of tests).

    Sets BINARY, ASSETS and ARGV0 on this module and runs the file's unittest cases; a binary
    named *.exe is a Windows program and runs under Wine, and an index.html the web build's site,
    served from its folder. A terminating signal unwinds normally,
    so every context manager still stops its processes.
    """
    if len(sys.argv) < 3:
        sys.exit("usage: %s NOUGHTS_BINARY ASSETS_DIR [UNITTEST OPTIONS AND TESTS]" % sys.argv[0])
    global BINARY, ASSETS, ARGV0
    BINARY, ASSETS = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    ARGV0 = windows_path(BINARY) if is_windows_program(BINARY) else BINARY
    if is_web_page(BINARY):
        ARGV0 = WEB_ARGV0
    unwind_on_termination()
    try:
        unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)
    finally:
        WINE.remove()
