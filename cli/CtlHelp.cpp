// korvelctl's --help: the commands, the options, the files and the exit
// statuses.

#include "CtlCommands.h"

#include <QCoreApplication>

namespace CtlCommands {

namespace {

// Four messages, so that a change in one part leaves the others translated.
// The words of the command line (commands, options, parameter names, JSON
// keys, URLs, exit numbers, examples) stay as they are in any language.
const char *const Parts[] = {
    //: korvelctl --help, its commands. Commands, options, parameter names and
    //: examples stay as they are; lines of at most 80 columns.
    QT_TRANSLATE_NOOP("CtlHelp",
        "Usage: korvelctl COMMAND [options]\n"
        "\n"
        "Reads and writes the parameters and the EID list of the LoRa radio device\n"
        "on a serial line (Modbus RTU), through files.\n"
        "\n"
        "Commands:\n"
        "  ports                                  list the serial ports; a port another\n"
        "                                         program holds is marked busy\n"
        "  read params --port PORT [-o FILE]      the 14 parameters into a parameter file;\n"
        "                                         a value outside the window's range is\n"
        "                                         saved as it is, with a warning\n"
        "  write params --port PORT -i FILE [--verify] [--json] [--out-of-range]\n"
        "                                         write the parameters the file names, then\n"
        "                                         the commit request (code 6); a new\n"
        "                                         ModbusID or BaudRate is followed: the\n"
        "                                         summary (and --verify) says where the\n"
        "                                         device answers now\n"
        "  set --port PORT NAME=VALUE... [--verify] [--json] [--out-of-range]\n"
        "                                         the same with the parameters on the\n"
        "                                         command line: set --port ttyUSB0\n"
        "                                         ModbusID=33 BaudRate=115200 --verify\n"
        "                                         (BaudRate: the speed in Bd or the index)\n"
        "  read eids --port PORT [-o FILE] [--csv]\n"
        "                                         the 200 EIDs into an EID file\n"
        "  write eids --port PORT -i FILE [--column N|NAME] [--verify] [--out-of-range]\n"
        "                                         write the EID list, then the commit\n"
        "                                         request (code 8)\n"
        "  probe --port PORT                      find the speed the device answers at and\n"
        "                                         print it with the device's RS-485 address:\n"
        "                                         a quick pass over the six speeds, waiting\n"
        "                                         100 ms at each, then one with the full wait\n"
        "                                         (not over tcp:// or modbus-tcp://: the\n"
        "                                         server's speed)\n"
        "  scan --port PORT [--from A] [--to B] [--wait MS]\n"
        "                                         read ModbusID (register 40003) at each\n"
        "                                         address from A to B (default 1 to 247) and\n"
        "                                         print 'ADDRESS: ModbusID N' for each device\n"
        "                                         that answers; a garbled reply or one from\n"
        "                                         another address is a fault on the bus; a\n"
        "                                         gateway's exception 0x0B is no device\n"
        "  diff params|eids --port PORT -i FILE [--column N|NAME]\n"
        "                                         compare the device with a file (the whole\n"
        "                                         list for EIDs) and print each difference:\n"
        "                                         'NAME: device X, file Y' or 'entry N: ...';\n"
        "                                         nothing is written\n"
        "  apply params --port PORT (-i FILE | NAME=VALUE...) [--check] [--json]\n"
        "  apply eids --port PORT -i FILE [--column N|NAME] [--check] [--json]\n"
        "                                         bring the device to what the file (or\n"
        "                                         the NAME=VALUE words, as set takes them)\n"
        "                                         names: read it; if it holds that already,\n"
        "                                         write nothing (exit 0); else write only\n"
        "                                         what differs (EIDs: the blocks of 25\n"
        "                                         holding a difference), commit, follow a\n"
        "                                         new ModbusID or BaudRate and read back.\n"
        "                                         Prints 'NAME: OLD -> NEW' for each change\n"
        "                                         ('entry N: ...' for EIDs). --check: print\n"
        "                                         what would change, write nothing\n"
        "\n"),
    //: korvelctl --help, its options. Option names, values, JSON keys and URLs
    //: stay as they are; lines of at most 80 columns.
    QT_TRANSLATE_NOOP("CtlHelp",
        "Options:\n"
        "  --port PORT      a name as 'ports' lists it (ttyUSB0, COM3) or a path; or a\n"
        "                   serial device server: tcp://HOST:PORT passes the frames as\n"
        "                   they are (the server's own setting fixes the speed; add\n"
        "                   ?baud=N to say which, for the pause between frames:\n"
        "                   9600 unless said), rfc2217://HOST:PORT is Telnet with COM\n"
        "                   port control (korvelctl sets the speed and 8N1); or a\n"
        "                   Modbus TCP gateway: modbus-tcp://HOST[:PORT] (502 unless\n"
        "                   given; the unit identifier is --address, else 0); HOST a\n"
        "                   name, an IPv4 address or an IPv6 address in brackets.\n"
        "                   Connecting waits at most 3 s. Over tcp:// and\n"
        "                   modbus-tcp:// a BaudRate other than the radio's is written\n"
        "                   only without --verify: the server must follow it\n"
        "  --baud N         4800, 9600, 19200, 38400, 57600 or 115200 (default 9600);\n"
        "                   not with tcp:// or modbus-tcp://\n"
        "  --address N      talk to the device with RS-485 address N (1 to 247) and\n"
        "                   refuse replies from any other; default: address 0x00\n"
        "  --retries N      send a transaction again up to N times when it gets no valid\n"
        "                   reply (default 0)\n"
        "  -o, --output FILE  write to FILE instead of standard output (- is standard\n"
        "                   output); a file is replaced only once the whole read\n"
        "                   succeeded and every byte is on the disk, keeping its mode;\n"
        "                   a FIFO or a device is written in place\n"
        "  -i, --input FILE the file to write from or compare with (- is standard input)\n"
        "  --verify         read the written values back and compare them; after a\n"
        "                   new ModbusID at that address, after a new BaudRate at that\n"
        "                   speed first, then at the old one; also after a commit whose\n"
        "                   reply was lost or garbled\n"
        "  --out-of-range   write, set: write a value outside the window's range (a\n"
        "                   parameter 0 to 65535, an EID 0 to 4294967295) as it is, as\n"
        "                   read saves what a device holds; ModbusID stays 1 to 247\n"
        "  --column N|NAME  write eids, diff eids: the CSV column holding the EIDs, its\n"
        "                   number from 1 or its heading; default: the column headed\n"
        "                   EID, else the first\n"
        "  --csv            read eids: write CSV, entry,eid with a heading row\n"
        "  -v, --verbose    show each frame sent (>) and received (<) on standard error\n"
        "                   as it happens: milliseconds since the start, then the bytes\n"
        "                   in hex; a reply that did not come or came short is named so\n"
        "  --from A, --to B scan these addresses, 1 to 247, A not above B\n"
        "  --wait MS        the wait for each reply, 10 to 1500 ms (scan: default 100;\n"
        "                   read, write, set, diff, apply: default 1500)\n"
        "  --check          apply: say what would change; nothing is written\n"
        "  --line-wait S    wait up to S seconds (0 to 3600, default 120) while another\n"
        "                   korvelctl, of any user, uses the same line (one serial port\n"
        "                   by whatever name, one server HOST:PORT); then exit 3 naming\n"
        "                   it. Runs on different lines go on side by side\n"
        "  --json           ports, probe, scan, diff, write params, set, apply: one JSON\n"
        "                   document on standard output instead of the table or the\n"
        "                   lines; on failure {\"exit\", \"fault\", \"message\"} with\n"
        "                   \"transaction\" where one failed (scan: with its lists):\n"
        "                     ports  {\"ports\": [{\"port\", \"state\", \"description\",\n"
        "                             \"manufacturer\", \"serial\"}]}\n"
        "                     probe  {\"baud\", \"address\"}\n"
        "                     scan   {\"devices\": [{\"address\", \"ModbusID\"}],\n"
        "                             \"faults\": [{\"address\", \"fault\"}]}\n"
        "                     diff   {\"differences\": [{\"parameter\" or \"entry\",\n"
        "                             \"device\", \"file\"}]}\n"
        "                     write params, set  {\"written\": {NAME: VALUE},\n"
        "                             \"verified\", \"address\", \"baud\"}: where the\n"
        "                             device answers (address 0: 0x00); with\n"
        "                             \"baud_at_restart\" where it kept its old speed\n"
        "                     apply  {\"changed\", \"check\", \"before\": {NAME or ENTRY:\n"
        "                             VALUE}, \"after\": {...} (what differs only),\n"
        "                             \"address\", \"baud\"} as write params\n"
        "  -h, --help       show this help\n"
        "  --version        show the version\n"
        "\n"),
    //: korvelctl --help, its files. Parameter names and file syntax stay as
    //: they are.
    QT_TRANSLATE_NOOP("CtlHelp",
        "Parameter file: one JSON object, {\"ModbusID\": 17, \"BaudRate\": 1, ...}, with the\n"
        "register values as the device holds them (a list field holds its item index:\n"
        "BaudRate 1 is 9600). read writes all 14; write and set take any of them.\n"
        "EID file: one EID a line in list order, 0 to 10000000, -1 for an unprogrammed\n"
        "entry; '#' starts a comment. Or CSV as a spreadsheet saves it (comma, semicolon\n"
        "or tab; a first row that is no number is a heading). write takes up to 200,\n"
        "writes 0 for the rest and warns of an EID given twice; diff reads it alike.\n"
        "Blank lines count only before the first EID and after the last; a file with no\n"
        "EID is refused (the one line 0 empties the list).\n"
        "Files are UTF-8 or UTF-16 with a byte order mark, with any line ends; a NUL or\n"
        "a byte that is no UTF-8 is refused with its line.\n"
        "\n"),
    //: korvelctl --help, its exit statuses. Numbers and option names stay as
    //: they are.
    QT_TRANSLATE_NOOP("CtlHelp",
        "Exit status: 0 done; 1 the device did not answer or refused (scan: no device\n"
        "answered; a connection to a server lost in the middle of a command): a fault\n"
        "before the commit leaves the device uncommitted, the message names what was\n"
        "sent after it (a lost or garbled reply to the commit: the device may have\n"
        "taken the change; a failed verify: the commit was sent); 2 bad arguments or\n"
        "input file (nothing sent); 3 the port cannot be opened or refused the bytes\n"
        "(a server: cannot be reached, refuses the connection or COM port control);\n"
        "4 diff: the device holds other values than the file; 5 the output could not\n"
        "be written (the device was read; a file that was there is kept). apply: as\n"
        "write; a device that holds the values already is success (0). A line still\n"
        "busy after --line-wait is 3.\n"),
};

} // namespace

QString HelpText()
{
    QString Text;
    for (const char *const Part : Parts)
        Text += QCoreApplication::translate("CtlHelp", Part);
    return Text;
}

} // namespace CtlCommands
