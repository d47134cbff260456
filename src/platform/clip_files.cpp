#include "platform/clip_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vantor {

namespace fs = std::filesystem;

namespace {

const std::string kBundlePrefix = "wave\\";

bool isDirectory(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(pathFromUtf8(path), ec);
}

bool isRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

std::string withExtension(const std::string& name) {
    return name.find('.') == std::string::npos ? name + ".wav" : name;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// The file in directory whose name equals fileName, exactly or else ignoring case.
std::string findInDirectory(const std::string& directory, const std::string& fileName) {
    const fs::path folder = pathFromUtf8(directory);
    const fs::path exact = folder / fileName;
    if (isRegularFile(exact)) return utf8Of(exact);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return "";
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return "";
        if (sameIgnoringCase(utf8Of(it->path().filename()), fileName) && isRegularFile(it->path()))
            return utf8Of(it->path());
    }
    return "";
}

#ifdef VANTOR_BUILD_TREE
// True when this program is the one in its build tree. An installed copy must
// not speak from a build tree that happens to be on the same machine.
bool runsFromBuildTree() {
    static const bool inTree = [] {
        std::error_code ec;
        const fs::path program = fs::canonical("/proc/self/exe", ec);
        if (ec) return false;
        const fs::path tree = fs::weakly_canonical(VANTOR_BUILD_TREE, ec);
        if (ec) return false;
        return std::mismatch(tree.begin(), tree.end(), program.begin(), program.end()).first == tree.end();
    }();
    return inTree;
}
#endif

#ifdef _WIN32
// The wave folder beside the program, where the installer puts the clips
// (the working folder is the operator's own, for vantor.cfg and savmem.dat).
std::string besideProgram() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return "";
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        if (name.size() >= 32768) return "";
        name.resize(name.size() * 2);
    }
    return utf8Of(fs::path(name).parent_path() / "wave");
}

// The folder the operator named in VANTOR_CLIPS, read wide; "" when none.
std::string chosenFolder() {
    const wchar_t* chosen = ::_wgetenv(L"VANTOR_CLIPS");
    return chosen != nullptr ? utf8Of(fs::path(chosen)) : "";
}
#else
std::string chosenFolder() {
    const char* chosen = std::getenv("VANTOR_CLIPS");
    return chosen != nullptr ? chosen : "";
}
#endif

}  // namespace

bool isSafeClipName(const std::string& name) {
    if (name.empty()) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
               c == '_' || c == '-';
    });
}

std::string clipDirectory() {
    // A folder named by the operator is the only one looked at.
    if (const std::string chosen = chosenFolder(); !chosen.empty()) return isDirectory(chosen) ? chosen : "";
    if (isDirectory("wave")) return "./wave";
#ifdef _WIN32
    if (const std::string installed = besideProgram(); isDirectory(installed)) return installed;
#endif
#ifdef VANTOR_BUILD_TREE
    if (runsFromBuildTree() && isDirectory(VANTOR_CLIP_DIR_BUILD)) return VANTOR_CLIP_DIR_BUILD;
#endif
#ifdef VANTOR_CLIP_DIR_INSTALL
    if (isDirectory(VANTOR_CLIP_DIR_INSTALL)) return VANTOR_CLIP_DIR_INSTALL;
#endif
    return "";
}

std::string clipFileFor(const std::string& clipPath) {
    if (clipPath.rfind(kBundlePrefix, 0) == 0) {
        const std::string name = clipPath.substr(kBundlePrefix.size());
        // ".." alone is made of safe characters but names a directory, not a clip.
        if (!isSafeClipName(name) || name == "." || name == "..") return "";
        const std::string directory = clipDirectory();
        if (directory.empty()) return "";
        return findInDirectory(directory, withExtension(name));
    }
    if (!isSafeClipName(clipPath) || clipPath == "." || clipPath == "..") return "";
    const std::string fileName = withExtension(clipPath);
    return isRegularFile(pathFromUtf8(fileName)) ? fileName : "";
}

void reportMissingClipFolder(const std::string& clipPath) {
    static bool checked = false;
    if (checked || clipPath.rfind(kBundlePrefix, 0) != 0) return;
    checked = true;
    if (clipDirectory().empty())
        std::fprintf(stderr,
                     "vantor: no speech clips: no wave folder here and none installed; speech is silent\n");
}

}  // namespace vantor
