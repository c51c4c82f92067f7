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
 * a pattern a test can find again report for report.
 * xmotion_jig [-l LOG] -b plays a button script instead (button_script:
 * clicks, a few bouncing 4 ms after their release, and a fast scroll with
 * lone notches against it), then logs the lines the program's summary should
 * show for what was really sent, as it words them (Button NAME: ..., Wheel:
 * ..., chatter below 10 ms; each button's release-to-press times after its
 * line), before the line above (its moves: the events). */
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

/* One X button event of the script, at_ms after its start. Buttons 4 and 5
 * are the wheel (a notch up, down: only the press makes one), 8 and 9 back
 * and forward. */
struct button_event {
    double at_ms;
    int button, down;
};
enum { SCRIPT_EVENTS = 128 };

static int add_click(struct button_event* e, int n, double at_ms, int button, double held_ms) {
    e[n] = (struct button_event){at_ms, button, 1};
    e[n + 1] = (struct button_event){at_ms + held_ms, button, 0};
    return n + 2;
}

/* Ten left clicks held 60 ms, 200 ms apart, three of them pressed again 4 ms
 * after their release for 15 ms (a bouncing switch); three right clicks held
 * 80 ms; two back clicks held 50 ms; twenty notches 25 ms apart, down but for
 * two lone ones up. */
static int button_script(struct button_event* e) {
    int n = 0;
    double t = 0;
    for (int i = 0; i < 10; i++, t += 200) {
        n = add_click(e, n, t, 1, 60);
        if (i % 3 == 2)
            n = add_click(e, n, t + 64, 1, 15);
    }
    for (int i = 0; i < 3; i++, t += 230)
        n = add_click(e, n, t, 3, 80);
    for (int i = 0; i < 2; i++, t += 170)
        n = add_click(e, n, t, 8, 50);
    for (int i = 0; i < 20; i++, t += 25)
        n = add_click(e, n, t, i == 6 || i == 14 ? 4 : 5, 1);
    return n;
}

static int by_value(const void* a, const void* b) {
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

/* The summary's line of X button `button` from the times (ms) its events
 * were really sent, then "Gaps NAME: ..." with every release-to-press time,
 * so that a check can count chatter by another threshold; nothing when it was
 * not pressed. */
static void write_button_line(FILE* f, const char* name, int button, const struct button_event* e,
                              const double* sent, int n) {
    double held[SCRIPT_EVENTS], gaps[SCRIPT_EVENTS], down_at = -1, up_at = -1, gap_min = -1;
    int presses = 0, holds = 0, chatter = 0, gap_n = 0;
    for (int i = 0; i < n; i++) {
        if (e[i].button != button)
            continue;
        if (e[i].down) {
            presses++;
            if (up_at >= 0) {
                double gap = sent[i] - up_at;
                gaps[gap_n++] = gap;
                gap_min = gap_min < 0 || gap < gap_min ? gap : gap_min;
                chatter += gap < 10.0;
            }
            down_at = sent[i];
        } else {
            held[holds++] = sent[i] - down_at;
            up_at = sent[i];
        }
    }
    if (!presses)
        return;
    qsort(held, holds, sizeof held[0], by_value);
    fprintf(f, "Button %s: presses=%d held_p50_ms=%.1f held_min_ms=%.1f release_to_press_min_ms=%.1f "
            "chatter=%d\n", name, presses, held[(holds + 1) / 2 - 1], held[0], gap_min, chatter);
    fprintf(f, "Gaps %s:", name);
    for (int k = 0; k < gap_n; k++)
        fprintf(f, " %.3f", gaps[k]);
    fprintf(f, "\n");
}

/* A notch against both its neighbours, each within 100 ms, is a reversal. */
static void write_wheel_line(FILE* f, const struct button_event* e, const double* sent, int n) {
    int dir[SCRIPT_EVENTS], notches = 0, up = 0, reversals = 0;
    double at[SCRIPT_EVENTS];
    for (int i = 0; i < n; i++) {
        if (e[i].down && (e[i].button == 4 || e[i].button == 5)) {
            dir[notches] = e[i].button == 4 ? 1 : -1;
            up += e[i].button == 4;
            at[notches++] = sent[i];
        }
    }
    for (int k = 1; k + 1 < notches; k++)
        reversals += dir[k] != dir[k - 1] && dir[k] != dir[k + 1] && at[k] - at[k - 1] <= 100 &&
                     at[k + 1] - at[k] <= 100;
    fprintf(f, "Wheel: notches=%d down=%d up=%d reversals=%d\n", notches, notches - up, up, reversals);
}

static FILE* open_log(const char* path) {
    FILE* f = path ? fopen(path, "a") : stderr;
    if (!f) {
        perror(path);
        f = stderr;
    }
    return f;
}

static void write_log(const char* path, const struct tally* t);

static void play_buttons(Display* dpy, double delay, const char* log) {
    struct button_event e[SCRIPT_EVENTS];
    double sent[SCRIPT_EVENTS];
    int n = button_script(e);
    struct tally t = {0};
    struct timespec start, next;
    clock_gettime(CLOCK_MONOTONIC, &start);
    add_ns(&start, (long)(delay * 1e9));
    for (int i = 0; i < n && !stop; i++) {
        next = start;
        add_ns(&next, (long)(e[i].at_ms * 1e6));
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
        XTestFakeButtonEvent(dpy, e[i].button, e[i].down, CurrentTime);
        XSync(dpy, False);
        note_move(&t, &next, 1.0);
        sent[i] = (t.last_s - seconds_of(&start)) * 1e3;
    }
    FILE* f = open_log(log);
    const char* names[] = {"left", "right", "middle", "back", "forward"};
    const int buttons[] = {1, 3, 2, 8, 9};
    for (int b = 0; b < 5; b++)
        write_button_line(f, names[b], buttons[b], e, sent, (int)t.sent);
    write_wheel_line(f, e, sent, (int)t.sent);
    if (f != stderr)
        fclose(f);
    write_log(log, &t);
}

static void write_log(const char* path, const struct tally* t) {
    FILE* f = open_log(path);
    double span = t->last_s - t->first_s;
    fprintf(f, "sent=%ld span_s=%.6f rate_hz=%.3f late_max_ms=%.3f late_mean_ms=%.3f late_events=%ld\n",
            t->sent, span, span > 0 ? (t->sent - 1) / span : 0, t->late_max_s * 1e3,
            t->sent ? t->late_sum_s * 1e3 / t->sent : 0, t->late_events);
    if (f != stderr)
        fclose(f);
}

int main(int argc, char** argv) {
    const char* log = NULL;
    int step = 0, buttons = 0;
    for (; argc > 1 && argv[1][0] == '-' && argv[1][1] && !argv[1][2]; argv += 2, argc -= 2) {
        if (argv[1][1] == 'b') {
            buttons = 1;
            argv--, argc++;  /* no value */
        } else if (argc > 2 && argv[1][1] == 'l') {
            log = argv[2];
        } else if (argc > 2 && argv[1][1] == 'p') {
            step = atoi(argv[2]);
        } else {
            break;
        }
    }
    if ((argc < 3 && !buttons) || step < 0) {
        fprintf(stderr, "usage: xmotion_jig [-l LOG] [-p STEP] RATE_HZ SECONDS [DELAY_SECONDS]\n"
                        "       xmotion_jig [-l LOG] -b [DELAY_SECONDS]\n");
        return 2;
    }
    double rate = buttons ? 1 : atof(argv[1]), seconds = buttons ? 1 : atof(argv[2]);
    double delay = buttons ? (argc > 1 ? atof(argv[1]) : 0) : argc > 3 ? atof(argv[3]) : 0;
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
    if (buttons) {
        play_buttons(dpy, delay, log);
        XCloseDisplay(dpy);
        return 0;
    }
    struct tally t = {0};
    move_at_rate(dpy, rate, (long)(rate * seconds), delay, step, &t);
    XCloseDisplay(dpy);
    write_log(log, &t);
    return 0;
}
