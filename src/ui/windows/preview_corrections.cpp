// The preview's corrections to the speech: picking, removing, adding and
// moving intervals on the dialogue lane, undo and redo, the mark that says
// the speech was corrected, and label files in and out. The edits themselves
// are the core's (quelvo::SpeechCorrections); this is their window side.
#include <algorithm>
#include <cctype>

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "base/files.h"
#include "speech/speech_labels.h"
#include "ui/kit/alert.h"
#include "ui/windows/preview_canvas.h"
#include "ui/windows/preview_panel.h"

namespace quelvo::ui {

namespace pv = quelvo::preview;

namespace {

const QString kLabelFilter = QObject::tr("Label files (*.txt);;All files (*)");

QString chooseLabelFile(QWidget* parent, bool save) {
    return save ? QFileDialog::getSaveFileName(parent, QObject::tr("Export Labels"), QString(),
                                               kLabelFilter)
                : QFileDialog::getOpenFileName(parent, QObject::tr("Import Labels"), QString(),
                                               kLabelFilter);
}

PreviewPanel::LabelFileChooser& labelFileChooser() {
    static PreviewPanel::LabelFileChooser current = chooseLabelFile;
    return current;
}

// The interval holding `seconds`, or -1.
int intervalAt(const ClusterList& speech, double seconds) {
    for (size_t k = 0; k < speech.size(); ++k)
        if (speech[k].start <= seconds && seconds <= speech[k].end) return static_cast<int>(k);
    return -1;
}

} // namespace

PreviewPanel::LabelFileChooser PreviewPanel::setLabelFileChooser(LabelFileChooser chooser) {
    LabelFileChooser previous = labelFileChooser();
    labelFileChooser() = chooser ? std::move(chooser) : chooseLabelFile;
    return previous;
}

void PreviewPanel::addSpeechControls(QHBoxLayout* header) {
    m_speechCount = new QLabel(this);
    m_speechCount->setToolTip(
        tr("The speech the music ducks under. On the dialogue lane: click a band and press "
           "Delete to remove it, drag across the waveform to add one, drag a band's edge to "
           "move it; Ctrl+Z undoes, Ctrl+Shift+Z redoes."));
    m_revert = new QToolButton(this);
    m_revert->setText(tr("Revert to Detected"));
    m_revert->setToolTip(tr("Forget the corrections and use the detected speech again"));
    m_revert->setAutoRaise(true);
    // Hidden until the speech is corrected, it is never laid out: its own
    // size meanwhile, not a default that would clip its text.
    m_revert->resize(m_revert->sizeHint());
    m_revert->hide();
    m_labels = new QToolButton(this);
    m_labels->setText(tr("Labels"));
    m_labels->setToolTip(
        tr("Import or export the speech as a label file (start, end, text a line)"));
    m_labels->setAccessibleName(m_labels->toolTip());
    m_labels->setAutoRaise(true);
    m_labels->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(m_labels);
    menu->addAction(tr("Import Labels…"), this, [this] {
        const QString path = labelFileChooser()(window(), false);
        if (!path.isEmpty()) importLabels(path.toStdString());
    });
    menu->addAction(tr("Export Labels…"), this, [this] {
        const QString path = labelFileChooser()(window(), true);
        if (!path.isEmpty()) exportLabels(path.toStdString());
    });
    m_labels->setMenu(menu);
    for (QWidget* w : {static_cast<QWidget*>(m_speechCount), static_cast<QWidget*>(m_revert),
                       static_cast<QWidget*>(m_labels)})
        header->addWidget(w);
    m_labels->setEnabled(false);

    connect(m_revert, &QToolButton::clicked, this, &PreviewPanel::revertToDetected);
    connect(m_canvas, &PreviewCanvas::undoRequested, this, &PreviewPanel::undoCorrection);
    connect(m_canvas, &PreviewCanvas::redoRequested, this, &PreviewPanel::redoCorrection);
    connect(m_canvas, &PreviewCanvas::speechRemoveRequested, this, [this](int index) {
        correctionMade(m_corrections.remove(m_detected, static_cast<size_t>(index)));
    });
    connect(m_canvas, &PreviewCanvas::speechAddRequested, this, [this](double start, double end) {
        correctionMade(m_corrections.add(m_detected, {start, end}), (start + end) / 2);
    });
    connect(m_canvas, &PreviewCanvas::speechEdgeMoveRequested, this,
            [this](int index, bool endEdge, double t) {
                using Edge = SpeechCorrections::Edge;
                correctionMade(m_corrections.moveEdge(m_detected, static_cast<size_t>(index),
                                                      endEdge ? Edge::end : Edge::start, t,
                                                      dialogueSeconds()),
                               t);
            });
}

std::optional<ClusterList> PreviewPanel::correctedSpeech() const {
    if (!m_corrections.corrected()) return std::nullopt;
    return m_corrections.intervals(m_detected);
}

double PreviewPanel::dialogueSeconds() const {
    // Several files: the union runs to the end of the longest.
    double seconds = m_model && m_model->dialogue() ? m_model->dialogue()->duration() : 0.0;
    if (m_model)
        for (const auto& lane : m_model->microphones())
            if (lane.track) seconds = std::max(seconds, lane.track->duration());
    return seconds;
}

void PreviewPanel::correctionMade(bool changed, double select) {
    if (!changed) return;
    redraw();
    m_canvas->selectSpeech(select < 0 ? -1 : intervalAt(m_canvas->scene().speech, select));
    emit speechCorrected();
}

void PreviewPanel::undoCorrection() {
    correctionMade(m_corrections.undo());
}
void PreviewPanel::redoCorrection() {
    correctionMade(m_corrections.redo());
}
void PreviewPanel::revertToDetected() {
    correctionMade(m_corrections.revert());
}

void PreviewPanel::refreshSpeechCount() {
    const bool dialogue = m_model && m_model->dialogue();
    const size_t count = m_canvas->scene().speech.size();
    const bool corrected = dialogue && m_corrections.corrected();
    QString text;
    if (dialogue)
        text = count == 1 ? tr("1 speech interval") : tr("%1 speech intervals").arg(count);
    // The mark: the speech is the editor's, not the detector's.
    if (corrected) text = tr("%1 · ✎ corrected").arg(text);
    m_speechCount->setText(text);
    m_revert->setVisible(corrected);
    m_labels->setEnabled(dialogue);
}

void PreviewPanel::askToClearCorrections(const EnvelopeTiming& before) {
    const EnvelopeTiming& now = m_settings.rolls;
    const bool detectionChanged =
        now.detection != before.detection ||
        (now.detection == DetectionMode::threshold && now.threshold != before.threshold);
    if (!detectionChanged) return;
    // History alone (everything undone or reverted) goes without a word.
    if (!m_corrections.corrected()) return m_corrections.clear();
    AlertRequest request;
    request.message = "Warning";
    request.informativeText =
        "The speech detection changed, and the speech of " +
        (m_dialoguePaths.size() > 1 ? std::string("the dialogue files")
                                    : quelvo::fileNameOf(m_dialoguePath)) +
        " was corrected by hand. Clear the corrections and use the new detection?";
    request.buttons = {{"Clear Corrections",
                        [this] {
                            m_corrections.clear();
                            redraw();
                            emit speechCorrected();
                        }},
                       {"Keep Corrections", {}}};
    request.escapeButton = 1;
    request.parent = window();
    Alert::service().present(request);
}

bool PreviewPanel::importLabels(const std::string& path) {
    if (!m_model || !m_model->dialogue()) return false;
    LabelReading read = quelvo::readLabelFile(path, dialogueSeconds());
    if (!read.status) {
        Alert::ok("Warning", read.status.message(), window());
        return false;
    }
    correctionMade(m_corrections.replace(m_detected, std::move(read.intervals)));
    QString said;
    for (const std::string& warning : read.warnings)
        said += QString::fromStdString(warning) + QLatin1Char(' ');
    m_status->setText(said.trimmed());
    return true;
}

bool PreviewPanel::exportLabels(const std::string& path) {
    if (!m_model || !m_model->dialogue()) return false;
    if (const Status written = quelvo::writeLabelFile(path, m_canvas->scene().speech); !written) {
        std::string why = written.message();
        if (!why.empty())
            why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
        Alert::ok("Warning", why + ".", window());
        return false;
    }
    m_status->setText(tr("Exported the speech to %1").arg(QString::fromStdString(path)));
    return true;
}

} // namespace quelvo::ui
