#include "cli/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include "cli/vector.h"
#include "platform/vector.h"
#include "platform/raster/rastercanvas.h"

namespace zorvik::cli {

namespace {

// An RGBA image of more pixels than this (1 GiB) is refused rather than attempted.
constexpr long long kMaxPngPixels = 1LL << 28;
// libpng's default user limit, which its readers apply too: a longer side
// would make a file most programs refuse to open.
constexpr long long kMaxPngSide = 1000000;

}  // namespace

bool outputKindOf(const std::string& Path, OutputKind& Kind) {
    VectorFormat v;
    if (vectorFormatOf(Path, v)) {
        Kind = v == VectorFormat::Svg   ? OutputKind::Svg
               : v == VectorFormat::Pdf ? OutputKind::Pdf
               : v == VectorFormat::Eps ? OutputKind::Eps
                                        : OutputKind::PostScript;
        return true;
    }
    const auto dot = Path.rfind('.');
    if (dot == std::string::npos) return false;
    std::string ext = Path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != "png") return false;
    Kind = OutputKind::Png;
    return true;
}

std::string sizeProblem(OutputKind Kind, long long Width, long long Height, int Scale, int DotsPerInch) {
    const std::string size = std::to_string(Width) + " x " + std::to_string(Height) + " pixels";
    if (Width <= 0 || Height <= 0) return "Nothing drawn: the symbol area is " + size;
    bool fits = true;
    switch (Kind) {
        case OutputKind::Png:
            fits = Width <= kMaxPngSide && Height <= kMaxPngSide && Width * Height <= kMaxPngPixels;
            break;
        case OutputKind::Pdf:
        case OutputKind::PostScript:
        case OutputKind::Eps: {
            const double pointsPerPixel = 72.0 / (DotsPerInch > 0 ? DotsPerInch : 96.0 * Scale);
            fits = Width * pointsPerPixel <= kMaxPagePoints && Height * pointsPerPixel <= kMaxPagePoints;
            break;
        }
        case OutputKind::Svg: break;
    }
    return fits ? std::string() : "Symbol too large: " + size;
}

namespace {

// Hidden names that exist for a moment (see writeAtomically), so that a signal
// that ends the run removes them. Slots are taken and freed lock-free; the
// handler only reads them and calls unlink, both safe in a signal handler.
constexpr size_t kTemporarySlots = 2048;
std::array<std::atomic<char*>, kTemporarySlots> g_temporaries{};

size_t holdTemporary(const std::string& Path) {
    char* copy = strdup(Path.c_str());
    if (copy == nullptr) return kTemporarySlots;
    for (size_t i = 0; i < kTemporarySlots; ++i) {
        char* empty = nullptr;
        if (g_temporaries[i].compare_exchange_strong(empty, copy)) return i;
    }
    std::free(copy);
    return kTemporarySlots;
}

void releaseTemporary(size_t Slot) {
    if (Slot < kTemporarySlots) std::free(g_temporaries[Slot].exchange(nullptr));
}

extern "C" void removeTemporariesAndDie(int Signal) {
    for (auto& slot : g_temporaries)
        if (const char* path = slot.load()) unlink(path);
    signal(Signal, SIG_DFL);
    raise(Signal);
}

std::string hiddenName(const std::filesystem::path& Dir, const std::filesystem::path& Target) {
    thread_local unsigned counter = 0;
    std::string hidden(1, '.');
    hidden.append(Target.filename().string())
        .append(".")
        .append(std::to_string(getpid()))
        .append("-")
        .append(std::to_string(gettid()))
        .append("-")
        .append(std::to_string(counter++));
    return (Dir / hidden).string();
}

// Gives the complete nameless file Fd the name Path: directly when Path is
// free (nothing can be left behind), else through a hidden name renamed over it.
bool nameFile(int Fd, const std::string& Dir, const std::filesystem::path& Target, std::string& Why) {
    const std::string self = "/proc/self/fd/" + std::to_string(Fd);
    auto link = [&](const std::string& to) {
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
        if (errno == EEXIST) return EEXIST;
        // Without /proc, linking by descriptor needs a capability, but try.
        if (linkat(Fd, "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0) return 0;
        return errno;
    };
    const std::string path = Target.string();
    int e = link(path);
    if (e == 0) return true;
    if (e != EEXIST) {
        Why = std::strerror(e);
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = hiddenName(Dir, Target);
        const size_t slot = holdTemporary(temp);
        e = link(temp);
        if (e == 0) {
            const bool renamed = std::rename(temp.c_str(), path.c_str()) == 0;
            if (!renamed) {
                Why = std::strerror(errno);
                unlink(temp.c_str());
            }
            releaseTemporary(slot);
            return renamed;
        }
        releaseTemporary(slot);
        if (e != EEXIST) break;
    }
    Why = std::strerror(e);
    return false;
}

// A stream over a new file's descriptor. fdopen would ask the descriptor's
// flags (fcntl) and stdio the file's block size (fstat) at the first write:
// two system calls per file, which a batch pays for every record. This one
// buffers 64 KiB, so that a symbol's file goes out in one write.
ssize_t writeAll(void* Cookie, const char* Data, size_t Size) {
    const int fd = *static_cast<int*>(Cookie);
    size_t done = 0;
    while (done < Size) {
        const ssize_t n = ::write(fd, Data + done, Size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return done > 0 ? static_cast<ssize_t>(done) : -1;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

int closeFd(void* Cookie) {
    const int fd = *static_cast<int*>(Cookie);
    delete static_cast<int*>(Cookie);
    return close(fd);
}

std::FILE* streamOver(int Fd) {
    auto* cookie = new int(Fd);
    std::FILE* file = fopencookie(cookie, "w", cookie_io_functions_t{nullptr, writeAll, nullptr, closeFd});
    if (file == nullptr) {
        delete cookie;
        return nullptr;
    }
    setvbuf(file, nullptr, _IOFBF, size_t{1} << 16);
    return file;
}

}  // namespace

void removeTemporariesOnSignals() {
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction old {};
        sigaction(sig, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;  // nohup and friends keep their choice
        struct sigaction action {};
        action.sa_handler = removeTemporariesAndDie;
        sigemptyset(&action.sa_mask);
        sigaction(sig, &action, nullptr);
    }
    // A file-size limit makes writes fail (EFBIG), reported and cleaned up as
    // any write error, instead of killing the process mid-file.
    signal(SIGXFSZ, SIG_IGN);
}

bool writeAtomically(const std::string& Path, const std::function<bool(std::FILE*, std::string&)>& Write,
                     std::string& Error) {
    if (Path == "-") {
        // Standard output: nothing to rename, and the symbol is complete before
        // the first byte is written.
        std::string why;
        bool ok = Write(stdout, why);
        if (std::fflush(stdout) != 0 && ok) {
            ok = false;
            why = std::strerror(errno);
        }
        if (!ok) Error = "cannot write to standard output: " + why;
        return ok;
    }
    namespace fs = std::filesystem;
    const fs::path target(Path);
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // A device or a pipe (/dev/stdout, /dev/null) is written as it is: renaming
    // over it would replace it with a plain file.
    struct stat st {};
    if (stat(Path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        const int out = open(Path.c_str(), O_WRONLY | O_CLOEXEC);
        std::FILE* file = out >= 0 ? fdopen(out, "wb") : nullptr;
        std::string why = std::strerror(errno);
        if (out >= 0 && file == nullptr) close(out);
        bool ok = file != nullptr && Write(file, why);
        if (file != nullptr && std::fclose(file) != 0 && ok) {
            ok = false;
            why = std::strerror(errno);
        }
        if (!ok) Error = "cannot write '" + Path + "': " + why;
        return ok;
    }
    // Best: a file without a name until it is complete, so that a run killed
    // at any point leaves nothing behind. Where the file system cannot make
    // one, a hidden name of our own beside the target, removed on failure and
    // on the signals that can be caught. Both get the usual permissions (0666
    // less the umask).
    std::string temp;
    size_t slot = kTemporarySlots;
    int fd = open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    const bool anonymous = fd >= 0;
    if (!anonymous && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            temp = hiddenName(dir, target);
            slot = holdTemporary(temp);
            fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) releaseTemporary(std::exchange(slot, kTemporarySlots));
            if (fd < 0 && errno != EEXIST) break;
        }
    }
    if (fd < 0) {
        Error = "cannot write '" + Path + "': " + std::strerror(errno);
        return false;
    }
    auto discard = [&] {
        if (!anonymous) unlink(temp.c_str());
        releaseTemporary(slot);
    };
    std::FILE* file = streamOver(fd);
    if (file == nullptr) {
        Error = "cannot write '" + Path + "': " + std::strerror(errno);
        close(fd);
        discard();
        return false;
    }
    std::string why;
    bool ok = Write(file, why);
    if (std::fflush(file) != 0 && ok) {
        ok = false;
        why = std::strerror(errno);
    }
    if (ok && anonymous) ok = nameFile(fd, dir.string(), target, why);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        why = std::strerror(errno);
    }
    if (ok && !anonymous && std::rename(temp.c_str(), Path.c_str()) != 0) {
        ok = false;
        why = std::strerror(errno);
    }
    if (!ok) {
        discard();
        Error = "cannot write '" + Path + "': " + why;
    } else {
        releaseTemporary(slot);
    }
    return ok;
}

bool writeRecording(const RecordingCanvas& Recording, int Width, int Height, int Scale, OutputKind Kind,
                    TColor Background, std::FILE* File, std::string& Error, int DotsPerInch) {
    const int dpi = DotsPerInch > 0 ? DotsPerInch : 96 * Scale;
    if (Kind == OutputKind::Png) {
        RasterCanvas raster(Width, Height, dpi);
        raster.setTransparentColor(Background);
        Recording.replay(raster);
        return raster.writePng(File, Error);
    }
    const VectorFormat format = Kind == OutputKind::Svg   ? VectorFormat::Svg
                                : Kind == OutputKind::Pdf ? VectorFormat::Pdf
                                : Kind == OutputKind::Eps ? VectorFormat::Eps
                                                          : VectorFormat::PostScript;
    TVectorBackend* backend = vectorBackend(Error);
    if (backend == nullptr) return false;
    std::unique_ptr<TVectorDocument> doc = backend->document(File, format, dpi);
    Recording.replay(doc->beginPage(Width, Height));
    doc->endPage();
    return doc->close(Error);
}

}  // namespace zorvik::cli
