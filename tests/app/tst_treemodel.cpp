// The resource items and the item model over them: their edge cases, the
// ones a view or a later item class could trip over.
#include "TreeItem.h"
#include "TreeModel.h"
#include "app_test_util.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QVector<QVariant> titled(const QString& title)
{
    return {title, QString()};
}

// An item that counts its destructions, to see whole subtrees go.
struct CountedItem : TreeItem {
    CountedItem(int* counter, TreeItem* parent)
        : TreeItem(titled("counted"), nullptr, parent), counter(counter)
    {
    }
    ~CountedItem() override { ++*counter; }
    int* counter;
};

// An item that takes children made elsewhere, the way the item classes
// append the rows they create.
struct AdoptingItem : TreeItem {
    using TreeItem::TreeItem;
    void adopt(TreeItem* child) { childList.append(child); }
};

}  // namespace

class TestTreeModel : public QObject
{
    Q_OBJECT

private slots:
    void itemRangesAreRefused()
    {
        TreeItem item(titled("a"), nullptr, nullptr);
        QCOMPARE(item.columnCount(), 2);
        QVERIFY(!item.setData(-1, "x"));
        QVERIFY(!item.setData(item.columnCount(), "x"));
        QCOMPARE(item.data(0).toString(), QString("a"));
        QVERIFY(!item.data(item.columnCount()).isValid());
        QVERIFY(!item.data(-1).isValid());
        QVERIFY(item.setData(1, "desc"));
        QCOMPARE(item.data(1).toString(), QString("desc"));
        QVERIFY(item.child(-1) == nullptr);
        QVERIFY(item.child(item.childCount()) == nullptr);
        QCOMPARE(item.childNumber(), 0);
        QVERIFY(!item.havePropForm());
        QVERIFY(item.createForm() == nullptr);
    }

    void insertChildrenAppendsPlainItemsInFront()
    {
        TreeItem root(titled("root"), nullptr, nullptr);
        QVERIFY(root.insertChildren(0, 1, 2));
        root.child(0)->setData(0, "first");
        QVERIFY(root.insertChildren(root.childCount(), 2, 3));
        QCOMPARE(root.childCount(), 3);
        for (int row = 1; row < 3; ++row) {
            QCOMPARE(root.child(row)->columnCount(), 3);
            QVERIFY(!root.child(row)->data(0).isValid());
            QVERIFY(root.child(row)->parent() == &root);
            QCOMPARE(root.child(row)->childNumber(), row);
        }
        QVERIFY(!root.insertChildren(root.childCount() + 1, 1, 3));
        QVERIFY(!root.insertChildren(-1, 1, 3));
        QCOMPARE(root.childCount(), 3);
        QVERIFY(root.insertChildren(0, 0, 2));
        QVERIFY(root.insertChildren(0, -4, 2));
        QVERIFY(root.insertChildren(0, 1, -1));  // no columns, not a crash
        QCOMPARE(root.child(0)->columnCount(), 0);
        QCOMPARE(root.child(1)->data(0).toString(), QString("first"));
    }

    void removeChildrenDeletesWholeSubtreesOrNothing()
    {
        int destroyed = 0;
        AdoptingItem root(titled("root"), nullptr, nullptr);
        QVERIFY(root.insertChildren(0, 2, 2));
        auto* middle = new AdoptingItem(titled("middle"), nullptr, &root);
        root.adopt(middle);
        auto* counted = new CountedItem(&destroyed, middle);
        middle->adopt(counted);
        middle->adopt(new CountedItem(&destroyed, middle));
        QCOMPARE(root.childCount(), 3);
        QCOMPARE(middle->childCount(), 2);
        QCOMPARE(middle->childNumber(), 2);

        QVERIFY(!root.removeChildren(1, root.childCount()));
        QVERIFY(!root.removeChildren(-1, 1));
        QVERIFY(!root.removeChildren(0, -1));
        QVERIFY(!root.removeChildren(1, std::numeric_limits<int>::max()));
        QCOMPARE(root.childCount(), 3);
        QCOMPARE(destroyed, 0);

        QVERIFY(root.removeChildren(0, root.childCount()));
        QCOMPARE(root.childCount(), 0);
        QCOMPARE(destroyed, 2);
    }

    void columnsSpreadToDescendantsThatAcceptThem()
    {
        TreeItem root(titled("root"), nullptr, nullptr);
        root.insertChildren(0, 1, 2);
        root.child(0)->insertChildren(0, 1, 1);  // a grandchild with one column
        QVERIFY(root.insertColumns(root.columnCount(), 1));
        QCOMPARE(root.columnCount(), 3);
        QCOMPARE(root.child(0)->columnCount(), 3);
        // The grandchild refuses position 2 (it has only one column).
        QCOMPARE(root.child(0)->child(0)->columnCount(), 1);
        QVERIFY(!root.data(2).isValid());
        QVERIFY(!root.insertColumns(root.columnCount() + 1, 1));
        QVERIFY(!root.insertColumns(-1, 1));

        QVERIFY(!root.removeColumns(2, 2));
        QVERIFY(!root.removeColumns(-1, 1));
        QVERIFY(root.removeColumns(1, 2));
        QCOMPARE(root.columnCount(), 1);
        QCOMPARE(root.child(0)->columnCount(), 1);
        QCOMPARE(root.child(0)->child(0)->columnCount(), 1);  // refused, kept
        QCOMPARE(root.data(0).toString(), QString("root"));
    }

    void baseSelectionNamesTheParentsPosition()
    {
        TreeItem root(titled("root"), nullptr, nullptr);
        root.insertChildren(0, 3, 2);
        root.child(2)->insertChildren(0, 1, 2);
        QCOMPARE(root.child(2)->childNumber(), 2);
        StdoutCapture capture;
        root.child(2)->child(0)->wasSelected();
        root.child(0)->wasSelected();
        QCOMPARE(capture.lines(), QStringList({"Eeeek 2", "Eeeek 0"}));
    }

    void emptyModelShowsTheHeader()
    {
        TreeModel model({"Title", "Description"}, nullptr);
        QCOMPARE(model.rowCount(QModelIndex()), 0);
        QCOMPARE(model.columnCount(QModelIndex()), 2);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Title"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("Description"));
        QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
        QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
        QVERIFY(!model.headerData(2, Qt::Horizontal).isValid());
        QCOMPARE(model.flags(QModelIndex()), Qt::ItemFlags(Qt::ItemIsEnabled));
        QVERIFY(model.getItem(QModelIndex()) == model.getRootItem());
    }

    void indexesParentsAndData()
    {
        TreeModel model({"Title", "Description"}, nullptr);
        QVERIFY(model.insertRows(0, 3));
        const QModelIndex second = model.index(1, 0);
        QVERIFY(second.isValid());
        QVERIFY(model.setData(second, "surface"));
        QVERIFY(model.insertRows(0, 1, second));
        const QModelIndex inner = model.index(0, 0, second);
        QVERIFY(inner.isValid());

        // Only column-0 indexes have children.
        QVERIFY(!model.index(0, 0, model.index(1, 1)).isValid());
        QVERIFY(!model.index(5, 0).isValid());
        QVERIFY(!model.index(-1, 0).isValid());
        QVERIFY(model.index(0, 7).isValid());  // any column number is accepted

        QVERIFY(!model.parent(second).isValid());
        QCOMPARE(model.parent(inner), model.index(1, 0));
        QVERIFY(!model.parent(QModelIndex()).isValid());
        QCOMPARE(model.rowCount(second), 1);
        QCOMPARE(model.columnCount(second), 2);

        QCOMPARE(model.data(second, Qt::DisplayRole).toString(), QString("surface"));
        QCOMPARE(model.data(second, Qt::EditRole), model.data(second, Qt::DisplayRole));
        QVERIFY(!model.data(second, Qt::ToolTipRole).isValid());
        QVERIFY(!model.data(second, Qt::DecorationRole).isValid());
        QVERIFY(!model.data(QModelIndex(), Qt::DisplayRole).isValid());

        // Display-role writes are refused; both columns are editable.
        QVERIFY(!model.setData(second, "other", Qt::DisplayRole));
        QCOMPARE(model.data(second, Qt::DisplayRole).toString(), QString("surface"));
        const Qt::ItemFlags editable = Qt::ItemIsEditable | Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        QCOMPARE(model.flags(second), editable);
        QCOMPARE(model.flags(model.index(1, 1)), editable);
        QVERIFY(model.setData(model.index(1, 1), "picked"));
        QCOMPARE(model.getItem(second)->data(1).toString(), QString("picked"));
    }

    void headerEditsNeedEditRoleAndHorizontal()
    {
        TreeModel model({"Title", "Description"}, nullptr);
        QSignalSpy headerSpy(&model, &QAbstractItemModel::headerDataChanged);
        QVERIFY(!model.setHeaderData(0, Qt::Horizontal, "X", Qt::DisplayRole));
        QVERIFY(!model.setHeaderData(0, Qt::Vertical, "X"));
        QVERIFY(!model.setHeaderData(2, Qt::Horizontal, "X"));
        QVERIFY(model.setHeaderData(1, Qt::Horizontal, "Info"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString("Info"));
        QCOMPARE(headerSpy.count(), 0);
    }

    void refusedStructuralChangesAnnounceNothing()
    {
        TreeModel model({"Title", "Description"}, nullptr);
        model.insertRows(0, 2);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsAboutToBeInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsAboutToBeRemoved);
        QSignalSpy columns(&model, &QAbstractItemModel::columnsAboutToBeRemoved);
        QVERIFY(!model.insertRows(5, 1));
        QVERIFY(!model.removeRows(1, 5));
        QVERIFY(!model.removeColumns(1, 5));
        QCOMPARE(inserted.count() + removed.count() + columns.count(), 0);
        QCOMPARE(model.rowCount(), 2);

        QVERIFY(model.removeRows(0, 1));
        QCOMPARE(removed.count(), 1);
        QCOMPARE(model.rowCount(), 1);
    }

    void removingEveryColumnRemovesEveryRow()
    {
        TreeModel model({"Title", "Description"}, nullptr);
        model.insertRows(0, 2);
        QVERIFY(model.insertColumns(2, 1));
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.getItem(model.index(0, 0))->columnCount(), 3);
        QVERIFY(model.removeColumns(0, 3));
        QCOMPARE(model.columnCount(), 0);
        QCOMPARE(model.rowCount(), 0);
    }

    void everyRefreshPrintsGrunkle()
    {
        TreeModel model({"Title", "Description"}, nullptr);
        QSignalSpy layout(&model, &QAbstractItemModel::layoutChanged);
        StdoutCapture capture;
        model.somethingChanged();
        model.somethingChanged();
        QCOMPARE(capture.lines(), QStringList({"Grunkle", "Grunkle"}));
        QCOMPARE(layout.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestTreeModel)
#include "tst_treemodel.moc"
