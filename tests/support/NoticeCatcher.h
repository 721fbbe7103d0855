#ifndef KORVEL_NOTICECATCHER_H
#define KORVEL_NOTICECATCHER_H

#include <QList>
#include <QObject>
#include <QString>

class QTimer;

// Dismisses every modal message box as it appears, from a timer, and keeps
// its title and text for the test to assert on.
class NoticeCatcher : public QObject
{
    Q_OBJECT

public:
    struct Notice
    {
        QString Title;
        QString Text;
    };

    explicit NoticeCatcher(QObject *Parent = nullptr);

    const QList<Notice> &Notices() const { return Seen; }
    int Count() const { return Seen.size(); }
    void Clear() { Seen.clear(); }

private:
    void Poll();

    QTimer *Timer = nullptr;
    QList<Notice> Seen;
};

#endif
