#include "writers/timeline_reader.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace quelvo::test {

namespace {

using Doc = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;

Doc parse(const std::string& xml) {
    return Doc(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "project.xml", nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
               xmlFreeDoc);
}

bool named(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

const xmlNode* child(const xmlNode* node, const char* name) {
    for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next)
        if (named(c, name)) return c;
    return nullptr;
}

std::string text(const xmlNode* node) {
    if (!node) return "";
    xmlChar* content = xmlNodeGetContent(node);
    std::string out = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return out;
}

std::string attribute(const xmlNode* node, const char* name) {
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    std::string out = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return out;
}

int64_t integer(const xmlNode* node) {
    return std::strtoll(text(node).c_str(), nullptr, 10);
}

template <typename Visit> void forEach(const xmlNode* node, const char* name, Visit visit) {
    for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next) {
        if (named(c, name)) visit(c);
        forEach(c, name, visit);
    }
}

double dbOfGain(double gain) {
    return gain <= 0 ? -96.0 : 20.0 * std::log10(gain);
}

// "N/Ds", "Ns" or "0s" in seconds.
double rational(const std::string& time) {
    const size_t slash = time.find('/');
    if (slash == std::string::npos) return std::strtod(time.c_str(), nullptr);
    return std::strtod(time.substr(0, slash).c_str(), nullptr) /
           std::strtod(time.substr(slash + 1).c_str(), nullptr);
}

} // namespace

std::string pathOfFileUrl(const std::string& url) {
    std::string rest;
    if (url.rfind("file://localhost/", 0) == 0)
        rest = url.substr(16);
    else if (url.rfind("file:///", 0) == 0)
        rest = url.substr(7);
    else
        return "";
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '%' && i + 2 < rest.size() + 0 &&
            std::isxdigit(static_cast<unsigned char>(rest[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(rest[i + 2]))) {
            path += static_cast<char>(std::strtol(rest.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else if (std::isalnum(static_cast<unsigned char>(c)) ||
                   std::string("-._~/").find(c) != std::string::npos) {
            path += c;
        } else {
            return "";
        }
    }
    return path;
}

ReadTimeline readXmeml(const std::string& xml) {
    ReadTimeline timeline;
    const Doc doc = parse(xml);
    if (!doc) return timeline;
    timeline.wellFormed = true;
    const xmlNode* sequence = child(xmlDocGetRootElement(doc.get()), "sequence");
    const xmlNode* rate = child(sequence, "rate");
    const double timebase = static_cast<double>(integer(child(rate, "timebase")));
    timeline.framesPerSecond =
        text(child(rate, "ntsc")) == "TRUE" ? timebase * 1000.0 / 1001.0 : timebase;
    std::map<std::string, std::string> fileIds;
    forEach(sequence, "file", [&](const xmlNode* file) {
        if (const xmlNode* url = child(file, "pathurl")) {
            timeline.urls.push_back(text(url));
            fileIds[attribute(file, "id")] = pathOfFileUrl(text(url));
            ++timeline.definitions[pathOfFileUrl(text(url))];
        }
    });
    forEach(sequence, "clipitem", [&](const xmlNode* item) {
        ReadClip clip;
        clip.path = fileIds[attribute(child(item, "file"), "id")];
        clip.start = integer(child(item, "start"));
        clip.end = integer(child(item, "end"));
        clip.in = integer(child(item, "in"));
        clip.out = integer(child(item, "out"));
        clip.trackIndex =
            static_cast<int>(integer(child(child(item, "sourcetrack"), "trackindex")));
        forEach(item, "keyframe", [&](const xmlNode* k) {
            clip.keyframes.push_back(
                {static_cast<double>(integer(child(k, "when"))) / timeline.framesPerSecond,
                 dbOfGain(std::strtod(text(child(k, "value")).c_str(), nullptr))});
        });
        timeline.clips.push_back(std::move(clip));
    });
    return timeline;
}

ReadTimeline readFcpxml19(const std::string& xml, double framesPerSecond) {
    ReadTimeline timeline;
    const Doc doc = parse(xml);
    if (!doc) return timeline;
    timeline.wellFormed = true;
    timeline.framesPerSecond = framesPerSecond;
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    std::map<std::string, std::string> assets;
    forEach(root, "asset", [&](const xmlNode* asset) {
        const std::string url = attribute(child(asset, "media-rep"), "src");
        timeline.urls.push_back(url);
        assets[attribute(asset, "id")] = pathOfFileUrl(url);
        ++timeline.definitions[pathOfFileUrl(url)];
    });
    const auto frames = [&](const std::string& t) {
        return std::llround(rational(t) * framesPerSecond);
    };
    forEach(root, "asset-clip", [&](const xmlNode* item) {
        // A connected clip's offset is on its parent's time, which starts at
        // the parent's own start; the writers' parents all sit at 0 from 0.
        ReadClip clip;
        clip.path = assets[attribute(item, "ref")];
        clip.start = frames(attribute(item, "offset"));
        clip.end = clip.start + frames(attribute(item, "duration"));
        clip.in = frames(attribute(item, "start").empty() ? "0s" : attribute(item, "start"));
        clip.out = clip.in + (clip.end - clip.start);
        if (const xmlNode* volume = child(item, "adjust-volume")) {
            forEach(volume, "keyframe", [&](const xmlNode* k) {
                clip.keyframes.push_back({rational(attribute(k, "time")),
                                          std::strtod(attribute(k, "value").c_str(), nullptr)});
            });
            forEach(volume, "fadeOut", [&](const xmlNode* f) {
                clip.fadeOutSeconds = rational(attribute(f, "duration"));
            });
        }
        timeline.clips.push_back(std::move(clip));
    });
    return timeline;
}

} // namespace quelvo::test
