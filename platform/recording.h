// A canvas that keeps every call in order, with the canvas state in force at
// the call, and optionally rasterises its fills into a grid. Tests assert on
// it; the command records a render and replays it once the size is known.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/graphics.h"

namespace zorvik {

struct CanvasCall {
    enum class Kind { FillRect, Rectangle, TextOut, SetBkMode };
    Kind kind = Kind::FillRect;
    TRect rect;  // FillRect as given; Rectangle as (X1, Y1, X2, Y2)
    int x = 0;   // TextOut anchor
    int y = 0;
    std::string text;
    int bkMode = OPAQUE;  // in force after the call
    TColor brushColor = clWhite;
    TBrushStyle brushStyle = TBrushStyle::bsSolid;
    TColor penColor = clBlack;
    int penWidth = 1;
    TPenStyle penStyle = TPenStyle::psSolid;
    LOGFONT font;
    TColor fontColor = clBlack;
};

class RecordingCanvas : public TCanvas {
public:
    static constexpr TColor kUnpainted = -1;

    // Records calls only.
    RecordingCanvas() = default;
    // Records calls and rasterises fills into a GridWidth x GridHeight grid.
    RecordingCanvas(int GridWidth, int GridHeight);

    const std::vector<CanvasCall>& calls() const { return m_calls; }
    std::vector<CanvasCall> textCalls() const;
    void clear();

    int gridWidth() const { return m_width; }
    int gridHeight() const { return m_height; }
    // The colour last filled at (X, Y), or kUnpainted.
    TColor at(int X, int Y) const;

    // The size check a render makes before it draws (see TCanvas::sizeProblem):
    // the output the recording is for says what it can hold.
    void setSizeCheck(std::function<std::string(long long, long long)> Check) { m_sizeCheck = std::move(Check); }
    std::string sizeProblem(long long Width, long long Height) const override {
        return m_sizeCheck ? m_sizeCheck(Width, Height) : std::string();
    }

    // Plays the recorded calls, with their state, onto Target.
    void replay(TCanvas& Target) const;

    int setBkMode(int Mode) override;
    void FillRect(const TRect& R) override;
    void Rectangle(int X1, int Y1, int X2, int Y2) override;
    void TextOut(int X, int Y, const std::string& Text) override;

protected:
    void fillArea(int Left, int Top, int Right, int Bottom, TColor Color) override;
    void drawText(int, int, std::string_view, const TTextStyle&) override {}

private:
    CanvasCall snapshot(CanvasCall::Kind Kind) const;

    std::vector<CanvasCall> m_calls;
    int m_width = 0;
    int m_height = 0;
    std::vector<TColor> m_grid;
    std::function<std::string(long long, long long)> m_sizeCheck;
};

}  // namespace zorvik
