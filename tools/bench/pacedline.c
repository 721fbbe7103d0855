/*
 * korvel-bench-line: the master's half of a serial line, paced.
 *
 * A pseudo-terminal hands whatever the master writes to the far end at
 * once, while a real line carries it at 10 bits a byte. This program sits
 * between a master and the device simulator: it creates a pseudo-terminal
 * for the master (its slave path is the first line on stdout), passes each
 * byte the master writes on to DEVICE once the line would have carried it,
 * and passes the device's bytes back as they come (the simulator paces its
 * own replies). It runs as a process of its own, so the pacing does not
 * depend on the event loop of the program being measured.
 *
 * Usage: korvel-bench-line DEVICE BAUD
 * Ends on SIGINT or SIGTERM, or when DEVICE goes away.
 */

#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#define QUEUE_SIZE 65536

static volatile sig_atomic_t Stop = 0;

static void OnSignal(int Signal)
{
    (void)Signal;
    Stop = 1;
}

static long long NowNs(void)
{
    struct timespec Now;
    clock_gettime(CLOCK_MONOTONIC, &Now);
    return (long long)Now.tv_sec * 1000000000LL + Now.tv_nsec;
}

static int MakeRaw(int Fd)
{
    struct termios Mode;
    if (tcgetattr(Fd, &Mode) != 0)
        return -1;
    cfmakeraw(&Mode);
    Mode.c_cflag |= CLOCAL | CREAD;
    Mode.c_cc[VMIN] = 1;
    Mode.c_cc[VTIME] = 0;
    return tcsetattr(Fd, TCSANOW, &Mode);
}

/* Writes everything, waiting briefly while the pty is full. */
static int WriteAll(int Fd, const unsigned char *Bytes, size_t Size)
{
    while (Size > 0) {
        const ssize_t Put = write(Fd, Bytes, Size);
        if (Put > 0) {
            Bytes += Put;
            Size -= (size_t)Put;
        } else if (Put < 0 && (errno == EAGAIN || errno == EINTR)) {
            struct pollfd Wait = {Fd, POLLOUT, 0};
            poll(&Wait, 1, 5);
        } else {
            return -1;
        }
    }
    return 0;
}

/* Bytes on their way to the device, each with the moment its last bit
 * has crossed the line. */
struct Paced {
    unsigned char Queue[QUEUE_SIZE];
    long long Due[QUEUE_SIZE];
    size_t Head, Tail;
    long long LineFree, CharNs;
};

/* Hands over every byte that has arrived by now; -1 when the device
 * refused it. */
static int HandOver(struct Paced *P, int Device)
{
    const long long Now = NowNs();
    size_t Ready = 0;
    while (P->Head + Ready < P->Tail && P->Due[(P->Head + Ready) % QUEUE_SIZE] <= Now)
        ++Ready;
    while (Ready > 0) {
        const size_t Start = P->Head % QUEUE_SIZE;
        const size_t Run = Start + Ready > QUEUE_SIZE ? QUEUE_SIZE - Start : Ready;
        if (WriteAll(Device, P->Queue + Start, Run) != 0)
            return -1;
        P->Head += Run;
        Ready -= Run;
    }
    return 0;
}

/* How long to sleep: until the next byte is due, or (NULL) until
 * something happens. */
static struct timespec *NextDue(const struct Paced *P, struct timespec *Timeout)
{
    if (P->Head == P->Tail)
        return NULL;
    long long Wait = P->Due[P->Head % QUEUE_SIZE] - NowNs();
    if (Wait < 0)
        Wait = 0;
    Timeout->tv_sec = (time_t)(Wait / 1000000000LL);
    Timeout->tv_nsec = (long)(Wait % 1000000000LL);
    return Timeout;
}

/* Queues what the master wrote, each byte due a character's time after
 * the line is free. */
static void Take(struct Paced *P, int Master)
{
    unsigned char Buffer[4096];
    for (;;) {
        const ssize_t Got = read(Master, Buffer, sizeof Buffer);
        if (Got <= 0)
            return;
        const long long Arrived = NowNs();
        for (ssize_t I = 0; I < Got; ++I) {
            if (P->Tail - P->Head >= QUEUE_SIZE)
                break; /* a master that floods the line loses bytes, as on a real one */
            const long long Begin = P->LineFree > Arrived ? P->LineFree : Arrived;
            P->LineFree = Begin + P->CharNs;
            P->Queue[P->Tail % QUEUE_SIZE] = Buffer[I];
            P->Due[P->Tail % QUEUE_SIZE] = P->LineFree;
            ++P->Tail;
        }
    }
}

/* Until a signal or the simulator's end; 1 on a failure, named. */
static int Pace(struct Paced *P, int Device, int Master, const char *Program)
{
    unsigned char Buffer[4096];
    while (!Stop) {
        if (HandOver(P, Device) != 0) {
            fprintf(stderr, "%s: writing to the device: %s\n", Program, strerror(errno));
            return 1;
        }
        struct timespec Timeout;
        struct pollfd Watch[2] = {{Master, POLLIN, 0}, {Device, POLLIN, 0}};
        if (ppoll(Watch, 2, NextDue(P, &Timeout), NULL) < 0) {
            if (errno == EINTR)
                continue;
            perror("ppoll");
            return 1;
        }
        if (Watch[0].revents & POLLIN)
            Take(P, Master);
        if (Watch[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t Got = read(Device, Buffer, sizeof Buffer);
            if (Got > 0) {
                /* Nobody listening: the reply is lost, as on a real line. */
                const ssize_t Put = write(Master, Buffer, (size_t)Got);
                (void)Put;
            } else if (Got == 0 || (errno != EAGAIN && errno != EINTR)) {
                break; /* the simulator has gone */
            }
        }
    }
    return 0;
}

/* The pseudo-terminal the program measured opens; its name in *Name. */
static int OpenPty(int *Master, int *Slave, const char **Name)
{
    *Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (*Master < 0 || grantpt(*Master) != 0 || unlockpt(*Master) != 0) {
        perror("posix_openpt");
        return -1;
    }
    *Name = ptsname(*Master);
    /* Kept open, so that the master never reads end-of-line while the
     * program being measured has its port closed. */
    *Slave = *Name ? open(*Name, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    if (*Slave < 0 || MakeRaw(*Slave) != 0) {
        perror("pseudo-terminal slave");
        return -1;
    }
    fcntl(*Master, F_SETFL, fcntl(*Master, F_GETFL) | O_NONBLOCK);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s DEVICE BAUD\n", argv[0]);
        return 2;
    }
    const long Baud = strtol(argv[2], NULL, 10);
    if (Baud < 50 || Baud > 4000000) {
        fprintf(stderr, "%s: bad baud rate '%s'\n", argv[0], argv[2]);
        return 2;
    }
    const int Device = open(argv[1], O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Device < 0 || MakeRaw(Device) != 0) {
        fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], strerror(errno));
        return 1;
    }
    int Master, Slave;
    const char *SlaveName;
    if (OpenPty(&Master, &Slave, &SlaveName) != 0)
        return 1;

    struct sigaction Action;
    memset(&Action, 0, sizeof Action);
    Action.sa_handler = OnSignal;
    sigaction(SIGINT, &Action, NULL);
    sigaction(SIGTERM, &Action, NULL);
    signal(SIGPIPE, SIG_IGN);

    printf("%s\n", SlaveName);
    fflush(stdout);

    static struct Paced P;
    P.CharNs = 10LL * 1000000000LL / Baud;
    const int Status = Pace(&P, Device, Master, argv[0]);
    close(Slave);
    close(Master);
    close(Device);
    return Status;
}
