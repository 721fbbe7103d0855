// The operator's language as the environment asks for it, and the
// catalogue a program finds for it.

#include "Language.h"

#include <QCoreApplication>
#include <QMap>
#include <QtTest>

class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void choice_data();
    void choice();
    void installsFromTheBuildTree();
};

void TestLanguage::choice_data()
{
    QTest::addColumn<QString>("Environment");
    QTest::addColumn<QString>("Expected");
    QTest::newRow("nothing set") << "" << "";
    QTest::newRow("LANG Russian") << "LANG=ru_RU.UTF-8" << "ru";
    QTest::newRow("language alone") << "LANG=ru" << "ru";
    QTest::newRow("with a modifier") << "LANG=ru_UA.KOI8-U@euro" << "ru";
    QTest::newRow("en_US.UTF-8") << "LANG=en_US.UTF-8" << "";
    QTest::newRow("unknown language") << "LANG=de_DE.UTF-8" << "";
    QTest::newRow("LC_ALL over LANG") << "LC_ALL=en_US.UTF-8;LANG=ru_RU.UTF-8" << "";
    QTest::newRow("LC_MESSAGES over LANG") << "LC_MESSAGES=ru_RU.UTF-8;LANG=en_US.UTF-8" << "ru";
    QTest::newRow("LC_ALL over LC_MESSAGES") << "LC_ALL=ru_RU.UTF-8;LC_MESSAGES=C" << "ru";
    QTest::newRow("empty LC_ALL is unset") << "LC_ALL=;LC_MESSAGES=;LANG=ru_RU.UTF-8" << "ru";
    QTest::newRow("C") << "LANG=C" << "";
    QTest::newRow("C.UTF-8") << "LC_ALL=C.UTF-8;LANG=ru_RU.UTF-8" << "";
    QTest::newRow("C over LANGUAGE") << "LANG=C;LANGUAGE=ru" << "";
    QTest::newRow("POSIX over LANGUAGE") << "LC_ALL=POSIX;LANGUAGE=ru:en" << "";
    QTest::newRow("LANGUAGE=de:ru") << "LANGUAGE=de:ru;LANG=de_DE.UTF-8" << "ru";
    QTest::newRow("LANGUAGE over the locale") << "LANGUAGE=ru_RU;LANG=en_GB.UTF-8" << "ru";
    QTest::newRow("LANGUAGE English first") << "LANGUAGE=en:ru;LANG=ru_RU.UTF-8" << "";
    QTest::newRow("LANGUAGE without catalogue") << "LANGUAGE=de:fr;LANG=ru_RU.UTF-8" << "";
    QTest::newRow("LANGUAGE empty entries") << "LANGUAGE=::ru;LANG=en_US.UTF-8" << "ru";
    QTest::newRow("empty LANGUAGE") << "LANGUAGE=;LANG=ru_RU.UTF-8" << "ru";
}

void TestLanguage::choice()
{
    QFETCH(QString, Environment);
    QFETCH(QString, Expected);
    QMap<QByteArray, QByteArray> Variables;
    for (const QString &Pair : Environment.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        Variables.insert(Pair.section(QLatin1Char('='), 0, 0).toLatin1(), Pair.section(QLatin1Char('='), 1).toLatin1());
    QCOMPARE(Language::FromEnvironment([&](const char *Name) { return Variables.value(Name); }), Expected);
}

// A program run from the build tree speaks Russian: the catalogue built
// there is found, and numbers take the decimal comma only with it.
void TestLanguage::installsFromTheBuildTree()
{
#ifdef Q_OS_WIN
    QSKIP("the UI language of Windows is the system's, not the environment's");
#endif
    QCOMPARE(Language::Decimal(1.5), QStringLiteral("1.5"));
    qunsetenv("LANGUAGE");
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    qputenv("LANG", "ru_RU.UTF-8");
    QVERIFY(Language::Install(QStringLiteral("korvelctl")));
    QVERIFY(Language::Russian());
    QCOMPARE(QCoreApplication::translate("LineUrl", "no host"), QStringLiteral("не указан хост"));
    QCOMPARE(Language::Decimal(1.5), QStringLiteral("1,5"));
    QCOMPARE(Language::Decimal(2, 1), QStringLiteral("2,0"));
    QCOMPARE(Language::Decimal(3), QStringLiteral("3"));
}

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
