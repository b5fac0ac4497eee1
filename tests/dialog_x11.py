"""X helpers for the end-to-end tests, standard library only.

  png WINDOW OUT.png           screenshot of a window (through xwd) as an RGB PNG
  compare SHOT.png REF.png N   exit 1 when more than N pixels differ clearly
  cursor                       visible pixels of the pointer's current cursor image
  close WINDOW                 asks a window to close, as a window manager's close button does
  key WINDOW KEYSYM            sends a key press and release straight to a window
"""
import ctypes
import struct
import subprocess
import sys
import zlib

# A pixel differs clearly when a channel is off by more than this (smoothed edges vary less).
CHANNEL_TOLERANCE = 48
DIRECTCOLOR = 5


def readxwd(data):
    header = struct.unpack('>25I', data[:100])
    size, width, height = header[0], header[4], header[5]
    byteorder, bitsperpixel, bytesperline = header[7], header[11], header[12]
    visualclass, masks, colours = header[13], header[14:17], header[19]
    if bitsperpixel not in (24, 32):
        sys.exit('dialog_x11: %d bits per pixel are not handled' % bitsperpixel)
    step = bitsperpixel // 8
    shifts = [(mask & -mask).bit_length() - 1 for mask in masks]
    # A DirectColor window's channels go through its colour map (SDL's gamma ramp).
    ramps = None
    if visualclass == DIRECTCOLOR and colours:
        entries = [struct.unpack('>IHHHBB', data[size + i * 12:size + i * 12 + 12])
                   for i in range(colours)]
        ramps = [[entry[1 + c] >> 8 for entry in entries] for c in range(3)]
    endian = 'little' if byteorder == 0 else 'big'
    start = size + colours * 12
    rows = []
    for y in range(height):
        line = data[start + y * bytesperline:start + y * bytesperline + width * step]
        row = bytearray()
        for x in range(0, len(line), step):
            pixel = int.from_bytes(line[x:x + step], endian)
            for c in range(3):
                value = (pixel & masks[c]) >> shifts[c]
                row.append(ramps[c][value] if ramps else value)
        rows.append(bytes(row))
    return width, height, rows


def chunk(tag, body):
    return struct.pack('>I', len(body)) + tag + body + struct.pack('>I', zlib.crc32(tag + body))


def writepng(path, width, height, rows):
    header = struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)
    raw = b''.join(b'\0' + row for row in rows)
    with open(path, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                  chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def readpng(path):
    """Reads what writepng writes: 8-bit RGB, every row unfiltered."""
    data = open(path, 'rb').read()
    at, idat, header = 8, b'', None
    while at < len(data):
        length, tag = struct.unpack('>I4s', data[at:at + 8])
        if tag == b'IHDR':
            header = data[at + 8:at + 8 + 13]
        elif tag == b'IDAT':
            idat += data[at + 8:at + 8 + length]
        at += 12 + length
    width, height = struct.unpack('>II', header[:8])
    stride = width * 3 + 1
    raw = zlib.decompress(idat)
    rows = [raw[y * stride:(y + 1) * stride] for y in range(height)]
    if header[8:13] != b'\x08\x02\x00\x00\x00' or any(row[0] for row in rows):
        sys.exit('dialog_x11: %s is not an unfiltered 8-bit RGB PNG' % path)
    return width, height, [row[1:] for row in rows]


def compare(shot, reference, allowed):
    w1, h1, rows1 = readpng(shot)
    w2, h2, rows2 = readpng(reference)
    if (w1, h1) != (w2, h2):
        print('dialog_x11: %s is %dx%d, %s is %dx%d' % (shot, w1, h1, reference, w2, h2))
        return 1
    differing = sum(1 for row1, row2 in zip(rows1, rows2) for x in range(0, 3 * w1, 3)
                    if max(abs(p - q) for p, q in zip(row1[x:x + 3], row2[x:x + 3]))
                    > CHANNEL_TOLERANCE)
    print('dialog_x11: %d of %d pixels differ (at most %d allowed)' % (differing, w1 * h1, allowed))
    return 0 if differing <= allowed else 1


class CursorImage(ctypes.Structure):
    _fields_ = [('x', ctypes.c_short), ('y', ctypes.c_short),
                ('width', ctypes.c_ushort), ('height', ctypes.c_ushort),
                ('xhot', ctypes.c_ushort), ('yhot', ctypes.c_ushort),
                ('serial', ctypes.c_ulong), ('pixels', ctypes.POINTER(ctypes.c_ulong)),
                ('atom', ctypes.c_ulong), ('name', ctypes.c_char_p)]


# The fields every X event starts with, then those of a client message or a key event.
EVENTHEAD = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
             ('display', ctypes.c_void_p), ('window', ctypes.c_ulong)]


class ClientMessage(ctypes.Structure):
    _fields_ = EVENTHEAD + [('message_type', ctypes.c_ulong), ('format', ctypes.c_int),
                            ('data', ctypes.c_long * 5), ('pad', ctypes.c_long * 12)]


class KeyEvent(ctypes.Structure):
    _fields_ = EVENTHEAD + [('root', ctypes.c_ulong), ('subwindow', ctypes.c_ulong),
                            ('time', ctypes.c_ulong), ('x', ctypes.c_int), ('y', ctypes.c_int),
                            ('x_root', ctypes.c_int), ('y_root', ctypes.c_int),
                            ('state', ctypes.c_uint), ('keycode', ctypes.c_uint),
                            ('same_screen', ctypes.c_int), ('pad', ctypes.c_long * 16)]


def openx():
    xlib = ctypes.CDLL('libX11.so.6')
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.c_void_p]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit('dialog_x11: cannot open the display')
    return xlib, display


def visiblecursorpixels():
    xlib, display = openx()
    xfixes = ctypes.CDLL('libXfixes.so.3')
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    image = xfixes.XFixesGetCursorImage(display).contents
    visible = sum(1 for i in range(image.width * image.height) if image.pixels[i] >> 24)
    xlib.XCloseDisplay(display)
    return visible


def closewindow(window):
    xlib, display = openx()
    message = ClientMessage(type=33, window=window, format=32)  # 33: ClientMessage
    message.message_type = xlib.XInternAtom(display, b'WM_PROTOCOLS', 0)
    message.data[0] = xlib.XInternAtom(display, b'WM_DELETE_WINDOW', 0)
    xlib.XSendEvent(display, window, 0, 0, ctypes.byref(message))
    xlib.XSync(display, 0)
    xlib.XCloseDisplay(display)


def sendkey(window, keysym):
    # Unlike xdotool, never looks up the focus (without a window manager it finds only the root).
    xlib, display = openx()
    xlib.XStringToKeysym.restype = ctypes.c_ulong
    xlib.XStringToKeysym.argtypes = [ctypes.c_char_p]
    xlib.XKeysymToKeycode.restype = ctypes.c_ubyte
    xlib.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    keycode = xlib.XKeysymToKeycode(display, xlib.XStringToKeysym(keysym.encode()))
    if not keycode:
        sys.exit('dialog_x11: no key for %s' % keysym)
    event = KeyEvent(window=window, root=xlib.XDefaultRootWindow(display), keycode=keycode,
                     same_screen=1)
    for kind, mask in ((2, 1 << 0), (3, 1 << 1)):  # KeyPress, KeyRelease and their masks
        event.type = kind
        if not xlib.XSendEvent(display, window, 1, mask, ctypes.byref(event)):
            sys.exit('dialog_x11: could not send %s to window %#x' % (keysym, window))
    xlib.XSync(display, 0)
    xlib.XCloseDisplay(display)


def main(args):
    if args[:1] == ['png'] and len(args) == 3:
        xwd = subprocess.run(['xwd', '-silent', '-id', args[1]], check=True,
                             stdout=subprocess.PIPE).stdout
        writepng(args[2], *readxwd(xwd))
    elif args[:1] == ['compare'] and len(args) == 4:
        return compare(args[1], args[2], int(args[3]))
    elif args == ['cursor']:
        print(visiblecursorpixels())
    elif args[:1] == ['key'] and len(args) == 3:
        sendkey(int(args[1], 0), args[2])
    elif args[:1] == ['close'] and len(args) == 2:
        closewindow(int(args[1], 0))
    else:
        sys.exit(__doc__)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
