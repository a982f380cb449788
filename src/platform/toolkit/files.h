#pragma once
// File services. Every write is atomic: the text goes to a temporary file in
// the same folder, is flushed to disk and then renamed over the target, so a
// crash or a full disk never leaves a truncated file in place of a good one.
#include <string>
#include <string_view>

#include "platform/toolkit/result.h"

namespace kykit {

// True when a regular file is at path and holds at least minSizeInKB KiB.
bool fu_fileExists(const std::string& path, int minSizeInKB = 0);
// The last path component.
std::string fu_getFileNameFromPath(std::string_view path);
// The path without its extension, directories kept ("/a/b/talk.wav" -> "/a/b/talk").
std::string fu_getFileNameWithoutExtension(std::string_view path);

Status fu_writeTextToFile(const std::string& filePath, std::string_view text);
// The file's text as UTF-8. A byte-order mark (UTF-8, UTF-16 LE or BE) is
// honoured and dropped; without one the bytes must be valid UTF-8. Anything
// unreadable gives "".
std::string fu_readTextFile(const std::string& path);
// The raw bytes, or nothing when the file cannot be read.
bool fu_readBytes(const std::string& path, std::string& bytes, std::string* error = nullptr);

Status atomicWriteFile(const std::string& path, std::string_view bytes);

// For writers that stream a large file instead of holding it: a fresh hidden
// name in the target's folder to write to, and the step that makes it the
// target (flushed to disk, permissions of a replaced file kept, renamed over
// it). A failed commit removes the temporary file.
std::string temporaryPathBeside(const std::string& path);
Status commitTemporaryFile(const std::string& temporaryPath, const std::string& path);

// Local time as YYYYmmdd-HHMMSS, for names of files kept aside or handed over.
std::string fileTimeStamp();

// The path made absolute against the working folder and lexically normal
// ("a/./b/../c" -> "/cwd/a/c"), for a file URL, whose first component after
// "file://" is a host. The empty path stays empty.
std::string fu_absolutePath(const std::string& path);

// The user's cache folder for Quelvo (created on demand).
std::string cacheDirectory();

} // namespace kykit
