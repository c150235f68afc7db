/* A gamepad made through uinput, for recording the fixtures in this folder
 * from a real kernel device (see record.sh):
 *
 *     pad xbox|generic     creates the pad, then reads lines from stdin:
 *                          "TYPE CODE VALUE" sends that event, "sync" a
 *                          SYN_REPORT, "wait MS" pauses; at the end of input
 *                          the pad is removed.
 *     pad probe NODE MS    makes the ioctls the game's input libraries make
 *                          when they open an evdev node, so that a recording
 *                          of them holds every answer a replay is asked for,
 *                          says "ready" on stdout and reads the node's events
 *                          for MS milliseconds.
 *
 * "xbox" reports what Linux's xpad driver reports for the common wired pad
 * (045e:028e): two sticks, two analogue triggers, the d-pad as a hat and
 * eleven buttons, with xpad's ranges, fuzz and flat. "generic" is a plain
 * pad with no known ids: one hat, two 8-bit axes and ten buttons. */
#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

struct axis { int code, min, max, fuzz, flat, rest; };

static const struct axis XboxAxes[] = {
    {ABS_X, -32768, 32767, 16, 128}, {ABS_Y, -32768, 32767, 16, 128},
    {ABS_RX, -32768, 32767, 16, 128}, {ABS_RY, -32768, 32767, 16, 128},
    {ABS_Z, 0, 255, 0, 0}, {ABS_RZ, 0, 255, 0, 0},
    {ABS_HAT0X, -1, 1, 0, 0}, {ABS_HAT0Y, -1, 1, 0, 0}, {-1}};
static const int XboxButtons[] = {BTN_A, BTN_B, BTN_X, BTN_Y, BTN_TL, BTN_TR, BTN_SELECT,
                                  BTN_START, BTN_MODE, BTN_THUMBL, BTN_THUMBR, -1};
static const struct axis GenericAxes[] = {
    {ABS_X, 0, 255, 0, 15, 128}, {ABS_Y, 0, 255, 0, 15, 128}, {ABS_HAT0X, -1, 1, 0, 0}, {ABS_HAT0Y, -1, 1, 0, 0}, {-1}};
static const int GenericButtons[] = {BTN_TRIGGER, BTN_THUMB, BTN_THUMB2, BTN_TOP, BTN_TOP2,
                                     BTN_PINKIE, BTN_BASE, BTN_BASE2, BTN_BASE3, BTN_BASE4, -1};

static void send(int fd, int type, int code, int value)
{
    struct input_event event = {.type = type, .code = code, .value = value};
    if (write(fd, &event, sizeof event) != sizeof event)
        perror("write");
}

static int make(int xbox)
{
    const struct axis* axes = xbox ? XboxAxes : GenericAxes;
    const int* buttons = xbox ? XboxButtons : GenericButtons;
    int fd = open("/dev/uinput", O_WRONLY);
    if (fd < 0)
        return perror("/dev/uinput"), 1;
    ioctl(fd, UI_SET_EVBIT, EV_KEY);
    ioctl(fd, UI_SET_EVBIT, EV_ABS);
    for (; *buttons >= 0; buttons++)
        ioctl(fd, UI_SET_KEYBIT, *buttons);
    for (; axes->code >= 0; axes++)
    {
        struct uinput_abs_setup setup = {.code = axes->code,
                                         .absinfo = {.minimum = axes->min, .maximum = axes->max,
                                                     .fuzz = axes->fuzz, .flat = axes->flat, .value = axes->rest}};
        ioctl(fd, UI_SET_ABSBIT, axes->code);
        ioctl(fd, UI_ABS_SETUP, &setup);
    }
    struct uinput_setup setup = {.id = {BUS_USB, xbox ? 0x045e : 0x1209, xbox ? 0x028e : 0x0001, xbox ? 0x0114 : 0x0100}};
    strcpy(setup.name, xbox ? "Generic X-Box pad" : "Generic USB gamepad");
    ioctl(fd, UI_DEV_SETUP, &setup);
    if (ioctl(fd, UI_DEV_CREATE) < 0)
        return perror("UI_DEV_CREATE"), 1;
    char line[128];
    int type, code, value;
    while (fgets(line, sizeof line, stdin))
    {
        if (sscanf(line, "wait %d", &value) == 1)
            nanosleep(&(struct timespec){value / 1000, value % 1000 * 1000000L}, NULL);
        else if (strncmp(line, "sync", 4) == 0)
            send(fd, EV_SYN, SYN_REPORT, 0);
        else if (sscanf(line, "%d %d %d", &type, &code, &value) == 3)
            send(fd, type, code, value);
    }
    ioctl(fd, UI_DEV_DESTROY);
    return close(fd);
}

/* Asks with a cleared buffer, so that a recording holds only the answer. */
static void ask(int fd, unsigned long request)
{
    unsigned char buffer[256] = {0};
    ioctl(fd, request, buffer);
}

static int probe(const char* node, int ms)
{
    int fd = open(node, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return perror(node), 1;
    /* A replay answers only an ioctl asked with the buffer size recorded, and
     * each library sizes its buffers its own way: ask with all of theirs. */
    static const int Types[] = {0, EV_KEY, EV_REL, EV_ABS, EV_MSC, EV_SW, EV_LED, EV_SND, EV_FF};
    static const int BitSizes[] = {4, 8, 16, 96, 128};
    static const int TextSizes[] = {64, 128, 256};
    ask(fd, EVIOCGVERSION);
    ask(fd, EVIOCGID);
    for (int abs = 0; abs < ABS_CNT; abs++)
        ask(fd, EVIOCGABS(abs));
    for (size_t s = 0; s < sizeof BitSizes / sizeof *BitSizes; s++)
    {
        for (size_t t = 0; t < sizeof Types / sizeof *Types; t++)
            ask(fd, EVIOCGBIT(Types[t], BitSizes[s]));
        ask(fd, EVIOCGKEY(BitSizes[s]));
        ask(fd, EVIOCGLED(BitSizes[s]));
        ask(fd, EVIOCGSW(BitSizes[s]));
        ask(fd, EVIOCGPROP(BitSizes[s]));
    }
    for (size_t s = 0; s < sizeof TextSizes / sizeof *TextSizes; s++)
    {
        ask(fd, EVIOCGNAME(TextSizes[s]));
        ask(fd, EVIOCGPHYS(TextSizes[s]));
        ask(fd, EVIOCGUNIQ(TextSizes[s]));
    }
    puts("ready");
    fflush(stdout);
    struct pollfd readable = {.fd = fd, .events = POLLIN};
    struct input_event event;
    struct timespec now, end;
    clock_gettime(CLOCK_MONOTONIC, &end);
    end.tv_sec += ms / 1000 + (end.tv_nsec + ms % 1000 * 1000000L) / 1000000000L;
    end.tv_nsec = (end.tv_nsec + ms % 1000 * 1000000L) % 1000000000L;
    do
    {
        if (poll(&readable, 1, 10) > 0 && read(fd, &event, sizeof event) != sizeof event)
            break;
        clock_gettime(CLOCK_MONOTONIC, &now);
    } while (now.tv_sec < end.tv_sec || (now.tv_sec == end.tv_sec && now.tv_nsec < end.tv_nsec));
    return close(fd);
}

int main(int argc, char** argv)
{
    if (argc == 2 && (!strcmp(argv[1], "xbox") || !strcmp(argv[1], "generic")))
        return make(!strcmp(argv[1], "xbox"));
    if (argc == 4 && !strcmp(argv[1], "probe"))
        return probe(argv[2], atoi(argv[3]));
    fprintf(stderr, "usage: %s xbox|generic  or  %s probe NODE MS\n", argv[0], argv[0]);
    return 2;
}
