/*
 * A Modbus TCP to RTU gateway for the tests and the benchmark, on
 * libmodbus: a Modbus TCP server on 127.0.0.1 that passes each request's
 * PDU to the unit it names
 * on an RTU line (the simulator's pseudo-terminal) and the unit's reply
 * back with the request's transaction identifier; a unit that does not
 * answer, or answers garbled, gets the gateway's exception 0x0B. libmodbus
 * reads the requests and speaks RTU, so that the Modbus TCP side korvelctl
 * talks to is a library nobody here wrote. One connection at a time, as
 * korvelctl makes them.
 *
 * Usage: korvel-test-gateway TTY [BAUD [WAIT_MS]]
 * Prints the TCP port it listens on, then serves until killed.
 */
#include <modbus/modbus.h>

#include <arpa/inet.h>
#include <errno.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

enum { HEADER = 7 };

static int send_all(int fd, const uint8_t *bytes, int size)
{
    while (size > 0) {
        const ssize_t done = send(fd, bytes, (size_t)size, MSG_NOSIGNAL);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return -1;
        bytes += done;
        size -= (int)done;
    }
    return 0;
}

/* The RTU reply (unit, PDU, CRC) in the MBAP header of the request. */
static int answer(int fd, const uint8_t *query, const uint8_t *rtu, int rtu_length)
{
    uint8_t adu[MODBUS_TCP_MAX_ADU_LENGTH];
    const int pdu_and_unit = rtu_length - 2;
    if (pdu_and_unit < 2 || HEADER - 1 + pdu_and_unit > (int)sizeof adu)
        return -1;
    memcpy(adu, query, 4); /* transaction and protocol identifiers */
    adu[4] = (uint8_t)(pdu_and_unit >> 8);
    adu[5] = (uint8_t)(pdu_and_unit & 0xFF);
    memcpy(adu + 6, rtu, (size_t)pdu_and_unit);
    return send_all(fd, adu, HEADER - 1 + pdu_and_unit);
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s TTY [BAUD [WAIT_MS]]\n", argv[0]);
        return 2;
    }
    const int baud = argc > 2 ? atoi(argv[2]) : 9600;
    const int wait_ms = argc > 3 ? atoi(argv[3]) : 500;
    modbus_t *rtu = modbus_new_rtu(argv[1], baud, 'N', 8, 1);
    modbus_t *tcp = modbus_new_tcp("127.0.0.1", 0);
    if (!rtu || !tcp || modbus_connect(rtu) == -1) {
        fprintf(stderr, "gateway: %s: %s\n", argv[1], modbus_strerror(errno));
        return 1;
    }
    modbus_set_response_timeout(rtu, (uint32_t)(wait_ms / 1000), (uint32_t)(wait_ms % 1000) * 1000);
    const int listener = modbus_tcp_listen(tcp, 1);
    struct sockaddr_in bound;
    socklen_t bound_size = sizeof bound;
    if (listener == -1 || getsockname(listener, (struct sockaddr *)&bound, &bound_size) == -1) {
        fprintf(stderr, "gateway: cannot listen: %s\n", modbus_strerror(errno));
        return 1;
    }
    printf("%d\n", ntohs(bound.sin_port));
    fflush(stdout);

    int server = listener;
    for (;;) {
        if (modbus_tcp_accept(tcp, &server) == -1)
            continue;
        const int fd = modbus_get_socket(tcp);
        for (;;) {
            uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
            const int length = modbus_receive(tcp, query);
            if (length == 0)
                continue; /* not for this server: nothing to do */
            if (length < 0)
                break; /* the client is gone */
            /* Unit and PDU as an RTU request; libmodbus adds the CRC. */
            modbus_set_slave(rtu, query[HEADER - 1]);
            modbus_flush(rtu);
            uint8_t reply[MODBUS_RTU_MAX_ADU_LENGTH];
            int got = -1;
            if (modbus_send_raw_request(rtu, query + HEADER - 1, length - (HEADER - 1)) != -1)
                got = modbus_receive_confirmation(rtu, reply);
            if (got > 0)
                answer(fd, query, reply, got);
            else
                modbus_reply_exception(tcp, query, MODBUS_EXCEPTION_GATEWAY_TARGET);
        }
        close(fd);
    }
}
