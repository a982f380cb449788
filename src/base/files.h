#pragma once
// File services. Every write is atomic: the text goes to a temporary file in
// the same folder, is flushed to disk and then renamed over the target, so a
// crash or a full disk never leaves a truncated file in place of a good one.
// A symbolic link is written through to its target; a folder, device, named
// pipe or socket is never written over; a target marked as one that must
// stay new is never replaced (output_files.h, docs/writing-files.md).
#include <string>
#include <string_view>

#include "base/result.h"

namespace quelvo {

// True when a regular file is at path and holds at least minSizeInKB KiB.
bool fileExists(const std::string& path, int minSizeInKB = 0);
// The last path component.
std::string fileNameOf(std::string_view path);
// The path without its extension, directories kept ("/a/b/talk.wav" -> "/a/b/talk").
std::string pathWithoutExtension(std::string_view path);

Status writeTextFile(const std::string& filePath, std::string_view text);
// The file's text as UTF-8. A byte-order mark (UTF-8, UTF-16 LE or BE) is
// honoured and dropped; without one the bytes must be valid UTF-8. Anything
// unreadable gives "".
std::string readTextFile(const std::string& path);
// The raw bytes, or nothing when the file cannot be read.
bool readFileBytes(const std::string& path, std::string& bytes, std::string* error = nullptr);

Status atomicWriteFile(const std::string& path, std::string_view bytes);

// For writers that stream a large file instead of holding it: a fresh hidden
// name in the target's folder to write to, and the step that makes it the
// target (flushed to disk, permissions of a replaced file kept, renamed over
// it). A failed commit removes the temporary file. The temporary name is
// removed on a stop by signal until it is committed or discarded.
std::string temporaryPathBeside(const std::string& path);
Status commitTemporaryFile(const std::string& temporaryPath, const std::string& path);
void discardTemporaryFile(const std::string& temporaryPath);

// The no-replace rename where the file system has none: a hard link takes
// the name (failing with EEXIST when it is taken), then the old name goes.
// 0 or the errno. Without hard links (FAT, exFAT) a last look before a plain
// rename is as close as it gets.
int linkIntoPlace(const char* from, const char* to);

// Local time as YYYYmmdd-HHMMSS, for names of files kept aside or handed over.
std::string fileTimeStamp();

// The path made absolute against the working folder and lexically normal
// ("a/./b/../c" -> "/cwd/a/c"), for a file URL, whose first component after
// "file://" is a host. The empty path stays empty.
std::string absolutePathOf(const std::string& path);

// The user's cache folder for Quelvo (created on demand).
std::string cacheDirectory();

} // namespace quelvo
