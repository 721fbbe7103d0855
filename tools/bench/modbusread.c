/*
 * korvel-bench-modbus: an independent Modbus RTU master (libmodbus) that
 * reads holding registers one at a time, the way the tool reads its
 * parameters, and prints how long each round took.
 *
 * Usage: korvel-bench-modbus PORT BAUD ADDRESS ROUNDS REGISTER...
 * Prints one line per round: the milliseconds all the reads took.
 * Exit status 1 when a read fails (the reason goes to stderr).
 */

#include <modbus.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double NowMs(void)
{
    struct timespec Now;
    clock_gettime(CLOCK_MONOTONIC, &Now);
    return (double)Now.tv_sec * 1000.0 + (double)Now.tv_nsec / 1e6;
}

int main(int argc, char **argv)
{
    if (argc < 6) {
        fprintf(stderr, "usage: %s PORT BAUD ADDRESS ROUNDS REGISTER...\n", argv[0]);
        return 2;
    }
    const int Baud = atoi(argv[2]);
    const int Address = atoi(argv[3]);
    const int Rounds = atoi(argv[4]);
    const int Count = argc - 5;

    modbus_t *Context = modbus_new_rtu(argv[1], Baud, 'N', 8, 1);
    if (!Context) {
        fprintf(stderr, "%s: modbus_new_rtu: %s\n", argv[0], modbus_strerror(errno));
        return 1;
    }
    /* The same bound as the tool's wait: 30 pauses of 50 ms. */
    modbus_set_response_timeout(Context, 1, 500000);
    if (modbus_set_slave(Context, Address) != 0 || modbus_connect(Context) != 0) {
        fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], modbus_strerror(errno));
        modbus_free(Context);
        return 1;
    }

    int Status = 0;
    for (int Round = 0; Round < Rounds && Status == 0; ++Round) {
        const double Start = NowMs();
        for (int I = 0; I < Count; ++I) {
            uint16_t Value = 0;
            const int Register = atoi(argv[5 + I]);
            if (modbus_read_registers(Context, Register, 1, &Value) != 1) {
                fprintf(stderr, "%s: reading register %d: %s\n", argv[0], Register, modbus_strerror(errno));
                Status = 1;
                break;
            }
        }
        if (Status == 0)
            printf("%.3f\n", NowMs() - Start);
        fflush(stdout);
    }
    modbus_close(Context);
    modbus_free(Context);
    return Status;
}
