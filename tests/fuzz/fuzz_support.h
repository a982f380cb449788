#pragma once
// What the fuzz targets share: a private scratch folder (also the settings
// folder, so nothing touches the user's), quiet standard output (the titles
// writer prints every title), and an in-process DTD check of the documents
// they make, which aborts with the document and libxml2's complaint.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <unistd.h>

#include <libxml/parser.h>
#include <libxml/valid.h>

namespace quelvo::fuzz {

namespace fs = std::filesystem;

// Made once per process, emptied by the caller as it likes.
inline const fs::path& scratchDir() {
    static const fs::path dir = [] {
        const fs::path d =
            fs::temp_directory_path() / ("quelvo-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(d / "config");
        setenv("QUELVO_CONFIG_DIR", (d / "config").c_str(), 1);
        return d;
    }();
    return dir;
}

inline void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The documents' writers echo to standard output; a fuzzer's own messages go
// to standard error, so standard output can go.
inline void silenceStandardOutput() {
    static std::once_flag once;
    std::call_once(once, [] {
        std::fflush(stdout);
        if (std::FILE* null = std::fopen("/dev/null", "w")) ::dup2(::fileno(null), STDOUT_FILENO);
    });
}

namespace detail {
inline void collect(void* ctx, const char* fmt, ...) {
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    *static_cast<std::string*>(ctx) += buf;
}
inline void ignore(void*, const char*, ...) {}
} // namespace detail

// Aborts unless xml is well-formed and valid against the shared DTD of
// version ("1.6" or "1.9"). Without the shared folder only well-formedness is
// checked.
inline void requireValidFcpxml(const std::string& xml, const std::string& version) {
    static std::once_flag once;
    static xmlDtdPtr dtd16 = nullptr, dtd19 = nullptr;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetGenericErrorFunc(nullptr, detail::ignore);
        const fs::path dir = fs::path(QUELVO_SHARED_DIR) / "fcpxml";
        if (fs::exists(dir / "FCPXMLv1_6.dtd"))
            dtd16 = xmlParseDTD(nullptr, BAD_CAST(dir / "FCPXMLv1_6.dtd").c_str());
        if (fs::exists(dir / "FCPXMLv1_9.dtd"))
            dtd19 = xmlParseDTD(nullptr, BAD_CAST(dir / "FCPXMLv1_9.dtd").c_str());
    });
    std::string problem;
    xmlDocPtr doc =
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "document.fcpxml", nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    if (!doc) {
        const xmlError* e = xmlGetLastError();
        problem = std::string("not well-formed: ") + (e && e->message ? e->message : "?");
    } else if (xmlDtdPtr dtd = version == "1.6" ? dtd16 : dtd19) {
        xmlValidCtxtPtr ctxt = xmlNewValidCtxt();
        ctxt->userData = &problem;
        ctxt->error = detail::collect;
        ctxt->warning = detail::ignore;
        if (!xmlValidateDtd(ctxt, doc, dtd) && problem.empty())
            problem = "not valid against the DTD";
        xmlFreeValidCtxt(ctxt);
    }
    if (doc) xmlFreeDoc(doc);
    if (!problem.empty()) {
        std::fprintf(stderr, "FCPXML %s document rejected: %s\n--- document ---\n%s\n--- end ---\n",
                     version.c_str(), problem.c_str(), xml.c_str());
        std::abort();
    }
}

} // namespace quelvo::fuzz
