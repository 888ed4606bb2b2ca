#include "platform/controls.h"

#include <algorithm>

namespace zorvik {

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {}

TControl::~TControl() {
    if (m_parent != nullptr) m_parent->removeControl(*this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (ALeft == m_left && ATop == m_top && AWidth == m_width && AHeight == m_height) return;
    m_left = ALeft;
    m_top = ATop;
    m_width = AWidth;
    m_height = AHeight;
    Invalidate();
}

void TControl::SetParent(THostSurface* Value) {
    if (Value == m_parent) return;
    if (m_parent != nullptr) m_parent->removeControl(*this);
    m_parent = Value;
    Invalidate();
}

intptr_t TControl::Perform(unsigned Msg, intptr_t WParam, intptr_t LParam) {
    TMessage message{Msg, WParam, LParam, 0};
    WndProc(message);
    return message.Result;
}

void TControl::Invalidate() {
    if (m_parent != nullptr) m_parent->invalidateControl(*this);
}

void TControl::Repaint() {
    if (m_parent == nullptr) return;
    m_parent->invalidateControl(*this);
    m_parent->updateControl(*this);
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}

void TGraphicControl::paintOn(TCanvas& Canvas) {
    TCanvas* previous = m_canvas;
    m_canvas = &Canvas;
    Paint();
    m_canvas = previous;
}

}  // namespace zorvik
