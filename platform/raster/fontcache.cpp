#include "platform/raster/fontcache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>
#include <vector>

namespace zorvik::raster {

namespace {

constexpr const char* kHeader = "zorvik font cache 1";

// FNV-1a, 64 bits.
struct Hash {
    uint64_t value = 1469598103934665603ull;
    void add(const void* data, size_t n) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < n; ++i) value = (value ^ p[i]) * 1099511628211ull;
    }
    void add(const std::string& s) { add(s.data(), s.size() + 1); }
};

void addPath(Hash& h, const std::string& path) {
    struct stat st {};
    h.add(path);
    if (stat(path.c_str(), &st) != 0) return;
    h.add(&st.st_ino, sizeof st.st_ino);
    h.add(&st.st_mtim.tv_sec, sizeof st.st_mtim.tv_sec);
    h.add(&st.st_mtim.tv_nsec, sizeof st.st_mtim.tv_nsec);
}

// A folder and the folders right inside it: a font installed in a new folder
// changes its parent's time, one added to a known folder that folder's.
void addTree(Hash& h, const std::string& dir) {
    addPath(h, dir);
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return;
    std::vector<std::string> subdirs;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        if (e->d_type == DT_DIR || e->d_type == DT_UNKNOWN) subdirs.push_back(dir + "/" + e->d_name);
    }
    closedir(d);
    std::sort(subdirs.begin(), subdirs.end());
    for (const auto& s : subdirs) addPath(h, s);
}

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

// What fontconfig's answers depend on: its configuration and the font folders.
uint64_t stamp() {
    Hash h;
    for (const char* var : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        h.add(env(var));
    const std::string home = env("HOME");
    const std::string config = !env("XDG_CONFIG_HOME").empty() ? env("XDG_CONFIG_HOME") : home + "/.config";
    const std::string data = !env("XDG_DATA_HOME").empty() ? env("XDG_DATA_HOME") : home + "/.local/share";
    for (const std::string& dir : {std::string("/etc/fonts"), std::string("/etc/fonts/conf.d"), config + "/fontconfig"})
        addTree(h, dir);
    addPath(h, home + "/.fonts.conf");
    for (const std::string& dir : {std::string("/usr/share/fonts"), std::string("/usr/local/share/fonts"),
                                   home + "/.fonts", data + "/fonts"})
        addTree(h, dir);
    return h.value;
}

std::string hex(const std::string& s) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out.empty() ? "-" : out;
}

bool unhex(const std::string& s, std::string& out) {
    out.clear();
    if (s == "-") return true;
    if (s.size() % 2 != 0) return false;
    for (size_t i = 0; i < s.size(); i += 2) {
        auto v = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
        const int a = v(s[i]), b = v(s[i + 1]);
        if (a < 0 || b < 0) return false;
        out += static_cast<char>(a * 16 + b);
    }
    return true;
}

using Key = std::tuple<std::string, bool, bool>;

struct Cache {
    bool loaded = false;
    uint64_t stamp = 0;
    std::map<Key, FontLocation> answers;

    void load() {
        if (loaded) return;
        loaded = true;
        stamp = raster::stamp();
        const std::string path = fontCachePath();
        if (!path.empty()) read(path, answers);
    }

    // The answers in the file at Path, when it was written for this stamp.
    void read(const std::string& path, std::map<Key, FontLocation>& into) const {
        std::ifstream in(path);
        std::string line;
        if (!std::getline(in, line) || line != kHeader) return;
        if (!std::getline(in, line) || line != "stamp " + std::to_string(stamp)) return;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            int bold = 0, italic = 0;
            FontLocation where;
            std::string familyHex, fileHex, family;
            if (!(fields >> bold >> italic >> where.index >> familyHex >> fileHex)) continue;
            if (!unhex(familyHex, family) || !unhex(fileHex, where.file)) continue;
            into.emplace(Key{family, bold != 0, italic != 0}, where);
        }
    }

    void save() const {
        const std::string path = fontCachePath();
        if (path.empty()) return;
        const std::string dir = path.substr(0, path.rfind('/'));
        const std::string parent = dir.substr(0, dir.rfind('/'));
        mkdir(parent.c_str(), 0755);
        mkdir(dir.c_str(), 0755);
        // Several first runs may save at once: each merges what the others
        // wrote since it loaded, under a lock on the folder, so none is lost.
        const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0) return;
        flock(dirFd, LOCK_EX);
        std::map<Key, FontLocation> merged = answers;
        read(path, merged);
        std::string temp = path + ".XXXXXX";
        const int fd = mkstemp(temp.data());
        if (fd < 0) {
            close(dirFd);
            return;
        }
        std::string text = std::string(kHeader) + "\nstamp " + std::to_string(stamp) + "\n";
        for (const auto& [key, where] : merged)
            text += std::to_string(std::get<1>(key)) + " " + std::to_string(std::get<2>(key)) + " " +
                    std::to_string(where.index) + " " + hex(std::get<0>(key)) + " " + hex(where.file) + "\n";
        const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        fchmod(fd, 0644);
        close(fd);
        if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) unlink(temp.c_str());
        close(dirFd);  // releases the lock
    }
};

Cache& cache() {
    static Cache c;
    return c;
}

}  // namespace

std::string fontCachePath() {
    if (!env("XDG_CACHE_HOME").empty()) return env("XDG_CACHE_HOME") + "/zorvik/fonts";
    if (!env("HOME").empty()) return env("HOME") + "/.cache/zorvik/fonts";
    return {};
}

bool cachedFont(const std::string& Family, bool Bold, bool Italic, FontLocation& Location) {
    Cache& c = cache();
    c.load();
    auto it = c.answers.find({Family, Bold, Italic});
    if (it == c.answers.end()) return false;
    // A font file that went away is asked about again.
    struct stat st {};
    if (stat(it->second.file.c_str(), &st) != 0) {
        c.answers.erase(it);
        return false;
    }
    Location = it->second;
    return true;
}

void rememberFont(const std::string& Family, bool Bold, bool Italic, const FontLocation& Location) {
    Cache& c = cache();
    c.load();
    c.answers[{Family, Bold, Italic}] = Location;
    c.save();
}

}  // namespace zorvik::raster
