#include "platform/raster/fontcache.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <iterator>
#include <sstream>
#include <string_view>
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

// At most this many answers are kept: a process that asks for many made-up
// families (a fuzzer, a test suite) must not leave every later process an
// ever larger file to search at its start. Past it the oldest answers go
// (when the next answer is added: a file is never cut on reading, which would
// drop the answers every process needs in favour of the made-up ones).
constexpr size_t kMaxAnswers = 1024;

// The file's lines after its header, kept as text: a process looks up one or
// two families, so each lookup scans the lines rather than the whole file
// being parsed at start.
struct Cache {
    bool loaded = false;
    std::string loadedPath;
    uint64_t stamp = 0;
    // The lines, mapped from the file until an answer is added, then owned.
    std::string_view lines;  // "bold italic index family-hex file-hex\n" each
    std::string owned;
    void* mapped = nullptr;
    size_t mappedSize = 0;
    std::map<Key, FontLocation> found;  // this process's answers, file or fontconfig
    std::map<Key, bool> gone;           // answers whose font file went away
    std::vector<std::pair<Key, FontLocation>> added;  // this process's, not yet saved

    ~Cache() {
        if (mapped != nullptr) munmap(mapped, mappedSize);
    }

    // Loads the file once; a cache that moved (another XDG_CACHE_HOME or HOME)
    // is started afresh from its new file.
    void load() {
        const std::string path = fontCachePath();
        if (loaded && path == loadedPath) return;
        if (loaded) {
            if (mapped != nullptr) munmap(mapped, mappedSize);
            mapped = nullptr;
            mappedSize = 0;
            lines = {};
            owned.clear();
            found.clear();
            gone.clear();
            added.clear();
        }
        loaded = true;
        loadedPath = path;
        stamp = raster::stamp();
        if (path.empty()) return;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        struct stat st {};
        if (fstat(fd, &st) == 0 && st.st_size > 0) {
            mappedSize = static_cast<size_t>(st.st_size);
            mapped = mmap(nullptr, mappedSize, PROT_READ, MAP_PRIVATE, fd, 0);
            if (mapped == MAP_FAILED) mapped = nullptr;
        }
        close(fd);
        if (mapped == nullptr) return;
        const std::string_view text(static_cast<const char*>(mapped), mappedSize);
        const std::string head = std::string(kHeader) + "\nstamp " + std::to_string(stamp) + "\n";
        if (text.compare(0, head.size(), head) != 0) return;
        lines = text.substr(head.size());
    }

    // The last line for Key, if any. Only the lines holding the family's hex
    // (found by memmem, which skips the rest of the file quickly) are read.
    bool lookup(const Key& K, FontLocation& Where) const {
        std::string needle(1, ' ');
        needle.append(hex(std::get<0>(K))).push_back(' ');
        const char b = std::get<1>(K) ? '1' : '0', i = std::get<2>(K) ? '1' : '0';
        bool any = false;
        const char* const begin = lines.data();
        const char* const end = begin + lines.size();
        for (const char* hit = begin; hit < end;) {
            hit = static_cast<const char*>(memmem(hit, static_cast<size_t>(end - hit), needle.data(), needle.size()));
            if (hit == nullptr) break;
            const char* start = hit;
            while (start > begin && start[-1] != '\n') --start;
            const char* stop = static_cast<const char*>(std::memchr(hit, '\n', static_cast<size_t>(end - hit)));
            if (stop == nullptr) stop = end;
            const std::string_view line(start, static_cast<size_t>(stop - start));
            hit = stop;
            const size_t s1 = line.find(' ', 4);
            // The needle must be the family field: right after the index.
            if (line.size() < 4 || line[0] != b || line[1] != ' ' || line[2] != i || line[3] != ' ' ||
                s1 == std::string_view::npos || line.compare(s1, needle.size(), needle) != 0)
                continue;
            std::string file;
            if (!unhex(std::string(line.substr(s1 + needle.size())), file)) continue;
            Where.file = std::move(file);
            Where.index = std::atoi(std::string(line.substr(4, s1 - 4)).c_str());
            any = true;
        }
        return any;
    }

    static std::string lineOf(const Key& K, const FontLocation& Where) {
        return std::to_string(std::get<1>(K)) + " " + std::to_string(std::get<2>(K)) + " " +
               std::to_string(Where.index) + " " + hex(std::get<0>(K)) + " " + hex(Where.file) + "\n";
    }

    void add(const Key& K, const FontLocation& Where) {
        const std::string prefix = std::to_string(std::get<1>(K)) + " " + std::to_string(std::get<2>(K)) + " ";
        std::string familyHex(1, ' ');
        familyHex.append(hex(std::get<0>(K))).push_back(' ');
        std::string kept;
        size_t count = 0;
        for (size_t at = 0; at < lines.size();) {
            size_t end = lines.find('\n', at);
            if (end == std::string::npos) end = lines.size();
            const std::string_view line(lines.data() + at, end - at);
            at = end + 1;
            // The key's earlier answers give way to this one.
            if (line.compare(0, prefix.size(), prefix) == 0 && line.find(familyHex) != std::string_view::npos) continue;
            kept.append(line).push_back('\n');
            ++count;
        }
        // Past the limit the oldest answers (first in the file) go.
        for (size_t drop = count + 1 > kMaxAnswers ? count + 1 - kMaxAnswers : 0, at = 0; drop > 0; --drop) {
            at = kept.find('\n', at) + 1;
            if (drop == 1) kept.erase(0, at);
        }
        kept.append(lineOf(K, Where));
        owned = std::move(kept);
        lines = owned;
        added.emplace_back(K, Where);
    }

    // The lines of the file as it is now, when it was written for this stamp.
    std::string current(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string head = std::string(kHeader) + "\nstamp " + std::to_string(stamp) + "\n";
        return text.compare(0, head.size(), head) == 0 ? text.substr(head.size()) : std::string();
    }

    // Several first runs may save at once: under a lock on the folder, this
    // process's answers are added to the file as it is now, not as it was
    // when this process read it, so that no run's answers are lost.
    void save() {
        const std::string path = fontCachePath();
        if (path.empty()) return;
        const std::string dir = path.substr(0, path.rfind('/'));
        const std::string parent = dir.substr(0, dir.rfind('/'));
        mkdir(parent.c_str(), 0755);
        mkdir(dir.c_str(), 0755);
        const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0) return;
        flock(dirFd, LOCK_EX);
        owned = current(path);
        lines = owned;
        const std::vector<std::pair<Key, FontLocation>> mine = std::move(added);
        added.clear();
        for (const auto& [key, where] : mine) add(key, where);
        added.clear();  // saved now; add() noted them again
        std::string temp = path + ".XXXXXX";
        const int fd = mkstemp(temp.data());
        if (fd >= 0) {
            const std::string text = std::string(kHeader) + "\nstamp " + std::to_string(stamp) + "\n" + std::string(lines);
            const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
            fchmod(fd, 0644);
            close(fd);
            if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) unlink(temp.c_str());
        }
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
    const Key key{Family, Bold, Italic};
    if (c.gone.count(key) != 0) return false;
    auto it = c.found.find(key);
    if (it == c.found.end()) {
        FontLocation where;
        if (!c.lookup(key, where)) return false;
        it = c.found.emplace(key, std::move(where)).first;
    }
    // A font file that went away is asked about again.
    struct stat st {};
    if (stat(it->second.file.c_str(), &st) != 0) {
        c.found.erase(it);
        c.gone[key] = true;
        return false;
    }
    Location = it->second;
    return true;
}

void rememberFont(const std::string& Family, bool Bold, bool Italic, const FontLocation& Location) {
    Cache& c = cache();
    c.load();
    const Key key{Family, Bold, Italic};
    c.gone.erase(key);
    c.found[key] = Location;
    c.add(key, Location);
    c.save();
}

}  // namespace zorvik::raster
