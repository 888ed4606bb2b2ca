// fontconfig's answers kept on disk from one process to the next: starting
// fontconfig reads its whole configuration, which costs far more than drawing
// a symbol, and its answer for a family hardly ever changes.
#pragma once

#include <string>

namespace zorvik::raster {

struct FontLocation {
    std::string file;
    int index = 0;
};

// The cached answer for a family and style. False when there is none, or when
// the fonts or the font configuration changed since it was written.
bool cachedFont(const std::string& Family, bool Bold, bool Italic, FontLocation& Location);
// Remembers an answer fontconfig gave; written through a temporary file, and
// silently not at all when the cache folder cannot be written.
void rememberFont(const std::string& Family, bool Bold, bool Italic, const FontLocation& Location);

// Where the cache lives: $XDG_CACHE_HOME/zorvik/fonts, else ~/.cache/zorvik/fonts
// ("" when neither is known).
std::string fontCachePath();

}  // namespace zorvik::raster
