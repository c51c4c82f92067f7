/* Native X input jig for end-to-end tests: moves the pointer with XTest at a
 * fixed rate for a fixed time (or until SIGTERM), sleeping to absolute
 * deadlines so the rate does not drift. Each move waits for the server to take
 * it, and at the end one line says what was really sent, so a test can tell a
 * jig that fell behind (a loaded machine) from a program that missed reports:
 *   sent=N span_s=S rate_hz=R late_max_ms=X late_mean_ms=Y late_events=K
 * (K: moves sent a whole period or more after their deadline).
 * Usage: xmotion_jig [-l LOG] [-p STEP] RATE_HZ SECONDS [DELAY_SECONDS]; LOG
 * is appended to, stderr without it. Without -p the pointer wanders +1 pixel
 * fifty times, then -1 fifty times; with -p it moves +STEP, -STEP, +STEP...,
 * a pattern a test can find again report for report. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

struct tally {
    long sent, late_events;
    double first_s, last_s, late_max_s, late_sum_s;
};

static volatile sig_atomic_t stop;
static void on_term(int sig) { (void)sig; stop = 1; }

static double seconds_of(const struct timespec* t) { return t->tv_sec + t->tv_nsec / 1e9; }

static void add_ns(struct timespec* t, long ns) {
    t->tv_nsec += ns;
    while (t->tv_nsec >= 1000000000L) {
        t->tv_nsec -= 1000000000L;
        t->tv_sec++;
    }
}

static void note_move(struct tally* t, const struct timespec* deadline, double period_s) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    double at = seconds_of(&now), late = at - seconds_of(deadline);
    if (late < 0)
        late = 0;
    if (t->sent == 0)
        t->first_s = at;
    t->last_s = at;
    t->sent++;
    t->late_sum_s += late;
    if (late > t->late_max_s)
        t->late_max_s = late;
    t->late_events += late >= period_s;
}

/* Move i: with a step, +step and -step alternately (a pattern a test can
 * match); without, +1 fifty times then -1 fifty times, never off screen. */
static int move_of(long i, int step) {
    if (step)
        return i % 2 ? -step : step;
    return (i / 50) % 2 ? -1 : 1;
}

static void move_at_rate(Display* dpy, double rate, long moves, double delay, int step, struct tally* t) {
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    add_ns(&next, (long)(delay * 1e9));
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    long period_ns = (long)(1e9 / rate);
    for (long i = 0; i < moves && !stop; i++) {
        XTestFakeRelativeMotionEvent(dpy, move_of(i, step), 0, CurrentTime);
        XSync(dpy, False); /* the server has made the event: it counts as sent */
        note_move(t, &next, period_ns / 1e9);
        add_ns(&next, period_ns);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    }
}

static void write_log(const char* path, const struct tally* t) {
    FILE* f = path ? fopen(path, "a") : stderr;
    if (!f) {
        perror(path);
        f = stderr;
    }
    double span = t->last_s - t->first_s;
    fprintf(f, "sent=%ld span_s=%.6f rate_hz=%.3f late_max_ms=%.3f late_mean_ms=%.3f late_events=%ld\n",
            t->sent, span, span > 0 ? (t->sent - 1) / span : 0, t->late_max_s * 1e3,
            t->sent ? t->late_sum_s * 1e3 / t->sent : 0, t->late_events);
    if (f != stderr)
        fclose(f);
}

int main(int argc, char** argv) {
    const char* log = NULL;
    int step = 0;
    for (; argc > 2 && argv[1][0] == '-' && argv[1][1] && !argv[1][2]; argv += 2, argc -= 2) {
        if (argv[1][1] == 'l')
            log = argv[2];
        else if (argv[1][1] == 'p')
            step = atoi(argv[2]);
        else
            break;
    }
    if (argc < 3 || step < 0) {
        fprintf(stderr, "usage: xmotion_jig [-l LOG] [-p STEP] RATE_HZ SECONDS [DELAY_SECONDS]\n");
        return 2;
    }
    double rate = atof(argv[1]), seconds = atof(argv[2]);
    double delay = argc > 3 ? atof(argv[3]) : 0;
    if (!(rate > 0) || !(seconds > 0)) {
        fprintf(stderr, "rate and seconds must be positive\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(NULL);
    int ev, er, maj, min;
    if (!dpy || !XTestQueryExtension(dpy, &ev, &er, &maj, &min)) {
        fprintf(stderr, dpy ? "no XTest extension\n" : "cannot open display\n");
        return 1;
    }
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = on_term;
    sigaction(SIGTERM, &sa, NULL);
    sigaction(SIGINT, &sa, NULL);
    struct tally t = {0};
    move_at_rate(dpy, rate, (long)(rate * seconds), delay, step, &t);
    XCloseDisplay(dpy);
    write_log(log, &t);
    return 0;
}
