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
        case OutputKind::Png: fits = Width * Height <= kMaxPngPixels; break;
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
    // A hidden name of our own beside the target, created with the usual
    // permissions (0666 less the umask).
    thread_local unsigned counter = 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        std::string hidden(1, '.');
        hidden.append(target.filename().string())
            .append(".")
            .append(std::to_string(getpid()))
            .append("-")
            .append(std::to_string(gettid()))
            .append("-")
            .append(std::to_string(counter++));
        temp = (dir / hidden).string();
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        Error = "cannot write '" + Path + "': " + std::strerror(errno);
        return false;
    }
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        Error = "cannot write '" + Path + "': " + std::strerror(errno);
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    std::string why;
    bool ok = Write(file, why);
    if (std::fflush(file) != 0 && ok) {
        ok = false;
        why = std::strerror(errno);
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
