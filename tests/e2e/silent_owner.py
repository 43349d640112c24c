"""Takes the X selection named in argv[1] (PRIMARY or CLIPBOARD) and never answers a request
for it: what a hung program holding the selection looks like. Prints "owner" once it owns it."""
import sys
import time

from Xlib import X, display

d = display.Display()
window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
window.set_selection_owner(d.intern_atom(sys.argv[1]), X.CurrentTime)
d.sync()
print("owner" if d.get_selection_owner(d.intern_atom(sys.argv[1])) == window else "not owner",
      flush=True)
while True:
    time.sleep(3600)
