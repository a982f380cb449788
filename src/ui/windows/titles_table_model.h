#pragma once
// The titles as the project will hold them: number, start, end, duration,
// lane, the text on one line, why a row differs from its subtitle, and the
// reading checks it fails (the row is tinted, the reason in its tooltip).
#include <optional>
#include <vector>

#include <QAbstractTableModel>

#include "titles/reading_checks.h"
#include "titles/subtitle_cue.h"
#include "writers/caption_document.h"
#include "writers/titles_fcpxml.h"

namespace quelvo::ui {

struct TitleRow {
    int64_t number = 0;
    double start = 0;    // seconds, as the subtitle file counts
    double duration = 0; // seconds, after the duration rules
    int64_t lane = 1;
    QString text;         // lines joined by " / "
    QString reason;       // "" when the title is as its subtitle says
    QString failedChecks; // the reading checks it fails; "" when it passes
};

class TitlesTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { kNumber, kStart, kEnd, kDuration, kLane, kText, kChanged, kColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // The rows that `titles` places with its settings. `fps` is the video's
    // frame rate, as the document uses it.
    static std::vector<TitleRow> plan(const std::vector<SubtitleCue>& subtitles,
                                      const TitlesSettings& settings, std::optional<double> fps);

    // The rows of captions placed at `rate` frames a second.
    static std::vector<TitleRow>
    planCaptions(const std::vector<SubtitleCue>& cues,
                 const std::vector<quelvo::titles::CaptionPlacement>& places, double rate);
    // Notes on each row the reading checks it fails.
    static void markFailures(std::vector<TitleRow>& rows,
                             const std::vector<quelvo::titles::CueFinding>& findings);

    // The timeline's frame rate, the video's else the settings' else 30:
    // what the project will use.
    static double timelineRate(const TitlesSettings& settings, std::optional<double> fps);

    // Times show as timecode at `fps`, with milliseconds in their tooltips.
    void setRows(std::vector<TitleRow> rows, double fps);
    double frameRate() const { return m_fps; }
    const std::vector<TitleRow>& rows() const { return m_rows; }
    int changedCount() const;
    int failingCount() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    QString timecode(double seconds) const;

    std::vector<TitleRow> m_rows;
    double m_fps = 30;
};

} // namespace quelvo::ui
