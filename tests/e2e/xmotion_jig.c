/* Native X input jig for end-to-end tests: moves the pointer with XTest at a
 * fixed rate for a fixed time, sleeping to absolute deadlines so the rate does
 * not drift. Usage: xmotion_jig RATE_HZ SECONDS [DELAY_SECONDS] */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static void add_ns(struct timespec* t, long ns) {
    t->tv_nsec += ns;
    while (t->tv_nsec >= 1000000000L) {
        t->tv_nsec -= 1000000000L;
        t->tv_sec++;
    }
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s RATE_HZ SECONDS [DELAY_SECONDS]\n", argv[0]);
        return 2;
    }
    double rate = atof(argv[1]);
    double seconds = atof(argv[2]);
    double delay = argc > 3 ? atof(argv[3]) : 0;
    if (!(rate > 0) || !(seconds > 0)) {
        fprintf(stderr, "rate and seconds must be positive\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(NULL);
    if (!dpy) {
        fprintf(stderr, "cannot open display\n");
        return 1;
    }
    int ev, er, maj, min;
    if (!XTestQueryExtension(dpy, &ev, &er, &maj, &min)) {
        fprintf(stderr, "no XTest extension\n");
        return 1;
    }
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    add_ns(&next, (long)(delay * 1e9));
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);

    long period_ns = (long)(1e9 / rate);
    long moves = (long)(rate * seconds);
    for (long i = 0; i < moves; i++) {
        int dx = (i / 50) % 2 ? -1 : 1;  /* wander back and forth, never off screen */
        XTestFakeRelativeMotionEvent(dpy, dx, 0, CurrentTime);
        XFlush(dpy);
        add_ns(&next, period_ns);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    }
    XCloseDisplay(dpy);
    printf("moved %ld times at %.1f Hz\n", moves, rate);
    return 0;
}
