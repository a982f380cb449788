#include "preview/svg_writer.h"

#include <cstdio>
#include <sstream>

#include "base/files.h"
#include "base/strings.h"
#include "preview/preview_colors.h"

namespace quelvo::preview {

namespace {

// Numbers with the C locale's point and two decimals: enough for pixels,
// and small files.
std::string n(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

void rect(std::ostringstream& s, const Box& b, const char* fill, double opacity = 1.0) {
    s << "<rect x=\"" << n(b.x) << "\" y=\"" << n(b.y) << "\" width=\"" << n(b.w) << "\" height=\""
      << n(b.h) << "\" fill=\"" << fill << '"';
    if (opacity < 1.0) s << " fill-opacity=\"" << n(opacity) << '"';
    s << "/>\n";
}

// A waveform as one path of vertical strokes: one element, however long the file.
void wave(std::ostringstream& s, const std::vector<Column>& columns, const char* colour,
          double opacity) {
    if (columns.empty()) return;
    s << "<path stroke=\"" << colour << "\" stroke-opacity=\"" << n(opacity)
      << "\" stroke-width=\"1\" fill=\"none\" d=\"";
    for (const Column& c : columns)
        s << 'M' << n(c.x + 0.5) << ' ' << n(c.top) << 'V' << n(c.bottom);
    s << "\"/>\n";
}

// A label: its plate, then the text on it, its baseline a fifth of the
// plate's height above the plate's bottom.
void label(std::ostringstream& s, const Label& l) {
    if (l.text.empty()) return;
    rect(s, l.plate, colors::kLabelPlate);
    const double x = l.alignRight ? l.plate.x + l.plate.w - 2 : l.plate.x + 2;
    s << "<text x=\"" << n(x) << "\" y=\"" << n(l.plate.y + l.plate.h * 0.8) << '"'
      << (l.alignRight ? " text-anchor=\"end\"" : "") << " fill=\"" << colors::kRulerText << "\">"
      << quelvo::xmlEscapeText(l.text) << "</text>\n";
}

} // namespace

std::string previewSvg(const PreviewPicture& p, const std::string& title) {
    std::ostringstream s;
    s << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << n(p.width) << "\" height=\""
      << n(p.height) << "\" viewBox=\"0 0 " << n(p.width) << ' ' << n(p.height)
      << "\" font-family=\"sans-serif\" font-size=\"11\">\n"
      << "<title>" << quelvo::xmlEscapeText(title) << "</title>\n";
    rect(s, {0, 0, p.width, p.height}, colors::kBackground);
    rect(s, p.ruler, colors::kRuler);
    rect(s, p.dialogueLane, colors::kLane);
    rect(s, p.musicLane, colors::kLane);
    for (const MicrophonePicture& mic : p.microphones) {
        rect(s, mic.lane, colors::kLane);
        for (const Box& b : mic.speech)
            rect(s, b, colors::kSpeech, colors::kShadeOpacity);
    }
    for (const Tick& t : p.ticks) {
        const double top = t.label.empty() ? p.ruler.h * 0.7 : p.ruler.h * 0.4;
        s << "<line x1=\"" << n(t.x) << "\" y1=\"" << n(top) << "\" x2=\"" << n(t.x) << "\" y2=\""
          << n(p.ruler.h) << "\" stroke=\"" << colors::kRulerText << "\"/>\n";
        if (!t.label.empty())
            s << "<text x=\"" << n(t.x + 3) << "\" y=\"" << n(p.ruler.h * 0.45) << "\" fill=\""
              << colors::kRulerText << "\">" << quelvo::xmlEscapeText(t.label) << "</text>\n";
    }
    for (const Box& b : p.speech)
        rect(s, b, colors::kSpeech, colors::kShadeOpacity);
    for (const Box& b : p.fillers)
        rect(s, b, colors::kFiller, colors::kShadeOpacity);
    wave(s, p.dialogueWave, colors::kDialogueWave, 1.0);
    for (const MicrophonePicture& mic : p.microphones)
        wave(s, mic.wave, colors::kDialogueWave, 1.0);
    wave(s, p.musicWave, colors::kMusicWave, colors::kMusicWaveOpacity);
    for (const GridLine& g : p.dbGrid)
        s << "<line x1=\"0\" y1=\"" << n(g.y) << "\" x2=\"" << n(p.width) << "\" y2=\"" << n(g.y)
          << "\" stroke=\"" << colors::kGrid << "\" stroke-dasharray=\"3 3\"/>\n";
    if (!p.envelope.empty()) {
        s << "<polyline fill=\"none\" stroke=\"" << colors::kEnvelope
          << "\" stroke-width=\"2\" points=\"";
        for (const Point& pt : p.envelope)
            s << n(pt.x) << ',' << n(pt.y) << ' ';
        s << "\"/>\n";
    }
    for (const Point& pt : p.keyframeMarks)
        s << "<circle cx=\"" << n(pt.x) << "\" cy=\"" << n(pt.y) << "\" r=\"2.5\" fill=\""
          << colors::kEnvelope << "\"/>\n";
    // The labels last, on their plates over everything they name.
    for (const GridLine& g : p.dbGrid)
        label(s, g.label);
    label(s, p.dialogueCaption);
    for (const MicrophonePicture& mic : p.microphones)
        label(s, mic.caption);
    label(s, p.musicCaption);
    if (!p.fillerLegend.text.empty()) {
        // The key looks like the clips: their shade, with an edge.
        const Box& b = p.fillerSwatch;
        s << "<rect x=\"" << n(b.x) << "\" y=\"" << n(b.y) << "\" width=\"" << n(b.w)
          << "\" height=\"" << n(b.h) << "\" fill=\"" << colors::kFiller << "\" fill-opacity=\""
          << n(colors::kShadeOpacity) << "\" stroke=\"" << colors::kFiller << "\"/>\n";
        label(s, p.fillerLegend);
    }
    s << "</svg>\n";
    return s.str();
}

quelvo::Status writePreviewSvg(const std::string& path, const PreviewPicture& picture,
                               const std::string& title) {
    return quelvo::atomicWriteFile(path, previewSvg(picture, title));
}

} // namespace quelvo::preview
