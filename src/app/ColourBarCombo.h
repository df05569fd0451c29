// The colour-bar list of a column's property box. Its entries are the bars'
// full paths, which are mostly directory: the closed box and the open list
// cut them from the left so that the bar's own name always shows, the open
// list is as wide as its longest entry, and each entry carries its path as
// tooltip and a small picture of the bar.
#pragma once

#include <QComboBox>
#include <QString>

class ColourBarCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit ColourBarCombo(QWidget* parent = nullptr);

    // Appends one bar; the entry's text is `path` as given.
    void addColourBar(const QString& path);
    // The current entry's text as the closed box draws it.
    QString displayedText() const;

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
