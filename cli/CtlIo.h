#ifndef KORVEL_CTLIO_H
#define KORVEL_CTLIO_H

// korvelctl's files at the level of the system: names as the system gives
// them, a whole input file read, and an output that is whole or not there.
//
// On Linux a file name is bytes, not necessarily UTF-8. An argument's bytes
// that are no UTF-8 are carried in a QString as the lone surrogates U+DC80
// to U+DCFF (as Python's surrogateescape does) and turned back into the
// same bytes when the file is opened, so that every name the shell hands
// over opens. Windows hands names over as UTF-16 and needs none of this.

#include <QByteArray>
#include <QString>

#include <memory>

namespace CtlIo {

// An argument's bytes as a QString that NativeName turns back into them.
QString FromArgument(const QByteArray &Bytes);
// The bytes the system is given for a name.
QByteArray NativeName(const QString &Name);
// A name for a message: a byte that is no UTF-8 as \xFF.
QString Shown(const QString &Name);

// "-" for standard output (and input).
bool IsStandardStream(const QString &Name);

// The whole file, if it holds at most Limit bytes; *Error names the file
// and the reason.
bool ReadFile(const QString &Name, qint64 Limit, QByteArray *Bytes, QString *Error);

// An output file opened before anything is sent and finished after
// everything is known. A regular file (or a new one) is written beside
// its place and renamed over it only once every byte is on the disk, with
// the old file's mode: a failure leaves the old file as it was. A FIFO, a
// device or standard output cannot be replaced and is written in place.
class OutputFile
{
public:
    OutputFile();
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    bool Open(const QString &Name, QString *Error);
    // Writes Bytes and finishes the file; false with the file and the
    // system's reason in *Error, the old file kept.
    bool Commit(const QByteArray &Bytes, QString *Error);
    bool IsOpen() const;

private:
    struct State;
    std::unique_ptr<State> D;
};

} // namespace CtlIo

#endif
