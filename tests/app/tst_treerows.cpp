// Rows whose titles read alike are told apart in the real window: an icon
// per kind of row and a tooltip with the file and what the row holds, the
// titles and descriptions unchanged; the columns are readable at the
// window's first size.
#include "GeometryScene.h"
#include "ViewerWidget.h"
#include "stats_test_util.h"
#include "window_test_base.h"
#include "fresh_home.h"

#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

namespace {

bool writeText(const QString& path, const QByteArray& text)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size();
}

QImage iconImage(const QVariant& decoration)
{
    return decoration.value<QIcon>().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

class TestTreeRows : public WindowTestBase
{
    Q_OBJECT

private:
    QTemporaryDir home;
    QTemporaryDir files;
    QString file(const QString& name) const { return files.filePath(name); }

    QModelIndex at(std::initializer_list<int> path) const
    {
        QModelIndex index;
        for (int row : path)
            index = model()->index(row, 0, index);
        return index;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(useHome(home) && files.isValid());
        gyroview::init();
        QVERIFY(writeSquare(file("brain.obj")));
        QVERIFY(writeVertstats(file("brain.vertstats"), {"thickness", "area"},
                               {{1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}}));
        QVERIFY(writeText(file("marks.tag"), "MNI Tag Point File\nVolumes = 1;\nPoints =\n"
                                             " 1 2 3 \"nasion\"\n"
                                             " -4.5 0 7;\n"));
        bool all = true;
        {
            StdoutCapture quiet;
            window.reset(new MainWindow);
            for (const char* name : {"brain.obj", "brain.vertstats", "marks.tag"})
                all = open(file(name)) && all;
        }
        QVERIFY(all);
    }

    void cleanupTestCase() { window.reset(); }

    void eachKindHasItsOwnIcon()
    {
        const QList<QModelIndex> rows = {at({0}), at({0, 0}), at({0, 1}), at({0, 1, 0}),
                                         at({1}), at({1, 0})};
        for (const QModelIndex& row : rows)
            QVERIFY(row.isValid());
        // Titles and descriptions as they always were.
        QCOMPARE(rows[0].data().toString(), QString("Geometry Scene"));
        QCOMPARE(rows[1].data().toString(), QString("brain"));
        QCOMPARE(rows[2].data().toString(), QString("brain"));
        QCOMPARE(rows[3].data().toString(), QString("thickness"));
        QCOMPARE(rows[4].data().toString(), QString("marks"));
        QCOMPARE(rows[5].data().toString(), QString("marks"));

        // The scene and its surface share the surface picture; statistics
        // file, column, tag file and tag point each have another.
        QList<QImage> icons;
        for (const QModelIndex& row : rows) {
            const QImage icon = iconImage(row.data(Qt::DecorationRole));
            QVERIFY2(!icon.isNull(), qPrintable(row.data().toString()));
            icons.append(icon);
        }
        QCOMPARE(icons[0], icons[1]);
        const QList<QImage> kinds = {icons[1], icons[2], icons[3], icons[4], icons[5]};
        for (int i = 0; i < kinds.size(); ++i)
            for (int j = i + 1; j < kinds.size(); ++j)
                QVERIFY2(kinds[i] != kinds[j], qPrintable(QString("%1 %2").arg(i).arg(j)));
        // Only the title column carries one.
        QVERIFY(!model()->index(0, 1).data(Qt::DecorationRole).isValid());
    }

    void tooltipsNameTheFileAndWhatTheRowHolds()
    {
        const QString surface = file("brain.obj") + "\n5 points, 4 triangles";
        QCOMPARE(at({0}).data(Qt::ToolTipRole).toString(), surface);
        QCOMPARE(at({0, 0}).data(Qt::ToolTipRole).toString(), surface);
        QCOMPARE(at({0, 1}).data(Qt::ToolTipRole).toString(),
                 file("brain.vertstats") + "\n5 rows, 2 columns");
        QCOMPARE(at({0, 1, 1}).data(Qt::ToolTipRole).toString(),
                 "Column 2 of 2: area\n" + file("brain.vertstats") + "\n5 values");
        QCOMPARE(at({1}).data(Qt::ToolTipRole).toString(), file("marks.tag") + "\n2 points");
        QCOMPARE(at({1, 0}).data(Qt::ToolTipRole).toString(), QString("Point 1: nasion\n(1, 2, 3)"));
        QCOMPARE(at({1, 1}).data(Qt::ToolTipRole).toString(),
                 QString("Point 2 (no label)\n(-4.5, 0, 7)"));
        // The description column tells the same on hovering.
        QCOMPARE(model()->index(0, 1, at({0})).data(Qt::ToolTipRole),
                 at({0, 0}).data(Qt::ToolTipRole));
    }

    void tooltipShowsOnHover()
    {
        showWindow();
        QTreeView* tree = window->getResources()->getTreeView();
        tree->expandAll();
        const QModelIndex statistics = at({0, 1});
        const QPoint where = tree->visualRect(statistics).center();
        QHelpEvent hover(QEvent::ToolTip, where, tree->viewport()->mapToGlobal(where));
        QApplication::sendEvent(tree->viewport(), &hover);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), file("brain.vertstats") + "\n5 rows, 2 columns");
        QWidget* tip = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->inherits("QTipLabel") && widget->isVisible())
                tip = widget;
        QVERIFY(tip && QTest::qWaitForWindowExposed(tip));
        const QString shot = QString(ARTEFACT_DIR) + "/treerows_tooltip.png";
        QVERIFY(QApplication::primaryScreen()->grabWindow(0).save(shot));
        qInfo("screenshot: %s", qPrintable(shot));
        QToolTip::hideText();
    }

    // At the window's first size, without resizing it.
    void columnsAreReadableAtTheFirstSize()
    {
        StdoutCapture quiet;
        window.reset(new MainWindow);
        const bool surface = open(file("brain.obj"));
        const bool statistics = open(file("brain.vertstats"));
        quiet.stop();
        QVERIFY(surface && statistics);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTreeView* tree = window->getResources()->getTreeView();
        QHeaderView* header = tree->header();
        // The part of the header's "Description" section inside the view
        // holds its text and the style's margins.
        const int start = header->sectionViewportPosition(1);
        const int end = std::min(start + header->sectionSize(1), tree->viewport()->width());
        const int needed = header->fontMetrics().horizontalAdvance("Description") +
                           2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin);
        QVERIFY2(end - start >= needed, qPrintable(QString("%1 < %2").arg(end - start).arg(needed)));

        {
            StdoutCapture clicks;
            clickRow(at({0, 0}));
        }
        QWidget* box = window->getResources()->getPropertiesBox();
        QList<QLabel*> labels = box->findChildren<QLabel*>();
        QLabel* label = nullptr;
        for (QLabel* candidate : labels)
            if (candidate->text() == "Transparency:")
                label = candidate;
        QVERIFY(label);
        QTRY_VERIFY(label->isVisible());
        // Whole, and inside what the dock shows.
        QTRY_VERIFY2(label->width() >= label->sizeHint().width(),
                 qPrintable(QString("%1 < %2").arg(label->width()).arg(label->sizeHint().width())));
        const QRect shown = QRect(label->mapTo(window.get(), QPoint(0, 0)), label->size());
        const QRect dock = QRect(window->getResources()->mapTo(window.get(), QPoint(0, 0)),
                                 window->getResources()->size());
        QVERIFY2(dock.contains(shown), qPrintable(QString("label %1,%2 %3x%4 dock %5,%6 %7x%8")
                                                      .arg(shown.x()).arg(shown.y())
                                                      .arg(shown.width()).arg(shown.height())
                                                      .arg(dock.x()).arg(dock.y())
                                                      .arg(dock.width()).arg(dock.height())));
        waitForFrame();
        const QString shot = QString(ARTEFACT_DIR) + "/treerows_first_size.png";
        QVERIFY(window->grab().toImage().save(shot));
        qInfo("screenshot: %s", qPrintable(shot));
    }
};

QTEST_MAIN(TestTreeRows)
#include "tst_treerows.moc"
