#include "Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QTranslator>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Language {

namespace {

// The languages a catalogue is written for.
const char *const Catalogued[] = {"ru"};

QString Installed;
QList<QTranslator *> Loaded;

// "ru_RU.UTF-8@euro" is Russian: the language is what comes before the
// territory, the encoding and the modifier.
QString Code(const QByteArray &Entry)
{
    QString Text = QString::fromLatin1(Entry);
    const int End = Text.indexOf(QRegularExpression(QStringLiteral("[_.@]")));
    return (End < 0 ? Text : Text.left(End)).toLower();
}

bool IsC(const QByteArray &Locale)
{
    const QString Language = Code(Locale);
    return Language == QLatin1String("c") || Language == QLatin1String("posix");
}

bool HasCatalogue(const QString &Language)
{
    for (const char *Each : Catalogued) {
        if (Language == QLatin1String(Each))
            return true;
    }
    return false;
}

QStringList Folders()
{
    const QString Exe = QCoreApplication::applicationDirPath();
    return {Exe, Exe + QStringLiteral("/translations"), Exe + QStringLiteral("/../share/korvel/translations"),
#ifdef KORVEL_BUILD_TRANSLATIONS
            QStringLiteral(KORVEL_BUILD_TRANSLATIONS)
#endif
    };
}

bool Load(const QString &Name, const QStringList &Where)
{
    auto *Catalogue = new QTranslator(QCoreApplication::instance());
    for (const QString &Folder : Where) {
        if (Catalogue->load(Name, Folder) && QCoreApplication::installTranslator(Catalogue)) {
            Loaded << Catalogue;
            return true;
        }
    }
    delete Catalogue;
    return false;
}

} // namespace

QString FromEnvironment(const Lookup &Get)
{
    QByteArray Locale;
    for (const char *Name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        Locale = Get(Name);
        if (!Locale.isEmpty())
            break;
    }
    if (IsC(Locale))
        return QString();
    const QByteArray List = Get("LANGUAGE");
    if (List.isEmpty())
        return HasCatalogue(Code(Locale)) ? Code(Locale) : QString();
    for (const QByteArray &Entry : List.split(':')) {
        const QString Language = Code(Entry);
        if (Language == QLatin1String("en") || IsC(Entry))
            return QString();
        if (HasCatalogue(Language))
            return Language;
    }
    return QString();
}

QString OfSystem()
{
#ifdef Q_OS_WIN
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_RUSSIAN ? QStringLiteral("ru") : QString();
#else
    return FromEnvironment([](const char *Name) { return qgetenv(Name); });
#endif
}

bool Install(const QString &Program)
{
    const QString Language = OfSystem();
    const QStringList Where = Folders();
    if (Language.isEmpty() || !Load(Program + QLatin1Char('_') + Language, Where))
        return false;
    Installed = Language;
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const QString QtOwn = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    const QString QtOwn = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
    // QCommandLineParser's own texts; English where Qt's catalogue is missing.
    Load(QStringLiteral("qtbase_") + Language, Where + QStringList {QtOwn});
    return true;
}

void Uninstall()
{
    for (QTranslator *Catalogue : Loaded) {
        QCoreApplication::removeTranslator(Catalogue);
        delete Catalogue;
    }
    Loaded.clear();
    Installed.clear();
}

bool Russian()
{
    return Installed == QLatin1String("ru");
}

QString Decimal(double Value, int Digits)
{
    QString Text = Digits < 0 ? QString::number(Value, 'g', QLocale::FloatingPointShortest)
                              : QString::number(Value, 'f', Digits);
    if (Russian())
        Text.replace(QLatin1Char('.'), QLatin1Char(','));
    return Text;
}

} // namespace Language
