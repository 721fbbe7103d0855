#ifndef KORVEL_CTLRUN_H
#define KORVEL_CTLRUN_H

// korvelctl run in-process, as its suites drive it: its exit code and what
// it wrote to each stream. For suites that link korvelctl's library.

#include "Korvelctl.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QtTest>

#include <cstdio>

struct Result
{
    int Code = -1;
    QString Out;
    QString Err;
};

inline Result Ctl(const QStringList &Arguments)
{
    Result R;
    QTextStream Out(&R.Out);
    QTextStream Err(&R.Err);
    R.Code = Korvelctl::Run(Arguments, Out, Err);
    return R;
}

// A file's bytes; "(missing)" when it cannot be read.
inline QByteArray ReadAll(const QString &Path)
{
    QFile File(Path);
    return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray("(missing)");
}

// The file written whole, or the test fails.
inline void WriteFile(const QString &Path, const QByteArray &Bytes)
{
    QFile File(Path);
    QVERIFY(File.open(QIODevice::WriteOnly));
    QCOMPARE(File.write(Bytes), qint64(Bytes.size()));
}

// A message handler that drops korvelctl's debug lines (the frame trace,
// which in-process runs would mix into the test's output) and shows the rest.
inline void DropDebug(QtMsgType Type, const QMessageLogContext &, const QString &Text)
{
    if (Type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", Text.toLocal8Bit().constData());
}

#endif
