#pragma once
// The dialogue files listed one a row under the dialogue drop area: a poster
// frame for a video, the file's name, its facts (duration; for a video also
// frame rate and size), the missing-file badge, and a button that removes
// the file. The main window owns the list; this only shows it and asks.
#include <string>
#include <vector>

#include <QWidget>

#include "ui/windows/missing_file_marker.h"

class QImage;
class QLabel;
class QToolButton;
class QVBoxLayout;

namespace quelvo::ui {

class DialogueFileRows : public QWidget {
    Q_OBJECT
  public:
    explicit DialogueFileRows(QWidget* parent = nullptr);

    // One row a path, in this order; facts come later by setFacts.
    void setPaths(const std::vector<std::string>& paths);
    int count() const { return static_cast<int>(m_rows.size()); }
    // The row's facts line and, for a video, its poster frame (null: none).
    void setFacts(int row, const QString& facts, const QImage& poster);
    // The badge of a file gone from disk or unreadable; hidden when `show` is false.
    void setMarker(int row, bool show, MissingFileMarker::Kind kind);

    QLabel* nameLabel(int row) const { return m_rows.at(static_cast<size_t>(row)).name; }
    QLabel* factsLabel(int row) const { return m_rows.at(static_cast<size_t>(row)).facts; }
    QLabel* posterLabel(int row) const { return m_rows.at(static_cast<size_t>(row)).poster; }
    MissingFileMarker* marker(int row) const { return m_rows.at(static_cast<size_t>(row)).marker; }
    QToolButton* removeButton(int row) const { return m_rows.at(static_cast<size_t>(row)).remove; }

  signals:
    void removeRequested(int row);

  private:
    struct Row {
        QWidget* widget = nullptr;
        QLabel* poster = nullptr;
        QLabel* name = nullptr;
        QLabel* facts = nullptr;
        MissingFileMarker* marker = nullptr;
        QToolButton* remove = nullptr;
    };
    Row makeRow(const std::string& path, int index);

    QVBoxLayout* m_layout;
    std::vector<Row> m_rows;
};

} // namespace quelvo::ui
