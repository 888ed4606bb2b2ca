#include "cli/output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "cli/vector.h"
#include "platform/vector.h"
#include "platform/raster/rastercanvas.h"

namespace zorvik::cli {

namespace {

// An RGBA image of more pixels than this (1 GiB) is refused rather than attempted.
constexpr long long kMaxPngPixels = 1LL << 28;

}  // namespace

bool outputKindOf(const std::string& Path, OutputKind& Kind) {
    VectorFormat v;
    if (vectorFormatOf(Path, v)) {
        Kind = v == VectorFormat::Svg ? OutputKind::Svg : v == VectorFormat::Pdf ? OutputKind::Pdf : OutputKind::PostScript;
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

std::string sizeProblem(OutputKind Kind, long long Width, long long Height, int Scale) {
    const std::string size = std::to_string(Width) + " x " + std::to_string(Height) + " pixels";
    if (Width <= 0 || Height <= 0) return "Nothing drawn: the symbol area is " + size;
    bool fits = true;
    switch (Kind) {
        case OutputKind::Png: fits = Width * Height <= kMaxPngPixels; break;
        case OutputKind::Pdf:
        case OutputKind::PostScript: {
            const double pointsPerPixel = 72.0 / (96.0 * Scale);
            fits = Width * pointsPerPixel <= kMaxPagePoints && Height * pointsPerPixel <= kMaxPagePoints;
            break;
        }
        case OutputKind::Svg: break;
    }
    return fits ? std::string() : "Symbol too large: " + size;
}

namespace {

// A hidden name of our own beside the target, created with the usual
// permissions (0666 less the umask); -1 with errno set when none can be made.
int openHidden(const std::filesystem::path& Dir, const std::filesystem::path& Target, std::string& Temp) {
    thread_local unsigned counter = 0;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        std::string hidden(1, '.');
        hidden.append(Target.filename().string())
            .append(".")
            .append(std::to_string(getpid()))
            .append("-")
            .append(std::to_string(gettid()))
            .append("-")
            .append(std::to_string(counter++));
        Temp = (Dir / hidden).string();
        fd = open(Temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    return fd;
}

// Gives the unnamed file Fd the name Path: one directory operation when Path
// does not exist yet (the usual case in a batch), else a hidden name renamed
// over it, so that Path is never seen incomplete.
bool nameUnnamed(int Fd, const std::filesystem::path& Dir, const std::string& Path, std::string& Why) {
    const std::string self = "/proc/self/fd/" + std::to_string(Fd);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, Path.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != EEXIST) {
        Why = std::strerror(errno);
        return false;
    }
    thread_local unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string hidden(1, '.');
        hidden.append(std::filesystem::path(Path).filename().string())
            .append(".")
            .append(std::to_string(getpid()))
            .append("-")
            .append(std::to_string(gettid()))
            .append("-l")
            .append(std::to_string(counter++));
        const std::string temp = (Dir / hidden).string();
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST) continue;
            break;
        }
        if (std::rename(temp.c_str(), Path.c_str()) == 0) return true;
        const int e = errno;
        unlink(temp.c_str());
        errno = e;
        break;
    }
    Why = std::strerror(errno);
    return false;
}

// Runs Write on Fd and flushes it; false with the reason in Why.
bool writeThrough(int Fd, std::FILE*& File, const std::function<bool(std::FILE*, std::string&)>& Write,
                  std::string& Why) {
    File = fdopen(Fd, "wb");
    if (File == nullptr) {
        Why = std::strerror(errno);
        close(Fd);
        return false;
    }
    bool ok = Write(File, Why);
    if (std::fflush(File) != 0 && ok) {
        ok = false;
        Why = std::strerror(errno);
    }
    return ok;
}

}  // namespace

bool writeAtomically(const std::string& Path, const std::function<bool(std::FILE*, std::string&)>& Write,
                     std::string& Error) {
    namespace fs = std::filesystem;
    const fs::path target(Path);
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string why;
    std::FILE* file = nullptr;
    // A device or a pipe (/dev/stdout, /dev/null) is written as it is: renaming
    // over it would replace it with a plain file.
    struct stat st {};
    if (stat(Path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        const int fd = open(Path.c_str(), O_WRONLY | O_CLOEXEC);
        bool ok = fd >= 0 && writeThrough(fd, file, Write, why);
        if (fd < 0) why = std::strerror(errno);
        if (file != nullptr && std::fclose(file) != 0 && ok) {
            ok = false;
            why = std::strerror(errno);
        }
        if (!ok) Error = "cannot write '" + Path + "': " + why;
        return ok;
    }
    // First a file with no name at all in the target's folder (O_TMPFILE), named
    // only once complete: nothing to clean up when anything fails.
    // linkat names it through /proc (AT_EMPTY_PATH would need a capability).
    static const bool procFds = access("/proc/self/fd", X_OK) == 0;
    int fd = procFds ? open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
    if (fd >= 0) {
        bool ok = writeThrough(fd, file, Write, why);
        if (ok) ok = nameUnnamed(fileno(file), dir, Path, why);
        if (file != nullptr && std::fclose(file) != 0 && ok) {
            ok = false;
            why = std::strerror(errno);
            unlink(Path.c_str());
        }
        if (!ok) Error = "cannot write '" + Path + "': " + why;
        return ok;
    }
    // File systems without unnamed files: a hidden name renamed when complete.
    std::string temp;
    fd = openHidden(dir, target, temp);
    if (fd < 0) {
        Error = "cannot write '" + Path + "': " + std::strerror(errno);
        return false;
    }
    bool ok = writeThrough(fd, file, Write, why);
    if (file == nullptr) {
        unlink(temp.c_str());
        Error = "cannot write '" + Path + "': " + why;
        return false;
    }
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        why = std::strerror(errno);
    }
    if (ok && std::rename(temp.c_str(), Path.c_str()) != 0) {
        ok = false;
        why = std::strerror(errno);
    }
    if (!ok) {
        unlink(temp.c_str());
        Error = "cannot write '" + Path + "': " + why;
    }
    return ok;
}

bool writeRecording(const RecordingCanvas& Recording, int Width, int Height, int Scale, OutputKind Kind,
                    TColor Background, std::FILE* File, std::string& Error) {
    if (Kind == OutputKind::Png) {
        RasterCanvas raster(Width, Height, 96 * Scale);
        raster.setTransparentColor(Background);
        Recording.replay(raster);
        return raster.writePng(File, Error);
    }
    const VectorFormat format = Kind == OutputKind::Svg   ? VectorFormat::Svg
                                : Kind == OutputKind::Pdf ? VectorFormat::Pdf
                                                          : VectorFormat::PostScript;
    TVectorBackend* backend = vectorBackend(Error);
    if (backend == nullptr) return false;
    std::unique_ptr<TVectorDocument> doc = backend->document(File, format, 96 * Scale);
    Recording.replay(doc->beginPage(Width, Height));
    doc->endPage();
    return doc->close(Error);
}

}  // namespace zorvik::cli
