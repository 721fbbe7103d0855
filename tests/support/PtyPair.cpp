#include "PtyPair.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char Name[256] = {};
    if (openpty(&Master, &Slave, Name, nullptr, nullptr) != 0) {
        Master = Slave = -1;
        return;
    }
    // Raw both ways: no echo, no line editing, no CR/LF translation.
    termios Mode {};
    tcgetattr(Slave, &Mode);
    cfmakeraw(&Mode);
    tcsetattr(Slave, TCSANOW, &Mode);
    fcntl(Master, F_SETFL, fcntl(Master, F_GETFL) | O_NONBLOCK);
    Path = QString::fromLocal8Bit(Name);
}

PtyPair::~PtyPair()
{
    HangUp();
    if (Slave >= 0)
        ::close(Slave);
}

void PtyPair::HangUp()
{
    if (Master >= 0)
        ::close(Master);
    Master = -1;
}
