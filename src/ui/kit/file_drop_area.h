#pragma once
// A drop area for files. It accepts drags that carry at least one file with
// an accepted extension (compared without regard to case), calls onDrop with
// those paths in the order they came, and then shows the first file's name as
// its caption, so the user sees what was dropped. A click (or Space when
// focused) opens a file picker that ends the same way as a drop.
#include <functional>
#include <string>
#include <vector>

#include <QFrame>
#include <QString>

namespace quelvo::ui {

class FileDropArea : public QFrame {
    Q_OBJECT
  public:
    // What a drop may carry: files and folders, folders only, or files only.
    enum DropMode { kFilesAndFolders = 0, kFoldersOnly = 1, kFilesOnly = 2 };

    explicit FileDropArea(QWidget* parent = nullptr);

    std::function<void(const std::vector<std::string>&)> onDrop;
    // Without the dot, e.g. "wav"; empty accepts every file.
    std::vector<std::string> acceptedExtensions;
    int dropMode = kFilesOnly;
    // The picker lets the user choose several files at once.
    bool multipleFiles = false;
    // The picker's name for the accepted kinds, e.g. "Audio and video files".
    QString kindsName;

    QString text() const { return m_text; }
    void setText(const QString& text);

    // The paths among `paths` that this area takes, in their order.
    std::vector<std::string> acceptedPaths(const std::vector<std::string>& paths) const;

    // Takes files handed over another way (the command line) as if they were
    // dropped; false when none of them is a kind this area accepts.
    bool place(const std::vector<std::string>& paths);

    // Opens the file picker (window-modal; answers come back asynchronously)
    // in the folder of the last file this area took, else in the user's
    // music or home folder: never in whatever folder the program started in.
    void openFilePicker();

    // The setting that remembers that folder across restarts; "" (the
    // default) remembers it only while the program runs.
    void setLastFolderKey(const std::string& key);
    QString lastFolder() const { return m_lastFolder; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool accepts(const std::string& path) const;
    void deliver(const std::vector<std::string>& accepted);
    QString nameFilter() const;

    QString m_text;
    QString m_lastFolder;
    std::string m_lastFolderKey;
    bool m_hovering = false;
    bool m_pressed = false;
};

} // namespace quelvo::ui
