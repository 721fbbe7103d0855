#ifndef KORVEL_PTYPAIR_H
#define KORVEL_PTYPAIR_H

#include <QString>

// A pseudo-terminal pair standing in for a serial line: the code under test
// opens SlavePath() with QSerialPort, the device stand-in uses MasterFd().
// The pair keeps its own slave descriptor open so that the master never
// reads end-of-line while the port under test is closed.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool IsOpen() const { return Master >= 0; }
    QString SlavePath() const { return Path; }
    int MasterFd() const { return Master; }
    // Closes both ends held here: the line is gone, as if unplugged.
    void HangUp();

private:
    int Master = -1;
    int Slave = -1;
    QString Path;
};

#endif
