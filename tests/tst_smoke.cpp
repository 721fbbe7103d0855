#include <QtTest>
#include "OrvaneUI.h"
class tst_smoke : public QObject { Q_OBJECT
private slots:
    void constructs() { OrvaneUI W; QVERIFY(W.Construct()); }
};
QTEST_MAIN(tst_smoke)
#include "tst_smoke.moc"
