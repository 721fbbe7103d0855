#ifndef KORVEL_LOGCAPTURE_H
#define KORVEL_LOGCAPTURE_H

#include <QStringList>

// Collects the lines written to the Qt debug log while it lives (a nested
// capture starts the list afresh and shares it with the outer one). Set
// KORVEL_TEST_LOG=1 to see them on stderr as well.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList Lines() const;
    void Clear();
    bool Contains(const QString &Line) const { return Lines().contains(Line); }
    // Index of the first line equal to Line at or after From, or -1.
    int IndexOf(const QString &Line, int From = 0) const { return Lines().indexOf(Line, From); }
};

#endif
