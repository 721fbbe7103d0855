/*
 * Modem lines for a pseudo-terminal, preloaded into Wine (LD_PRELOAD) by
 * scripts/windows-smoke.sh. Test-side only: never built into, nor shipped
 * with, anything an operator gets.
 *
 * Why it exists: a pseudo-terminal has no modem lines, so ioctl(TIOCMGET)
 * on it fails with ENOTTY. Wine's serial layer asks for the modem lines
 * while it waits for a comm event, and on that failure it cancels the wait;
 * Qt's serial port on Windows then gets ERROR_OPERATION_ABORTED for its
 * WaitCommEvent and reports ResourceError, and the window closes the port
 * as it would for an adapter pulled out. A real COM port has modem lines.
 * Here the four modem-line requests, where the real call fails with
 * ENOTTY, answer as a port with DTR, RTS, CTS, DSR and CD up; every other
 * call, and every call on a real terminal, goes through unchanged.
 *
 * Built by the smoke test as a shared object:
 *     cc -shared -fPIC -O2 -o pty-modem-lines.so pty-modem-lines.c
 * (libc alone; dlsym is in glibc's libc since 2.34).
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>

typedef int (*IoctlFn)(int, unsigned long, ...);

int ioctl(int Fd, unsigned long Request, ...)
{
    static IoctlFn Real;
    va_list Args;
    void *Arg;
    int Result;

    va_start(Args, Request);
    Arg = va_arg(Args, void *);
    va_end(Args);
    if (!Real)
        Real = (IoctlFn)dlsym(RTLD_NEXT, "ioctl");
    Result = Real(Fd, Request, Arg);
    if (Result == -1 && errno == ENOTTY) {
        switch (Request) {
        case TIOCMGET:
            *(int *)Arg = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CD;
            return 0;
        case TIOCMSET:
        case TIOCMBIS:
        case TIOCMBIC:
            return 0;
        }
    }
    return Result;
}
