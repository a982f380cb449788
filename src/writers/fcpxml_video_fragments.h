#pragma once
// FCPXML fragments for documents built around a video file: the asset
// resource and the spine asset-clip, plus the file-URL helpers they need.
// Every text inserted into an attribute is escaped for its double quotes.
#include <string>
#include <string_view>
#include <vector>

#include "base/strings.h"

namespace quelvo {

// The last path component ("/a/b/talk.mov" -> "talk.mov").
std::string urlLastPathComponent(std::string_view path);
// The file's name without its extension ("/a/b/talk.mov" -> "talk").
std::string urlName(std::string_view path);
// The path of a "file://" URL, percent-decoded; any other text is taken as a
// path already.
std::string pathFromFileUrl(std::string_view url);

} // namespace quelvo

namespace quelvo::fcpxml {

// The toolkit's one cleaner of text for XML (see strings.h).
using quelvo::xmlSafeText;

// An exact time text with its quotes: the seconds as a reduced fraction of
// microseconds ("2s", "1001/500s", "0s").
std::string getExactTime(double seconds);

// A media file as an asset resource. `src` is the file's path (written as a
// file URL); start and duration are exact. FCPXML 1.9 (`useV19`) puts the
// URL in a media-rep child, 1.6 in the src attribute. `metadata` is child
// content placed after the media representation (normally empty). An
// `audioOnly` asset is written without video even when `hasVideo` is set.
std::string getAsset(const std::string& id, const std::string& name, const std::string& src,
                     double start, double duration, bool hasAudio, bool audioSources,
                     int audioChannels, int audioRate, const std::string& metadata, bool audioOnly,
                     bool useV19, bool hasVideo);

// A spine asset-clip of an asset: it spans timelineStart to timelineEnd on
// the timeline (no longer than the asset's `duration` when that is known) and
// starts at `assetStart` in the media. Times are whole frames of `timebase`,
// or exact when the rate is unknown (0). `additionalText` (connected clips,
// titles) comes first inside the clip, then `markers` and one keyword element
// per entry of `keywords`, as the DTD orders them. `audioOnly` clips use only
// the asset's audio. Both FCPXML versions take the same clip.
std::string getAssetClip(const std::string& name, const std::string& ref, double timelineStart,
                         double timelineEnd, double assetStart, double timebase, double duration,
                         const std::string& audioRole, const std::string& format,
                         const std::string& markers, const std::vector<std::string>& keywords,
                         bool audioOnly, const std::string& additionalText);

} // namespace quelvo::fcpxml
