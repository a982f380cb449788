#pragma once
// FCPXML 1.9 fragments for audio projects: asset resources, volume
// automation, spine and connected asset clips. Callers join them into a
// document with getXML (fcpxml_document.h).
//
// Times: asset durations are exact (samples/rate); clip offsets and durations
// are whole frames of the 30 fps timeline (N/3000s, N a multiple of 100,
// rounded to the nearest frame); keyframe times are rounded to 1/3000 s.
// Every text inserted into an attribute is escaped for its double quotes.
#include <string>

#include "media/audio_file.h"
#include "project/volume_keyframe.h"

namespace quelvo::fcpxml {

// The timeline that clip times are counted in.
inline constexpr double kAudioTimelineFPS = 30.0;

// "samples/rates" with its double quotes ("2646000/44100s"); "0s" when the
// file has no known length or rate.
std::string getExactAudioDuration(const quelvo::AudioFileInfo& facts);

// <asset id=".." name="<file name without extension>" start="0s"
// duration="<exact>" hasAudio="1" audioSources="1" audioChannels="<n>"
// audioRate="<rate>"><media-rep kind="original-media" src="<file URL>"/></asset>
// This form probes the file through FFmpeg.
std::string getResourceAudioAsset(const std::string& id, const std::string& path);
// The same from facts already probed (channels and rate are left out when unknown).
std::string getResourceAudioAsset(const std::string& id, const std::string& path,
                                  const quelvo::AudioFileInfo& facts);

// <adjust-volume><param name="amount"><keyframeAnimation> with one
// <keyframe time=".." value="<dB>dB"/> per keyframe in list order (times on the
// clip, which starts at 0s); an empty list gives an empty keyframeAnimation.
std::string getVolumeString(const VolumeKeyframeList& keyframeList);

// A connected asset-clip on `lane` holding the volume markup.
std::string getAttachedAssetClipString(const std::string& ref, int lane, double offset,
                                       const std::string& name, double duration,
                                       const std::string& format, const std::string& audioRole,
                                       const std::string& volumeString);

// A spine asset-clip holding the connected clips' text.
std::string getAssetClipForMainLaneString(const std::string& ref, double offset,
                                          const std::string& name, double duration,
                                          const std::string& format, const std::string& audioRole,
                                          const std::string& attachedClipsString);

} // namespace quelvo::fcpxml
