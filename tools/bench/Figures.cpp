#include "Figures.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>
#include <cmath>
#include <time.h>
#include <unistd.h>

namespace Bench {

qint64 NowNs()
{
    timespec Now {};
    clock_gettime(CLOCK_MONOTONIC, &Now);
    return qint64(Now.tv_sec) * 1000000000LL + Now.tv_nsec;
}

double Median(QVector<double> Values)
{
    if (Values.isEmpty())
        return std::nan("");
    std::sort(Values.begin(), Values.end());
    const int Mid = Values.size() / 2;
    return Values.size() % 2 ? Values[Mid] : (Values[Mid - 1] + Values[Mid]) / 2;
}

double Min(const QVector<double> &Values)
{
    return Values.isEmpty() ? std::nan("") : *std::min_element(Values.begin(), Values.end());
}

double Max(const QVector<double> &Values)
{
    return Values.isEmpty() ? std::nan("") : *std::max_element(Values.begin(), Values.end());
}

long RssKb(const QString &Pid)
{
    QFile Status(QStringLiteral("/proc/%1/status").arg(Pid));
    if (!Status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &Line : Status.readAll().split('\n')) {
        if (Line.startsWith("VmRSS:"))
            return Line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QString CpuModel()
{
    QFile Info(QStringLiteral("/proc/cpuinfo"));
    if (Info.open(QIODevice::ReadOnly)) {
        for (const QByteArray &Line : Info.readAll().split('\n')) {
            if (Line.startsWith("model name"))
                return QString::fromLocal8Bit(Line.mid(Line.indexOf(':') + 1).trimmed());
        }
    }
    return QStringLiteral("unknown");
}

QString LoadAverage()
{
    QFile Load(QStringLiteral("/proc/loadavg"));
    if (!Load.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    const QList<QByteArray> Fields = Load.readAll().split(' ');
    return QStringLiteral("%1 %2 %3").arg(QString::fromLatin1(Fields.value(0)), QString::fromLatin1(Fields.value(1)),
                                          QString::fromLatin1(Fields.value(2)));
}

QString Ms(double Value, int Decimals)
{
    return std::isnan(Value) ? QStringLiteral("—") : QString::number(Value, 'f', Decimals);
}

QString Spread(const QVector<double> &Values, int Decimals)
{
    return QStringLiteral("%1 (%2–%3)").arg(Ms(Median(Values), Decimals), Ms(Min(Values), Decimals),
                                             Ms(Max(Values), Decimals));
}

QString Verdict(bool Met)
{
    return Met ? QStringLiteral("yes") : QStringLiteral("**no**");
}

namespace {
int ProgressFd = 2;
}

void SendProgressTo(int Fd)
{
    ProgressFd = Fd;
}

void Progress(const QString &Text)
{
    const QByteArray Line = "korvel-bench: " + Text.toLocal8Bit() + '\n';
    const ssize_t Ignored = ::write(ProgressFd, Line.constData(), size_t(Line.size()));
    (void)Ignored;
}

} // namespace Bench
