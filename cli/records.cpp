#include "cli/records.h"

#include <cerrno>
#include <charconv>
#include <cstring>

namespace zorvik::cli {

bool parseShard(const std::string& Text, TShard& Shard, std::string& Error) {
    const auto slash = Text.find('/');
    auto whole = [](const char* first, const char* last, std::int64_t& value) {
        const auto r = std::from_chars(first, last, value);
        return first != last && r.ec == std::errc() && r.ptr == last;
    };
    TShard s;
    const char* text = Text.data();
    if (slash == std::string::npos || !whole(text, text + slash, s.Index) ||
        !whole(text + slash + 1, text + Text.size(), s.Count) || s.Count < 1 || s.Index < 0 || s.Index >= s.Count) {
        Error = "--shard takes I/N: worker I of N, where I counts from 0 (0/N to N-1/N, as JOB_COMPLETION_INDEX "
                "and SLURM_ARRAY_TASK_ID do); not '" + Text + "'";
        return false;
    }
    Shard = s;
    return true;
}

std::string shardPdfPath(const std::string& Path, const TShard& Shard) {
    std::string index = std::to_string(Shard.Index);
    const std::string count = std::to_string(Shard.Count);
    const std::string largest = std::to_string(Shard.Count - 1);
    if (index.size() < largest.size()) index.insert(0, largest.size() - index.size(), '0');
    const auto slash = Path.rfind('/');
    const auto dot = Path.rfind('.');
    const auto stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : Path.size();
    return Path.substr(0, stem) + "-" + index + "-of-" + count + Path.substr(stem);
}

TLinesDataSet::~TLinesDataSet() { Close(); }

bool TLinesDataSet::readLine(std::FILE* File, std::string& Line) {
    Line.clear();
    int c = 0;
    bool any = false;
    while ((c = std::getc(File)) != EOF) {
        any = true;
        if (c == '\n') break;
        Line += static_cast<char>(c);
    }
    if (!any) return false;
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    return true;
}

bool TLinesDataSet::DoOpen(bool& HasRecord) {
    // "-" is standard input, as for every tool that reads lines.
    m_file = m_fileName == "-" ? stdin : std::fopen(m_fileName.c_str(), "rb");
    if (m_file == nullptr) {
        SetError("cannot read '" + m_fileName + "': " + std::strerror(errno));
        return false;
    }
    AddField("Caption");
    HasRecord = readLine(m_file, m_line);
    if (HasRecord) LoadText(0, m_line);
    if (std::ferror(m_file)) {
        SetError("cannot read '" + m_fileName + "'");
        DoClose();
        return false;
    }
    return true;
}

void TLinesDataSet::DoClose() {
    if (m_file != nullptr && m_file != stdin) std::fclose(m_file);
    m_file = nullptr;
}

bool TLinesDataSet::DoNext(bool& Found) {
    Found = readLine(m_file, m_line);
    if (std::ferror(m_file)) {
        SetError("cannot read '" + m_fileName + "'");
        return false;
    }
    if (Found) LoadText(0, m_line);
    return true;
}

bool TLinesDataSet::rewind() {
    if (m_file == stdin) {
        SetError("standard input cannot be read again");
        return false;
    }
    if (std::fseek(m_file, 0, SEEK_SET) != 0) {
        SetError("cannot read '" + m_fileName + "' again");
        return false;
    }
    return true;
}

bool TLinesDataSet::DoSeek(std::int64_t RecNo, bool& Found) {
    if (!rewind()) return false;
    Found = false;
    for (std::int64_t i = 0; i < RecNo; ++i)
        if (!(Found = readLine(m_file, m_line))) break;
    if (Found) LoadText(0, m_line);
    return true;
}

bool TLinesDataSet::DoLast(std::int64_t& RecNo) {
    if (!rewind()) return false;
    RecNo = 0;
    std::string last;
    while (readLine(m_file, m_line)) {
        ++RecNo;
        last.swap(m_line);
    }
    if (RecNo > 0) LoadText(0, last);
    return true;
}

bool TLinesDataSet::DoRecordCount(std::int64_t& Count) {
    // Standard input is read once: its count is not known before its end.
    if (m_fileName == "-") {
        Count = 0;
        return true;
    }
    // On a file of its own, so that the cursor stays where it is.
    std::FILE* f = std::fopen(m_fileName.c_str(), "rb");
    if (f == nullptr) {
        SetError("cannot read '" + m_fileName + "'");
        return false;
    }
    Count = 0;
    std::string line;
    while (readLine(f, line)) ++Count;
    std::fclose(f);
    return true;
}

void TRecordDataSet::load() {
    switch (m_class) {
        case TStorageClass::Null: LoadNull(0); break;
        default: LoadText(0, m_text); break;
    }
}

bool TRecordDataSet::DoOpen(bool& HasRecord) {
    AddField(m_fieldName);
    load();
    HasRecord = true;
    return true;
}

bool TRecordDataSet::DoSeek(std::int64_t RecNo, bool& Found) {
    Found = RecNo == 1;
    if (Found) load();
    return true;
}

bool TRecordDataSet::DoLast(std::int64_t& RecNo) {
    load();
    RecNo = 1;
    return true;
}

}  // namespace zorvik::cli
