# The X keyboard map the cases type with, on the display in $DISPLAY.
import ast
import ctypes
import inspect

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)


# A program reads the X keyboard map when it starts and again whenever the map changes. For a
# character missing from the map, xdotool binds a spare keycode just before pressing it and restores
# the map right after: a program that reads the key before it has taken in the new map (Wine under
# emulation is slow to) sees a key that means nothing. So every character beyond ASCII that the cases
# type gets a keycode of its own before any program starts, and the map stays as it is. Only those:
# Wine gives such keys virtual key codes from a small pool (eight here), past which a key types nothing.
class Keyboard:
    def __init__(self, cases):
        self.characters = {c for case in cases for call in ast.walk(ast.parse(inspect.getsource(case)))
                           if isinstance(call, ast.Call) and getattr(call.func, "attr", None) == "type"
                           for node in ast.walk(call) if isinstance(getattr(node, "value", None), str)
                           for c in node.value if c > "\x7f"}
        # Held open until the harness ends: an X server whose last client leaves resets its map.
        self.display = ctypes.c_void_p(x11.XOpenDisplay(None))
        low, high, width = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        x11.XDisplayKeycodes(self.display, ctypes.byref(low), ctypes.byref(high))
        syms = x11.XGetKeyboardMapping(self.display, low.value, high.value - low.value + 1, ctypes.byref(width))
        rows = [syms[i * width.value:(i + 1) * width.value] for i in range(high.value - low.value + 1)]
        x11.XFree(syms)
        spare = iter(low.value + i for i, row in enumerate(rows) if not any(row))
        # Keysyms: Latin 1 by its code, the rest of Unicode above 0x1000000.
        for sym in {ord(c) if ord(c) < 0x100 else 0x1000000 + ord(c) for c in self.characters}.difference(*rows):
            x11.XChangeKeyboardMapping(self.display, next(spare), 1, (ctypes.c_ulong * 1)(sym), 1)
        x11.XSync(self.display, 0)
