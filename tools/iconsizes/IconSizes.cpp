// Writes square PNG copies of one source image in the given sizes, laid out
// as an icon theme expects them: <outdir>/<N>x<N>/apps/<name>.png.
//
// Usage: korvel-iconsizes SOURCE.png OUTDIR NAME SIZE...

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

namespace {

int Fail(const QString &Text)
{
    std::fprintf(stderr, "korvel-iconsizes: %s\n", Text.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 5)
        return Fail(QStringLiteral("usage: korvel-iconsizes SOURCE.png OUTDIR NAME SIZE..."));

    const QString SourcePath = QString::fromLocal8Bit(argv[1]);
    const QString OutDir = QString::fromLocal8Bit(argv[2]);
    const QString Name = QString::fromLocal8Bit(argv[3]);

    QImage Source(SourcePath);
    if (Source.isNull())
        return Fail(QStringLiteral("cannot read %1").arg(SourcePath));
    if (Source.width() != Source.height())
        return Fail(QStringLiteral("%1 is %2 x %3, not square")
                        .arg(SourcePath).arg(Source.width()).arg(Source.height()));
    // Smooth scaling blends colour channels; doing it on premultiplied
    // pixels keeps transparent edges from turning dark.
    Source = Source.convertToFormat(QImage::Format_ARGB32_Premultiplied);

    for (int i = 4; i < argc; ++i) {
        bool Ok = false;
        const int Size = QString::fromLocal8Bit(argv[i]).toInt(&Ok);
        // Enlarging would only blur the drawing; a theme falls back to the
        // nearest smaller size by itself.
        if (!Ok || Size < 1 || Size > Source.width())
            return Fail(QStringLiteral("bad size %1 (source is %2 pixels)")
                            .arg(QString::fromLocal8Bit(argv[i])).arg(Source.width()));

        const QString Dir = QStringLiteral("%1/%2x%2/apps").arg(OutDir).arg(Size);
        if (!QDir().mkpath(Dir))
            return Fail(QStringLiteral("cannot create %1").arg(Dir));

        const QImage Scaled = Source.scaled(Size, Size, Qt::IgnoreAspectRatio,
                                            Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_ARGB32);
        const QString Path = QStringLiteral("%1/%2.png").arg(Dir, Name);
        if (!Scaled.save(Path, "PNG"))
            return Fail(QStringLiteral("cannot write %1").arg(Path));
    }
    return 0;
}
