#include "LogFile.h"

#include <QDateTime>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace {
QFile *Target = nullptr;
QtMessageHandler Previous = nullptr;
// Messages may come from any thread.
QMutex Guard;

void Copy(QtMsgType Type, const QMessageLogContext &Context, const QString &Message)
{
    if (Previous)
        Previous(Type, Context, Message);
    // The text the default handler writes: the message, or what
    // QT_MESSAGE_PATTERN makes of it.
    const QString Text = qFormatLogMessage(Type, Context, Message);
    const QString Time = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz "));
    QByteArray Lines;
    for (const QString &Line : Text.split(QLatin1Char('\n')))
        Lines += (Time + Line + QLatin1Char('\n')).toUtf8();
    QMutexLocker Lock(&Guard);
    if (Target) {
        Target->write(Lines);
        // Kept whole if the program is killed or crashes.
        Target->flush();
    }
}
} // namespace

LogFile::LogFile(const QString &Path)
{
    QFile *File = new QFile(Path);
    // Text mode: Windows line ends on Windows, for Notepad.
    if (!File->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        Error = File->errorString();
        delete File;
        return;
    }
    Open = true;
    {
        QMutexLocker Lock(&Guard);
        Target = File;
    }
    Previous = qInstallMessageHandler(Copy);
}

LogFile::~LogFile()
{
    if (!Open)
        return;
    qInstallMessageHandler(Previous);
    QMutexLocker Lock(&Guard);
    delete Target;
    Target = nullptr;
}
