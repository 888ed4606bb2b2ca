#include "control/code.h"

#include <array>

#include "control/symbology.h"

namespace zorvik {

namespace {

template <typename Names>
const TStringList& makeList(const Names& names) {
    auto* list = new TStringList;  // lives as long as the process
    for (std::string_view n : names) list->Add(std::string(n));
    return *list;
}

// The identifiers are literals, so their views end in a NUL.
template <size_t N>
const char* identAt(const std::array<std::string_view, N>& idents, int i) {
    return i >= 0 && static_cast<size_t>(i) < N ? idents[static_cast<size_t>(i)].data() : "";
}

template <typename Field>
std::array<std::string_view, kBarCodeTypeCount> symbologyColumn(Field field) {
    std::array<std::string_view, kBarCodeTypeCount> column;
    for (size_t i = 0; i < column.size(); ++i) column[i] = kSymbologyTable[i].*field;
    return column;
}

}  // namespace

const TStringList& FBarCodeNames() {
    static const TStringList& list = makeList(symbologyColumn(&SymbologyInfo::displayName));
    return list;
}

const TStringList& FBarCodeDensityNames() {
    static const TStringList& list = makeList(kDensityIdents);
    return list;
}

const char* identOf(TBarCodeType v) {
    const SymbologyInfo* info = symbologyInfo(v);
    return info != nullptr ? info->ident.data() : "";
}
const char* identOf(TDensity v) { return identAt(kDensityIdents, ord(v)); }
const char* identOf(TDirection v) { return identAt(kDirectionIdents, ord(v)); }
const char* identOf(TAlignment v) { return identAt(kAlignmentIdents, ord(v)); }

void TCode::Changed() {
    if (OnChange) OnChange(this);
}

namespace {
template <typename T>
bool store(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}
}  // namespace

void TCode::SetCode(TBarCodeType Value) {
    if (store(m_symbology, Value)) Changed();
}
void TCode::SetCaption(const std::string& Value) {
    if (store(m_caption, Value)) Changed();
}
void TCode::SetAutoSize(bool Value) {
    if (store(m_autoSize, Value)) Changed();
}
void TCode::SetTextAutoSize(bool Value) {
    if (store(m_textAutosize, Value)) Changed();
}
void TCode::SetDensity(TDensity Value) {
    if (store(m_density, Value)) Changed();
}
void TCode::SetBorder(bool Value) {
    if (store(m_border, Value)) Changed();
}
void TCode::SetDirection(TDirection Value) {
    if (store(m_direction, Value)) Changed();
}
void TCode::SetTransparent(bool Value) {
    if (store(m_transparent, Value)) Changed();
}
void TCode::SetShowCtrlsChars(bool Value) {
    if (store(m_showCtrlsChars, Value)) Changed();
}
void TCode::SetTextOn(bool Value) {
    if (store(m_textOn, Value)) Changed();
}

void TCode::SetCtrlChar(bool Value) {
    if (Value == m_controlChars) return;
    const SymbologyInfo* info = symbologyInfo(m_symbology);
    m_controlChars = info != nullptr && info->checkOptional ? Value : true;
    Changed();
}

void TCode::SetAlignment(TAlignment Value) {
    if (Value == m_textAlignment) return;
    const SymbologyInfo* info = symbologyInfo(m_symbology);
    m_textAlignment = info != nullptr && info->ownTextPlacement ? TAlignment::txDensity : Value;
    Changed();
}

void TCode::Assigne(const TCode& Source) {
    if (&Source == this) return;
    SetCode(Source.Symbology());
    SetCaption(Source.Caption());
    SetAutoSize(Source.AutoSize());
    SetTextAutoSize(Source.TextAutosize());
    SetDensity(Source.Density());
    SetDirection(Source.Direction());
    SetCtrlChar(Source.ControlChars());
    SetTransparent(Source.Transparent());
    SetBorder(Source.Border());
    SetShowCtrlsChars(Source.ShowCtrlsChars());
    SetAlignment(Source.TextAlignment());
    SetTextOn(Source.TextOn());
}

}  // namespace zorvik
