#pragma once
// The preview's analyses of the second and later dialogue files (the first
// goes with the music through PreviewAnalysis): one background runner a
// file, all side by side, each answer hopped to the GUI thread. A file that
// stays keeps its track, so adding or removing a file decodes only the new one.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include "preview/background_analysis.h"

namespace quelvo::ui {

class PreviewMicrophones : public QObject {
    Q_OBJECT
  public:
    using Track = quelvo::preview::BackgroundAnalysis::Track;
    using FeaturesWhen = quelvo::preview::BackgroundAnalysis::FeaturesWhen;

    explicit PreviewMicrophones(QObject* parent = nullptr);
    ~PreviewMicrophones() override;

    // Analyses the paths not kept already and stops the runners of the
    // paths no longer given.
    void start(const std::vector<std::string>& paths, FeaturesWhen features);
    // The track of a path (null while analysed or when unreadable).
    Track track(const std::string& path) const;
    bool isRunning() const;

  signals:
    // A path's track arrived (again, with its speech features, when they
    // follow the picture); `problem` says why it is missing or incomplete.
    void trackArrived(QString path, QString problem);

  private:
    struct Runner;
    std::map<std::string, std::unique_ptr<Runner>> m_runners;
};

} // namespace quelvo::ui
