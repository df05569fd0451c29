// The tree row of one statistics file attached to a surface: owns the file's
// contents and a switch in front of the surface nodes holding one texture
// group per column, and passes picked vertices on to its columns.
#pragma once

#include "TreeItem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class SoSeparator;
class SoSwitch;
class zelVertstatsFile;
namespace gyroscene {
struct StoredStatistics;
}

class textureFileItem : public TreeItem
{
public:
    textureFileItem(SoSeparator* target, const QVector<QVariant>& data, ResourceForm* form,
                    TreeItem* parent);
    ~textureFileItem() override;

    // Columns shown at most: every column is a row with its own scene
    // nodes, so a malformed name line must not make millions of them.
    static constexpr int maxColumns = 1024;

    // Reads the file and makes one column row per column. `readable` is
    // canRead's answer for the file, asked once by the outermost caller;
    // when it is false the reader never sees the file. False, with the reason
    // in loadError() and no columns, when the file was not read.
    // `bytes`, when given, are what canRead read of the file: read once.
    bool loadFile(QFile& file, bool readable, const QByteArray* bytes = nullptr);
    void getAllColumns();
    // Why the last loadFile failed, naming the file; empty after a success.
    QString loadError() const;
    // What the last successful loadFile found odd, one line each, as they
    // also went to standard error.
    QStringList warnings() const;

    // Whether the statistics reader can open and read the whole file: it ends
    // the process on a file it cannot read, so callers ask here first.
    // `bytes`, when given, receive the file's contents for loadFile.
    static bool canRead(const QString& fileName, QByteArray* bytes = nullptr);
    // The report of a statistics file that could not be read, with the
    // reader's reason when it gave one.
    static QString readError(const QString& fileName, const QString& reason = QString());

    // Shows column `row` of this file on the surface, as the only column:
    // the surface's other statistics files stop drawing theirs, and the
    // surface leaves the colouring to the colour bar.
    // A hidden file only remembers the choice, for when it is shown again.
    void showColumn(int row);
    // The column last chosen with showColumn, -1 before any.
    int chosenColumn() const;
    // The column of row `row`; null for none.
    class textureColumn* column(int row) const;
    // The row of the column titled `column`; -1 for none.
    int rowOf(const QString& column) const;

    // Hidden, the file stops colouring the surface: the surface shows the
    // column of its other file chosen most recently, or its own colour.
    bool isLayer() const override;
    bool isShown() const override;
    void setShown(bool shown) override;
    void releaseLayer() override;

    QIcon icon() const override;
    // The file and its rows and columns.
    QString toolTip() const override;
    QString getFilePath() const;

    SoSwitch* getSwitch() const;
    zelVertstatsFile* getStatistics() const;

    void pickedPointReceived(int index) override;
    int documentId() const override;

private:
    // Standard error and the warnings of this load.
    void warn(const QString& line);
    // The switch shows column `row` (none when negative), which alone keeps
    // texture coordinates.
    void drawRow(int row);
    // The document's choice of what colours the surface, onto the switch.
    void applyColouring(int surface);
    void applyShown(int changed);

    SoSeparator* targetSeparator;
    SoSwitch* columnSwitch;
    // After the read it keeps the header; the columns own the values.
    zelVertstatsFile* statistics;
    // What getAllColumns read, until the document's store takes it.
    std::shared_ptr<const gyroscene::StoredStatistics> loadedColumns;
    std::int32_t rowCount = 0;
    std::int32_t columnCount = 0;
    QString lastError;
    QStringList lastWarnings;
    QString filePath;
    // Without a document (a file on its own): the state kept here.
    int id = -1;
    int surfaceId = -1;
};
