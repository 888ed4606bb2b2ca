// The kernel's floor for a batch of files: N files of B bytes created and
// written in a fresh folder, each way a batch can make them, with nothing else
// done. Prints "way<TAB>files<TAB>wall ms<TAB>cpu ms" lines for scripts/bench
// (CPU time, user and system, is steadier than wall time on a shared machine).
//   plain    open(O_CREAT | O_EXCL), one write, close (what zint does)
//   rename   a hidden name, one write, close, rename to the final name
//   tmpfile  open(O_TMPFILE), one write, linkat to the final name, close
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

namespace fs = std::filesystem;

bool make(const std::string& way, const std::string& dir, int i, const std::vector<char>& bytes) {
    const std::string path = dir + "/" + std::to_string(i) + ".png";
    if (way == "plain") {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        const bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        return close(fd) == 0 && ok;
    }
    if (way == "rename") {
        const std::string temp = dir + "/." + std::to_string(i) + ".png.tmp";
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) return false;
        const bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        return close(fd) == 0 && ok && rename(temp.c_str(), path.c_str()) == 0;
    }
    const int fd = open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    ok = ok && linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0;
    return close(fd) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [FILES [BYTES [ROUNDS]]]\n", argv[0]);
        return 1;
    }
    const std::string base = argv[1];
    const int files = argc > 2 ? std::atoi(argv[2]) : 3000;
    const std::vector<char> bytes(argc > 3 ? static_cast<size_t>(std::atoi(argv[3])) : 300, 'x');
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 5;
    for (int r = 0; r < rounds; ++r)
        for (const char* way : {"plain", "rename", "tmpfile"}) {
            const std::string dir = base + "/" + way;
            fs::remove_all(dir);
            fs::create_directories(dir);
            const auto start = std::chrono::steady_clock::now();
            const double cpu = cpuMs();
            for (int i = 1; i <= files; ++i)
                if (!make(way, dir, i, bytes)) {
                    std::perror(way);
                    return 1;
                }
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            std::printf("%s\t%d\t%.1f\t%.1f\n", way, files, ms, cpuMs() - cpu);
            fs::remove_all(dir);
        }
    return 0;
}
