#pragma once
// A version sheet (the two Final Cut Pro choices) as the job's format
// question, for the windows and tests that still show or fake that sheet.
#include "project/format_question.h"
#include "project/version_sheet.h"

namespace quelvo {

class VersionSheetQuestion : public FormatQuestion {
  public:
    explicit VersionSheetQuestion(VersionSheet& sheet) : m_sheet(sheet) {}

    void ask(std::optional<ProjectFormat>, Callback callback) override {
        m_sheet.showSheet(std::nullopt, [callback](std::optional<FcpxmlVersion> v) {
            if (!v) return callback(std::nullopt);
            callback(*v == FcpxmlVersion::v1_9 ? ProjectFormat::fcpxml19 : ProjectFormat::fcpxml16);
        });
    }

  private:
    VersionSheet& m_sheet;
};

} // namespace quelvo
