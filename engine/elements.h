// Laying elements along a symbol, for the encoders.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "control/zorvik.h"

namespace zorvik {

// One element of Modules modules at the running position, across the symbol
// from CurY (horizontal) or CurX (vertical) to AcrossEnd, filled in Color when
// Paint; the position advances either way. An element covers the pixels from
// its rounded start to the rounded position after its advance, so a stretched
// symbol keeps the ratio of its bars to its spaces. Bars are what a dry run
// measures.
enum class TElement { Bar, Space };
void layElement(TCanvas* Canvas, TDirection Dir, int Modules, int32_t AcrossEnd, TElement Kind, bool Paint,
                TColor Color);

// Plays a run string of the element alphabet: a character above "@" is a bar
// (Lin), one below it a space (Spc).
void playRuns(TZorvik& Control, TCanvas* Canvas, TDirection Dir, std::string_view Runs);

// The human-readable line: Across is the fixed coordinate (y of a horizontal
// symbol's text, x of a vertical one's); positions along the symbol grow
// rightward, or upward for a vertical symbol.
class TTextLine {
public:
    TTextLine(TCanvas& Canvas, TDirection Dir, int Across) : m_canvas(Canvas), m_dir(Dir), m_across(Across) {}
    // One TextOut of Text with its first character cell at Along; nothing for an empty text.
    void write(int Along, const std::string& Text) const;
    // The K-th of a run of characters Pitch modules apart from Start along
    // the symbol, at the symbol's step; a position beyond the range of int
    // (long captions at large scales) lies off every canvas and is skipped
    // rather than computed in int.
    void writeNth(int Start, int Pitch, size_t K, const std::string& Text) const;
    // The k-th character of Text alone k x Pitch modules from Start along the
    // symbol, at the symbol's step.
    void spread(int Start, int Pitch, std::string_view Text) const;

private:
    TCanvas& m_canvas;
    TDirection m_dir;
    int m_across;
};

// The text of a symbol that fills its own elements (Code 39, Code 93): in the
// strip across the symbol from X + W - TextH (vertical) or Y + H - TextH
// (horizontal); txLeft as one string LeftH modules in (horizontal) or LeftV
// modules up (vertical), txDensity one character every Pitch modules from
// First modules in, FirstPos recording where. Modules at the symbol's step.
struct TStripText {
    int leftH, leftV, first, pitch;
};
void writeStripText(TZorvik& Control, TCanvas* Canvas, TDirection Dir, int X, int Y, int W, int H,
                    const std::string& Text, const TStripText& Layout);

}  // namespace zorvik
