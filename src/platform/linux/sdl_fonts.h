#pragma once
// The window's fonts: a face name and weight found through fontconfig (the
// nearest installed face when the asked one is missing), opened with SDL_ttf.
// Each file is looked up once and each file and size opened once.

#include <SDL2/SDL_ttf.h>

#include <map>
#include <string>
#include <tuple>
#include <utility>

namespace vantor {

class SdlFonts {
  public:
    SdlFonts() = default;
    ~SdlFonts();
    SdlFonts(const SdlFonts&) = delete;
    SdlFonts& operator=(const SdlFonts&) = delete;

    // The font, or nullptr with the reason in `why`. A bold weight the face
    // has no bold file for is drawn emboldened.
    TTF_Font* open(const std::string& face, int points, bool bold, std::string& why);

  private:
    struct FontFile {
        std::string path;
        int index = 0;
        bool bold = false;
    };
    FontFile findFile(const std::string& face, bool bold);

    bool ttfStarted_ = false;
    bool fontconfigReady_ = false;
    std::map<std::pair<std::string, bool>, FontFile> files_;               // face, bold
    std::map<std::tuple<std::string, int, int, bool>, TTF_Font*> opened_;  // file, index, size, bold
};

}  // namespace vantor
