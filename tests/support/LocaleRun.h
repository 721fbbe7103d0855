#ifndef KORVEL_LOCALERUN_H
#define KORVEL_LOCALERUN_H

// A program run to its end with LANG alone naming the operator's locale
// (LANGUAGE, LC_ALL and LC_MESSAGES unset), its output read as UTF-8
// whatever this process's locale is.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct LocaleRun
{
    int Code = -1;
    QString Out;
    QString Err;
};

inline LocaleRun RunUnder(const QString &Lang, const QString &Program, const QStringList &Arguments)
{
    QProcessEnvironment Environment = QProcessEnvironment::systemEnvironment();
    for (const char *Name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        Environment.remove(QString::fromLatin1(Name));
    Environment.insert(QStringLiteral("LANG"), Lang);
    QProcess Process;
    Process.setProcessEnvironment(Environment);
    Process.start(Program, Arguments);
    if (!Process.waitForFinished(20000))
        Process.kill();
    Process.waitForFinished(5000);
    LocaleRun Run;
    Run.Code = Process.exitStatus() == QProcess::NormalExit ? Process.exitCode() : -1;
    Run.Out = QString::fromUtf8(Process.readAllStandardOutput());
    Run.Err = QString::fromUtf8(Process.readAllStandardError());
    return Run;
}

#endif
