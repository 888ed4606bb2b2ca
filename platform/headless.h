// A host without a screen: it repaints invalidated controls on fresh canvases
// until nothing is invalid any more.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/controls.h"

namespace zorvik {

class HeadlessHost : public THostSurface {
public:
    // Makes the canvas for one paint of a control; the default draws nothing.
    using CanvasFactory = std::function<std::unique_ptr<TCanvas>(TGraphicControl&)>;

    HeadlessHost() = default;
    explicit HeadlessHost(CanvasFactory Factory) : m_factory(std::move(Factory)) {}
    ~HeadlessHost() override;
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    // Places the control on this host; it is invalid until painted.
    void insert(TGraphicControl& Control);

    // Paints invalid controls until none is left, at most MaxPaints paints in
    // all. Returns false when the controls did not settle within that bound.
    bool settle(int MaxPaints = 100);
    // Paints done since the host was made.
    int paintCount() const { return m_paints; }
    bool isInvalid(const TControl& Control) const;

    void invalidateControl(TControl& Control) override;
    void updateControl(TControl& Control) override;
    void removeControl(TControl& Control) override;

private:
    void paint(TGraphicControl& Control);

    CanvasFactory m_factory;
    std::vector<TGraphicControl*> m_controls;
    std::vector<TControl*> m_invalid;
    TControl* m_painting = nullptr;
    int m_paints = 0;
};

}  // namespace zorvik
