// The settings of one barcode, and the enumerations the whole system shares.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/classes.h"
#include "platform/stringlist.h"

namespace zorvik {

enum class TBarCodeType : uint8_t {
    Code_39,
    Code_93,
    Code_128,
    ITF,
    Industrial,
    IATA,
    Codabar,
    EAN_13,
    EAN_8,
    EAN_13_2AddOn,
    EAN_13_5AddOn,
    UPC_A,
};
constexpr int kBarCodeTypeCount = 12;

enum class TDensity : uint8_t { High, Medium, Low };
constexpr int kDensityCount = 3;

enum class TDirection : uint8_t { Horizontal, Vertical };

enum class TAlignment : uint8_t { txLeft, txDensity };

// Identifiers of the small enumerations, by ordinal; the symbologies' are in
// the symbology table.
inline constexpr std::array<std::string_view, kDensityCount> kDensityIdents{"High", "Medium", "Low"};
inline constexpr std::array<std::string_view, 2> kDirectionIdents{"Horizontal", "Vertical"};
inline constexpr std::array<std::string_view, 2> kAlignmentIdents{"txLeft", "txDensity"};

constexpr int ord(TBarCodeType v) { return static_cast<int>(v); }
constexpr int ord(TDensity v) { return static_cast<int>(v); }
constexpr int ord(TDirection v) { return static_cast<int>(v); }
constexpr int ord(TAlignment v) { return static_cast<int>(v); }

// Display names, in ordinal order, offered to applications.
const TStringList& FBarCodeNames();
const TStringList& FBarCodeDensityNames();

// Identifiers as written in form files and on the command line.
const char* identOf(TBarCodeType v);
const char* identOf(TDensity v);
const char* identOf(TDirection v);
const char* identOf(TAlignment v);

class TCode : public TPersistent {
public:
    TCode() = default;
    TCode(const TCode&) = delete;
    TCode& operator=(const TCode&) = delete;

    const std::string& Caption() const { return m_caption; }
    TBarCodeType Symbology() const { return m_symbology; }
    bool AutoSize() const { return m_autoSize; }
    bool TextAutosize() const { return m_textAutosize; }
    TDensity Density() const { return m_density; }
    bool Border() const { return m_border; }
    TDirection Direction() const { return m_direction; }
    bool Transparent() const { return m_transparent; }
    bool ControlChars() const { return m_controlChars; }
    bool ShowCtrlsChars() const { return m_showCtrlsChars; }
    TAlignment TextAlignment() const { return m_textAlignment; }
    bool TextOn() const { return m_textOn; }

    // Each setter stores a differing value and then notifies.
    void SetCode(TBarCodeType Value);
    void SetCaption(const std::string& Value);
    void SetAutoSize(bool Value);
    void SetTextAutoSize(bool Value);
    void SetDensity(TDensity Value);
    void SetBorder(bool Value);
    void SetDirection(TDirection Value);
    void SetTransparent(bool Value);
    // Only Code 39 and Interleaved 2 of 5 may go without check characters;
    // notifies whenever the request differs, even when true is kept.
    void SetCtrlChar(bool Value);
    void SetShowCtrlsChars(bool Value);
    // The EAN symbols place their digits under their own characters; notifies
    // whenever the request differs, even when txDensity is kept.
    void SetAlignment(TAlignment Value);
    void SetTextOn(bool Value);

    // Copies every setting through the setters, in a fixed order; not OnChange.
    void Assigne(const TCode& Source);

    // Raised after every accepted change.
    TNotifyEvent OnChange;

protected:
    void Changed();

private:
    std::string m_caption;
    TBarCodeType m_symbology = TBarCodeType::Code_39;
    bool m_autoSize = false;
    bool m_textAutosize = false;
    TDensity m_density = TDensity::High;
    bool m_border = false;
    TDirection m_direction = TDirection::Horizontal;
    bool m_transparent = false;
    bool m_controlChars = false;
    bool m_showCtrlsChars = false;
    TAlignment m_textAlignment = TAlignment::txLeft;
    bool m_textOn = false;
};

}  // namespace zorvik
