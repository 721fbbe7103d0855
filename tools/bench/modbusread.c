/*
 * korvel-bench-modbus: an independent Modbus RTU master (libmodbus) that
 * runs the four exchanges the way the tool does, one transaction after the
 * other, and prints how long each took.
 *
 * Usage: korvel-bench-modbus PORT BAUD ADDRESS ROUNDS COMMAND PARAMCODE
 *            EIDCODE EIDFIRST EIDREGISTERS BLOCKREGISTERS REGISTER...
 * A round: the REGISTERs read one at a time; the values read written back
 * one at a time, then PARAMCODE to COMMAND; EIDREGISTERS from EIDFIRST read
 * in blocks of BLOCKREGISTERS; the values read written back in the same
 * blocks, then EIDCODE to COMMAND. Prints one line per round: the
 * milliseconds of each of the four, in that order.
 * Exit status 1 when a transaction fails (the reason goes to stderr).
 */

#include <modbus.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#define MAX_REGISTERS 1024

static double NowMs(void)
{
    struct timespec Now;
    clock_gettime(CLOCK_MONOTONIC, &Now);
    return (double)Now.tv_sec * 1000.0 + (double)Now.tv_nsec / 1e6;
}

static int Failed(const char *What, int Register)
{
    fprintf(stderr, "korvel-bench-modbus: %s register %d: %s\n", What, Register, modbus_strerror(errno));
    return 1;
}

int main(int argc, char **argv)
{
    if (argc < 12) {
        fprintf(stderr, "usage: %s PORT BAUD ADDRESS ROUNDS COMMAND PARAMCODE EIDCODE EIDFIRST "
                        "EIDREGISTERS BLOCKREGISTERS REGISTER...\n", argv[0]);
        return 2;
    }
    const int Baud = atoi(argv[2]);
    const int Address = atoi(argv[3]);
    const int Rounds = atoi(argv[4]);
    const int Command = atoi(argv[5]);
    const int ParamCode = atoi(argv[6]);
    const int EidCode = atoi(argv[7]);
    const int EidFirst = atoi(argv[8]);
    const int EidRegisters = atoi(argv[9]);
    const int Block = atoi(argv[10]);
    const int Count = argc - 11;
    if (Count > MAX_REGISTERS || EidRegisters > MAX_REGISTERS || Block < 1 || Block > 123) {
        fprintf(stderr, "%s: too many registers\n", argv[0]);
        return 2;
    }
    int Registers[MAX_REGISTERS];
    for (int I = 0; I < Count; ++I)
        Registers[I] = atoi(argv[11 + I]);

    modbus_t *Context = modbus_new_rtu(argv[1], Baud, 'N', 8, 1);
    if (!Context) {
        fprintf(stderr, "%s: modbus_new_rtu: %s\n", argv[0], modbus_strerror(errno));
        return 1;
    }
    /* The same bound as the tool's wait: 1.5 s. */
    modbus_set_response_timeout(Context, 1, 500000);
    if (modbus_set_slave(Context, Address) != 0 || modbus_connect(Context) != 0) {
        fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], modbus_strerror(errno));
        modbus_free(Context);
        return 1;
    }

    static uint16_t Params[MAX_REGISTERS], Eids[MAX_REGISTERS];
    int Status = 0;
    for (int Round = 0; Round < Rounds && Status == 0; ++Round) {
        double Ms[4];
        double Start = NowMs();
        for (int I = 0; I < Count && Status == 0; ++I)
            if (modbus_read_registers(Context, Registers[I], 1, &Params[I]) != 1)
                Status = Failed("reading", Registers[I]);
        Ms[0] = NowMs() - Start;

        Start = NowMs();
        for (int I = 0; I < Count && Status == 0; ++I)
            if (modbus_write_register(Context, Registers[I], Params[I]) != 1)
                Status = Failed("writing", Registers[I]);
        if (Status == 0 && modbus_write_register(Context, Command, ParamCode) != 1)
            Status = Failed("committing to", Command);
        Ms[1] = NowMs() - Start;

        Start = NowMs();
        for (int I = 0; I < EidRegisters && Status == 0; I += Block) {
            const int N = EidRegisters - I < Block ? EidRegisters - I : Block;
            if (modbus_read_registers(Context, EidFirst + I, N, &Eids[I]) != N)
                Status = Failed("reading from", EidFirst + I);
        }
        Ms[2] = NowMs() - Start;

        Start = NowMs();
        for (int I = 0; I < EidRegisters && Status == 0; I += Block) {
            const int N = EidRegisters - I < Block ? EidRegisters - I : Block;
            if (modbus_write_registers(Context, EidFirst + I, N, &Eids[I]) != N)
                Status = Failed("writing from", EidFirst + I);
        }
        if (Status == 0 && modbus_write_register(Context, Command, EidCode) != 1)
            Status = Failed("committing to", Command);
        Ms[3] = NowMs() - Start;

        if (Status == 0)
            printf("%.3f %.3f %.3f %.3f\n", Ms[0], Ms[1], Ms[2], Ms[3]);
        fflush(stdout);
    }
    modbus_close(Context);
    modbus_free(Context);
    return Status;
}
