#include "control/code.h"

#include <array>

namespace zorvik {

namespace {

constexpr std::array<const char*, kBarCodeTypeCount> kBarCodeNames{
    "Code 39",     "Code 93", "Code 128", "Interleaved 2 of 5",  "Industrial 2 of 5",   "IATA 2 of 5",
    "Codabar",     "EAN 13",  "EAN 8",    "EAN 13 with 2 AddOn", "EAN 13 with 5 AddOn", "UPC A",
};
constexpr std::array<const char*, kBarCodeTypeCount> kBarCodeIdents{
    "Code_39", "Code_93", "Code_128", "ITF",           "Industrial",    "IATA",
    "Codabar", "EAN_13",  "EAN_8",    "EAN_13_2AddOn", "EAN_13_5AddOn", "UPC_A",
};
constexpr std::array<const char*, kDensityCount> kDensityNames{"High", "Medium", "Low"};
constexpr std::array<const char*, 2> kDirectionIdents{"Horizontal", "Vertical"};
constexpr std::array<const char*, 2> kAlignmentIdents{"txLeft", "txDensity"};

template <size_t N>
const TStringList& makeList(const std::array<const char*, N>& names) {
    auto* list = new TStringList;  // lives as long as the process
    for (const char* n : names) list->Add(n);
    return *list;
}

template <size_t N>
const char* identAt(const std::array<const char*, N>& idents, int i) {
    return i >= 0 && static_cast<size_t>(i) < N ? idents[static_cast<size_t>(i)] : "";
}

}  // namespace

const TStringList& FBarCodeNames() {
    static const TStringList& list = makeList(kBarCodeNames);
    return list;
}

const TStringList& FBarCodeDensityNames() {
    static const TStringList& list = makeList(kDensityNames);
    return list;
}

const char* identOf(TBarCodeType v) { return identAt(kBarCodeIdents, ord(v)); }
const char* identOf(TDensity v) { return identAt(kDensityNames, ord(v)); }
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
    const bool optional = m_symbology == TBarCodeType::Code_39 || m_symbology == TBarCodeType::ITF;
    m_controlChars = optional ? Value : true;
    Changed();
}

void TCode::SetAlignment(TAlignment Value) {
    if (Value == m_textAlignment) return;
    const int s = ord(m_symbology);
    const bool eanOwnPlacement = s >= ord(TBarCodeType::EAN_13) && s <= ord(TBarCodeType::EAN_13_5AddOn);
    m_textAlignment = eanOwnPlacement ? TAlignment::txDensity : Value;
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
