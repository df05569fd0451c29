#include <QtTest>
class TestStatsWindow : public QObject { Q_OBJECT };
QTEST_MAIN(TestStatsWindow)
#include "tst_stats_window.moc"
