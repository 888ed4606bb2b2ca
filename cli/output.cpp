#include "cli/output.h"

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

bool writeAtomically(const std::string& Path, const std::function<bool(std::FILE*, std::string&)>& Write,
                     std::string& Error) {
    namespace fs = std::filesystem;
    const fs::path target(Path);
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string hidden(1, '.');
    hidden.append(target.filename().string()).append(".XXXXXX");
    std::string pattern = (dir / hidden).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        Error = "cannot write '" + Path + "': " + std::strerror(errno);
        return false;
    }
    // Files get the usual permissions, not mkstemp's private ones.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        Error = "cannot write '" + Path + "': " + std::strerror(errno);
        close(fd);
        unlink(pattern.c_str());
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
    if (ok && std::rename(pattern.c_str(), Path.c_str()) != 0) {
        ok = false;
        why = std::strerror(errno);
    }
    if (!ok) {
        unlink(pattern.c_str());
        Error = "cannot write '" + Path + "': " + why;
    }
    return ok;
}

bool writeRecording(const RecordingCanvas& Recording, int Width, int Height, int Scale, OutputKind Kind,
                    std::FILE* File, std::string& Error) {
    if (Kind == OutputKind::Png) {
        RasterCanvas raster(Width, Height, 96 * Scale);
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
