#ifndef KORVEL_LOGFILE_H
#define KORVEL_LOGFILE_H

#include <QString>

// The window's debug log, copied into a file while this object lives: every
// message still goes where it went before (a terminal, or on Windows the
// debug output, which a GUI program's operator cannot easily save), and each
// of its lines goes to the file as well, unchanged, behind the local time it
// was written. One at a time.
class LogFile
{
public:
    explicit LogFile(const QString &Path);
    ~LogFile();
    LogFile(const LogFile &) = delete;
    LogFile &operator=(const LogFile &) = delete;

    bool IsOpen() const { return Open; }
    // Why the file could not be opened.
    QString ErrorString() const { return Error; }

private:
    bool Open = false;
    QString Error;
};

#endif
