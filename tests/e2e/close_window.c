/* Asks a window to close the way a window manager does when the player clicks
 * the close button: a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW.
 * The game's window has to announce WM_DELETE_WINDOW in its WM_PROTOCOLS
 * property, otherwise a real window manager would kill the client instead of
 * asking, so that is checked first.
 *
 * Usage: close_window WINDOW_ID   (decimal, or hex with 0x)
 * Exit status: 0 sent, 1 bad usage or no display, 2 the window does not take
 * WM_DELETE_WINDOW.
 */
#include <stdio.h>
#include <stdlib.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

static int AnnouncesDelete(Display *display, Window window, Atom deleteWindow) {
    Atom *protocols = NULL;
    int count = 0;
    int found = 0;
    if (XGetWMProtocols(display, window, &protocols, &count)) {
        for (int i = 0; i < count; ++i) {
            if (protocols[i] == deleteWindow) {
                found = 1;
            }
        }
        XFree(protocols);
    }
    return found;
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
        return 1;
    }
    char *end = NULL;
    unsigned long id = strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0' || id == 0) {
        fprintf(stderr, "%s: not a window id: %s\n", argv[0], argv[1]);
        return 1;
    }
    Display *display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "%s: cannot open display\n", argv[0]);
        return 1;
    }
    Window window = (Window)id;
    Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (!AnnouncesDelete(display, window, deleteWindow)) {
        fprintf(stderr, "%s: window 0x%lx does not take WM_DELETE_WINDOW\n", argv[0], id);
        XCloseDisplay(display);
        return 2;
    }

    XEvent event = {0};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)deleteWindow;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
