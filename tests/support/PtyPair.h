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
    // Closes the device's end: the line is gone and its path with it, as if
    // unplugged. The slave descriptor kept here holds the pty's number until
    // the pair goes, so that no other pseudo-terminal (another test's, on a
    // busy machine) appears under the same path meanwhile.
    void HangUp();

private:
    int Master = -1;
    int Slave = -1;
    QString Path;
};

#endif
