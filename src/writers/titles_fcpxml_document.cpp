// The titles document: resources, library, event, project and spine around
// the title elements, and its export.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "base/files.h"
#include "base/numbers.h"
#include "titles/video_facts.h"
#include "writers/fcpxml_time.h"
#include "writers/fcpxml_video_fragments.h"
#include "writers/title_texts.h"
#include "writers/titles_fcpxml.h"

namespace quelvo {

using titles::attributeText;
using titles::stripQuotes;

namespace {

const char* const kTimelineFormatId = "FCPX_TimelineFormat";

} // namespace

std::string TitlesFcpxml::resourcesXML(bool useV19, std::optional<double> fps) {
    return resourcesXML(useV19, fps, Variant::sync);
}

std::string TitlesFcpxml::libraryXML(std::optional<double> fps, bool avoidOverlap, bool useV19) {
    return libraryXML(fps, avoidOverlap, useV19, Variant::sync);
}

std::string TitlesFcpxml::documentXML(bool useV19, bool avoidOverlap, const std::string& comment) {
    return documentXML(useV19, avoidOverlap, comment, Variant::sync);
}

std::string TitlesFcpxml::documentXML(bool useV19, bool avoidOverlap, const std::string& comment,
                                      Variant variant) {
    std::string document;
    writeDocument([&](std::string_view piece) { document.append(piece); }, useV19, avoidOverlap,
                  comment, variant);
    return document;
}

void TitlesFcpxml::writeDocument(const Sink& out, bool useV19, bool avoidOverlap,
                                 const std::string& comment, Variant variant) {
    std::optional<double> fps;
    if (videoFileUrl) fps = titles::mediaFrameRate(*videoFileUrl);
    const std::string version = useV19 ? "1.9" : "1.6";
    out("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE fcpxml>\n\n<!-- " +
        titles::commentText(comment) + " -->\n\n<fcpxml version=\"" + version + "\">\n" +
        resourcesXML(useV19, fps, variant) + "\n");
    writeLibrary(out, fps, avoidOverlap, useV19, variant);
    out("\n</fcpxml>");
}

std::string TitlesFcpxml::resourcesXML(bool useV19, std::optional<double> fps, Variant) {
    using namespace quelvo::fcpxml;
    const double tb = timebase(fps);
    const std::string frameDuration = getTime(1 / tb, tb);
    std::string out = "<resources>\n<format id=\"";
    out += kTimelineFormatId;
    out += "\" name=\"" + stripQuotes(getFormat(tb)) + "\" frameDuration=" + frameDuration +
           " width=\"" + std::to_string(quelvo::truncateToInt(settings.frameSize.width)) +
           "\" height=\"" + std::to_string(quelvo::truncateToInt(settings.frameSize.height)) +
           "\"/>\n<effect id=\"";

    std::string source;
    if (customTitleInUse())
        source =
            " src=\"" + fileUrlOf(quelvo::pathFromFileUrl(*settings.customTitle.sourceUrl)) + "\"";
    out += attributeText(templateId) + "\" name=\"" + attributeText(stripQuotes(templateName)) +
           "\" uid=\"" + attributeText(templateUID) + "\" " + source + "/>\n<effect id=\"ASSET_" +
           attributeText(patchId) + "\" name=\"" + attributeText(stripQuotes(patchName)) +
           "\" uid=\"" + attributeText(patchUID) + "\"/>\n";

    if (videoFileUrl) {
        const std::string& path = *videoFileUrl;
        const titles::VideoFacts facts = titles::readVideoFacts(path);
        out += getAsset(videoID, quelvo::urlLastPathComponent(path), path, facts.startTime,
                        facts.duration, true, true, 2, 48000, "", false, useV19, true);
        out += "<format id=\"" + attributeText(videoFormatID) +
               "\" frameDuration=" + frameDuration + " width=\"" +
               std::to_string(facts.width.value_or(1920)) + "\" height=\"" +
               std::to_string(facts.height.value_or(1080)) + "\"/>\n";
    }
    return out + "\n\n</resources>";
}

std::string TitlesFcpxml::libraryXML(std::optional<double> fps, bool avoidOverlap, bool useV19,
                                     Variant variant) {
    std::string library;
    writeLibrary([&](std::string_view piece) { library.append(piece); }, fps, avoidOverlap, useV19,
                 variant);
    return library;
}

void TitlesFcpxml::writeLibrary(const Sink& out, std::optional<double> fps, bool avoidOverlap,
                                bool useV19, Variant variant) {
    using fcpxml::snappedTime;
    // The titles go out one by one between the spine's opening and closing
    // parts, never gathered: a long subtitle file's document is many times
    // the file's size.
    std::string sequenceDuration = snappedTime(lastEndTime(), timebase(fps), 2);
    std::string spineHead, spineTail;
    if (!videoFileUrl) {
        spineHead =
            " <gap name=\"Gap\" offset=\"0s\" duration=" + sequenceDuration + " start=\"0s\">\n";
        spineTail = "\n</gap>";
    } else {
        const std::string path = *videoFileUrl;
        const titles::VideoFacts facts = titles::readVideoFacts(path);
        const bool rateKnown = titles::usableFrameRate(facts.frameRate);
        sequenceDuration = snappedTime(std::max(facts.duration, lastEndTime()),
                                       rateKnown ? *facts.frameRate : 30, 1);
        // The clip is made around a marker that no XML holds, then cut there.
        const std::string marker = "\x01titles\x01";
        const std::string clip =
            fcpxml::getAssetClip(quelvo::urlLastPathComponent(path), videoID, 0, facts.duration,
                                 facts.startTime, rateKnown ? *facts.frameRate : 0, facts.duration,
                                 "dialogue", videoFormatID, "", {}, false, marker);
        const size_t at = clip.find(marker);
        spineHead = clip.substr(0, at);
        spineTail = clip.substr(at + marker.size());
        eventName = quelvo::urlName(path);
    }
    const std::string name = attributeText(stripQuotes(eventName));
    const bool async = variant == Variant::async;
    out("\n<!-- LIBRARY -->\n<library>\n\n<!-- EVENT -->\n<event name=\"" + name + "\">\n\n" +
        (async ? "<!-- TIMELINE PROJECT -->" : "<!-- TIMELINE -->") + "\n<project name=\"" + name +
        "\">\n<sequence duration=" + sequenceDuration + " format=\"" + kTimelineFormatId +
        "\" tcStart=\"0s\" tcFormat=\"NDF\" audioLayout=\"stereo\" audioRate=\"48k\">\n" +
        (async ? "\n<!-- TIMELINE SPINE -->\n" : "") + "<spine>\n" + spineHead);
    writeTitles(out, fps, avoidOverlap, useV19);
    out(spineTail + "\n</spine>\n</sequence>\n</project>\n</event>\n</library>");
}

Status TitlesFcpxml::streamXML(const std::string& url, bool useV19, const std::string& comment,
                               Variant variant) {
    if (url.empty()) return Status::failure("no output file was given");
    const std::string temporary = quelvo::temporaryPathBeside(url);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        if (fd >= 0) ::close(fd);
        return Status::failure("cannot write " + url + ": " + std::strerror(error));
    }
    int error = 0;
    const auto out = [&](std::string_view piece) {
        if (error == 0 && std::fwrite(piece.data(), 1, piece.size(), file) != piece.size())
            error = errno ? errno : EIO;
    };
    writeDocument(out, useV19, settings.avoidOverlap.value_or(false), comment, variant);
    if (std::fclose(file) != 0 && error == 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return Status::failure("cannot write " + url + ": " + std::strerror(error));
    }
    return quelvo::commitTemporaryFile(temporary, url);
}

Status TitlesFcpxml::exportXML(const std::string& url, bool useV19, const std::string& comment) {
    return streamXML(url, useV19, comment, Variant::sync);
}

TaskRequest<std::string> TitlesFcpxml::documentXMLTask(bool useV19, bool avoidOverlap,
                                                       const std::string& comment) {
    TaskRequest<std::string> request;
    request.name = "titles document";
    request.work = [this, useV19, avoidOverlap, comment](TaskControl&) -> TaskReturn<std::string> {
        return documentXML(useV19, avoidOverlap, comment, Variant::async);
    };
    return request;
}

TaskRequest<TaskDone> TitlesFcpxml::exportXMLTask(const std::string& url, bool useV19,
                                                  const std::string& comment) {
    TaskRequest<TaskDone> request;
    request.name = "titles export";
    request.work = [this, url, useV19, comment](TaskControl&) -> TaskReturn<TaskDone> {
        const Status status = streamXML(url, useV19, comment, Variant::async);
        if (!status) return TaskFailure{status.message()};
        return TaskDone{};
    };
    return request;
}

TaskHandle<std::string> TitlesFcpxml::documentXMLAsync(bool useV19, bool avoidOverlap,
                                                       const std::string& comment) {
    TaskRequest<std::string> request = documentXMLTask(useV19, avoidOverlap, comment);
    request.delivery = Delivery{};
    return TaskRunner::shared().start(std::move(request));
}

TaskHandle<TaskDone> TitlesFcpxml::exportXMLAsync(const std::string& url, bool useV19,
                                                  const std::string& comment) {
    TaskRequest<TaskDone> request = exportXMLTask(url, useV19, comment);
    request.delivery = Delivery{};
    return TaskRunner::shared().start(std::move(request));
}

} // namespace quelvo
