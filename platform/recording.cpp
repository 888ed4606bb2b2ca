#include "platform/recording.h"

#include <algorithm>

namespace zorvik {

RecordingCanvas::RecordingCanvas(int GridWidth, int GridHeight)
    : m_width(std::max(0, GridWidth)),
      m_height(std::max(0, GridHeight)),
      m_grid(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), kUnpainted) {}

std::vector<CanvasCall> RecordingCanvas::textCalls() const {
    std::vector<CanvasCall> out;
    for (const auto& c : m_calls)
        if (c.kind == CanvasCall::Kind::TextOut) out.push_back(c);
    return out;
}

void RecordingCanvas::clear() {
    m_calls.clear();
    std::fill(m_grid.begin(), m_grid.end(), kUnpainted);
}

TColor RecordingCanvas::at(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= m_width || Y >= m_height) return kUnpainted;
    return m_grid[static_cast<size_t>(Y) * static_cast<size_t>(m_width) + static_cast<size_t>(X)];
}

CanvasCall RecordingCanvas::snapshot(CanvasCall::Kind Kind) const {
    CanvasCall c;
    c.kind = Kind;
    c.bkMode = BkMode();
    c.brushColor = Brush().Color;
    c.brushStyle = Brush().Style;
    c.penColor = Pen().Color;
    c.penWidth = Pen().Width;
    c.penStyle = Pen().Style;
    c.font = Font().logFont();
    c.fontColor = Font().Color();
    return c;
}

int RecordingCanvas::setBkMode(int Mode) {
    const int old = TCanvas::setBkMode(Mode);
    m_calls.push_back(snapshot(CanvasCall::Kind::SetBkMode));
    return old;
}

void RecordingCanvas::FillRect(const TRect& R) {
    CanvasCall c = snapshot(CanvasCall::Kind::FillRect);
    c.rect = R;
    m_calls.push_back(std::move(c));
    TCanvas::FillRect(R);
}

void RecordingCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    CanvasCall c = snapshot(CanvasCall::Kind::Rectangle);
    c.rect = TRect{X1, Y1, X2, Y2};
    m_calls.push_back(std::move(c));
    TCanvas::Rectangle(X1, Y1, X2, Y2);
}

void RecordingCanvas::TextOut(int X, int Y, const std::string& Text) {
    CanvasCall c = snapshot(CanvasCall::Kind::TextOut);
    c.x = X;
    c.y = Y;
    c.text = Text;
    m_calls.push_back(std::move(c));
    TCanvas::TextOut(X, Y, Text);
}

void RecordingCanvas::fillArea(int Left, int Top, int Right, int Bottom, TColor Color) {
    if (m_grid.empty()) return;
    const int l = std::max(Left, 0), r = std::min(Right, m_width);
    const int t = std::max(Top, 0), b = std::min(Bottom, m_height);
    for (int y = t; y < b; ++y)
        std::fill_n(m_grid.begin() + static_cast<ptrdiff_t>(y) * m_width + l, std::max(0, r - l), Color);
}

void RecordingCanvas::replay(TCanvas& Target) const {
    for (const auto& c : m_calls) {
        Target.Brush().Color = c.brushColor;
        Target.Brush().Style = c.brushStyle;
        Target.Pen().Color = c.penColor;
        Target.Pen().Width = c.penWidth;
        Target.Pen().Style = c.penStyle;
        switch (c.kind) {
            case CanvasCall::Kind::SetBkMode:
                SetBkMode(Target.Handle(), c.bkMode);
                break;
            case CanvasCall::Kind::FillRect:
                Target.FillRect(c.rect);
                break;
            case CanvasCall::Kind::Rectangle:
                Target.Rectangle(c.rect.Left, c.rect.Top, c.rect.Right, c.rect.Bottom);
                break;
            case CanvasCall::Kind::TextOut:
                if (!(Target.Font().logFont() == c.font)) Target.Font().SetHandle(CreateFontIndirectA(&c.font));
                Target.Font().SetColor(c.fontColor);
                if (Target.BkMode() != c.bkMode) SetBkMode(Target.Handle(), c.bkMode);
                Target.TextOut(c.x, c.y, c.text);
                break;
        }
    }
}

}  // namespace zorvik
