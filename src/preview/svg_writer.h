#pragma once
// The preview picture as a standalone SVG document (for `quelvo-cli duck
// --plot`): the same shapes the desktop program paints, in its colours.
#include <string>

#include "base/result.h"
#include "preview/preview_geometry.h"

namespace quelvo::preview {

std::string previewSvg(const PreviewPicture& picture, const std::string& title);

// Written atomically, like every file the program writes.
quelvo::Status writePreviewSvg(const std::string& path, const PreviewPicture& picture,
                               const std::string& title);

} // namespace quelvo::preview
