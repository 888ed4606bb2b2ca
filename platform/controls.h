// Controls and the surface that hosts them.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/classes.h"
#include "platform/graphics.h"

namespace zorvik {

class TControl;
class TGraphicControl;

// Where a control lives: the surface that repaints it. A headless host, a Qt
// widget or a report band implements it.
class THostSurface {
public:
    virtual ~THostSurface() = default;
    // The control's area needs painting; paint it later.
    virtual void invalidateControl(TControl& Control) = 0;
    // Paint the control now if it needs it.
    virtual void updateControl(TControl& Control) = 0;
    // The control leaves the surface (it is being destroyed or re-parented).
    virtual void removeControl(TControl& Control) = 0;
};

// A message sent to a control.
struct TMessage {
    unsigned Msg = 0;
    intptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

// The framework's query for a data-aware control's data link; the answer is
// the link, in Result.
constexpr unsigned CM_GETDATALINK = 0xB02D;

// Control style flags.
enum : unsigned {
    csOpaque = 1u << 0,
};

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetLeft(int Value) { SetBounds(Value, m_top, m_width, m_height); }
    void SetTop(int Value) { SetBounds(m_left, Value, m_width, m_height); }
    // Sizes below zero are taken as zero.
    void SetWidth(int Value) { SetBounds(m_left, m_top, Value, m_height); }
    void SetHeight(int Value) { SetBounds(m_left, m_top, m_width, Value); }
    // Any change of position or size invalidates the control.
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

    unsigned ControlStyle() const { return m_style; }
    void SetControlStyle(unsigned Value) { m_style = Value; }
    bool isOpaque() const { return (m_style & csOpaque) != 0; }

    THostSurface* Parent() const { return m_parent; }
    void SetParent(THostSurface* Value);

    // Sends a message to the control and returns its result.
    intptr_t Perform(unsigned Msg, intptr_t WParam = 0, intptr_t LParam = 0);

    // Schedule a repaint through the hosting surface.
    void Invalidate();
    // Repaint now.
    void Repaint();
    void Refresh() { Repaint(); }

protected:
    // Handles a message; the default leaves the result at 0.
    virtual void WndProc(TMessage& Message) { (void)Message; }

private:
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    unsigned m_style = 0;
    THostSurface* m_parent = nullptr;
};

// A windowless control painting on its parent's surface through its own canvas.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);

    // The canvas of the current paint; between paints a canvas that draws nothing.
    TCanvas* Canvas() const { return m_canvas; }

    // Host entry: paint on Canvas, which is fresh for this paint.
    void paintOn(TCanvas& Canvas);
    bool isPainting() const { return m_canvas != &m_idle; }

protected:
    virtual void Paint() {}

private:
    TNullCanvas m_idle;
    TCanvas* m_canvas = &m_idle;
};

}  // namespace zorvik
