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

/* What one round asks, from the command line. */
struct Plan {
    int Command, ParamCode, EidCode, EidFirst, EidRegisters, Block, Count;
    int Registers[MAX_REGISTERS];
};

/* One round of the four exchanges, each timed into Ms; 0, or 1 once a
   transaction failed (named on stderr). */
static int Round(modbus_t *Context, const struct Plan *P, double Ms[4])
{
    static uint16_t Params[MAX_REGISTERS], Eids[MAX_REGISTERS];
    int Status = 0;
    double Start = NowMs();
    for (int I = 0; I < P->Count && Status == 0; ++I)
        if (modbus_read_registers(Context, P->Registers[I], 1, &Params[I]) != 1)
            Status = Failed("reading", P->Registers[I]);
    Ms[0] = NowMs() - Start;

    Start = NowMs();
    for (int I = 0; I < P->Count && Status == 0; ++I)
        if (modbus_write_register(Context, P->Registers[I], Params[I]) != 1)
            Status = Failed("writing", P->Registers[I]);
    if (Status == 0 && modbus_write_register(Context, P->Command, P->ParamCode) != 1)
        Status = Failed("committing to", P->Command);
    Ms[1] = NowMs() - Start;

    Start = NowMs();
    for (int I = 0; I < P->EidRegisters && Status == 0; I += P->Block) {
        const int N = P->EidRegisters - I < P->Block ? P->EidRegisters - I : P->Block;
        if (modbus_read_registers(Context, P->EidFirst + I, N, &Eids[I]) != N)
            Status = Failed("reading from", P->EidFirst + I);
    }
    Ms[2] = NowMs() - Start;

    Start = NowMs();
    for (int I = 0; I < P->EidRegisters && Status == 0; I += P->Block) {
        const int N = P->EidRegisters - I < P->Block ? P->EidRegisters - I : P->Block;
        if (modbus_write_registers(Context, P->EidFirst + I, N, &Eids[I]) != N)
            Status = Failed("writing from", P->EidFirst + I);
    }
    if (Status == 0 && modbus_write_register(Context, P->Command, P->EidCode) != 1)
        Status = Failed("committing to", P->Command);
    Ms[3] = NowMs() - Start;
    return Status;
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
    static struct Plan P;
    P.Command = atoi(argv[5]);
    P.ParamCode = atoi(argv[6]);
    P.EidCode = atoi(argv[7]);
    P.EidFirst = atoi(argv[8]);
    P.EidRegisters = atoi(argv[9]);
    P.Block = atoi(argv[10]);
    P.Count = argc - 11;
    if (P.Count > MAX_REGISTERS || P.EidRegisters > MAX_REGISTERS || P.Block < 1 || P.Block > 123) {
        fprintf(stderr, "%s: too many registers\n", argv[0]);
        return 2;
    }
    for (int I = 0; I < P.Count; ++I)
        P.Registers[I] = atoi(argv[11 + I]);

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

    int Status = 0;
    for (int R = 0; R < Rounds && Status == 0; ++R) {
        double Ms[4];
        Status = Round(Context, &P, Ms);
        if (Status == 0)
            printf("%.3f %.3f %.3f %.3f\n", Ms[0], Ms[1], Ms[2], Ms[3]);
        fflush(stdout);
    }
    modbus_close(Context);
    modbus_free(Context);
    return Status;
}
