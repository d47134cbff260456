#include "platform/linux/sdl_fonts.h"

#include <fontconfig/fontconfig.h>

namespace vantor {

namespace {

constexpr char kFallbackFontFile[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

}  // namespace

SdlFonts::~SdlFonts() {
    for (auto& [key, font] : opened_) TTF_CloseFont(font);
    if (ttfStarted_) TTF_Quit();
    if (fontconfigReady_) FcFini();
}

SdlFonts::FontFile SdlFonts::findFile(const std::string& face, bool bold) {
    const auto key = std::make_pair(face, bold);
    if (auto it = files_.find(key); it != files_.end()) return it->second;
    FontFile found;
    if (!fontconfigReady_) fontconfigReady_ = FcInit() == FcTrue;
    if (fontconfigReady_) {
        FcPattern* pattern = FcPatternCreate();
        const std::string family = face.empty() ? "sans-serif" : face;
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcChar8* file = nullptr;
        if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
            found.path = reinterpret_cast<const char*>(file);
            FcPatternGetInteger(match, FC_INDEX, 0, &found.index);
            int matchedWeight = FC_WEIGHT_REGULAR;
            FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
            found.bold = matchedWeight >= FC_WEIGHT_DEMIBOLD;
        }
        if (match) FcPatternDestroy(match);
        FcPatternDestroy(pattern);
    }
    if (found.path.empty()) found.path = kFallbackFontFile;
    files_[key] = found;
    return found;
}

TTF_Font* SdlFonts::open(const std::string& face, int points, bool bold, std::string& why) {
    if (!ttfStarted_) {
        if (TTF_Init() != 0) {
            why = TTF_GetError();
            return nullptr;
        }
        ttfStarted_ = true;
    }
    const FontFile file = findFile(face, bold);
    const bool makeBold = bold && !file.bold;
    const auto key = std::make_tuple(file.path, file.index, points, makeBold);
    if (auto it = opened_.find(key); it != opened_.end()) return it->second;
    TTF_Font* font = TTF_OpenFontIndex(file.path.c_str(), points, file.index);
    if (!font) {
        why = TTF_GetError();
        return nullptr;
    }
    if (makeBold) TTF_SetFontStyle(font, TTF_STYLE_BOLD);
    opened_[key] = font;
    return font;
}

}  // namespace vantor
