#include "platform/headless.h"

#include <algorithm>

namespace zorvik {

HeadlessHost::~HeadlessHost() {
    const auto controls = m_controls;
    for (TGraphicControl* c : controls) c->SetParent(nullptr);
}

void HeadlessHost::insert(TGraphicControl& Control) {
    if (std::find(m_controls.begin(), m_controls.end(), &Control) == m_controls.end())
        m_controls.push_back(&Control);
    Control.SetParent(this);
    invalidateControl(Control);
}

bool HeadlessHost::isInvalid(const TControl& Control) const {
    return std::find(m_invalid.begin(), m_invalid.end(), &Control) != m_invalid.end();
}

void HeadlessHost::invalidateControl(TControl& Control) {
    if (!isInvalid(Control)) m_invalid.push_back(&Control);
}

void HeadlessHost::updateControl(TControl& Control) {
    // A repaint asked for from inside a paint waits for the next round.
    if (m_painting != nullptr) return;
    auto it = std::find(m_controls.begin(), m_controls.end(), &Control);
    if (it != m_controls.end() && isInvalid(Control)) paint(**it);
}

void HeadlessHost::removeControl(TControl& Control) {
    m_invalid.erase(std::remove(m_invalid.begin(), m_invalid.end(), &Control), m_invalid.end());
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), &Control), m_controls.end());
}

void HeadlessHost::paint(TGraphicControl& Control) {
    // Painting validates the area first; what the paint invalidates again is
    // painted in a later round.
    m_invalid.erase(std::remove(m_invalid.begin(), m_invalid.end(), &Control), m_invalid.end());
    std::unique_ptr<TCanvas> canvas = m_factory ? m_factory(Control) : std::make_unique<TNullCanvas>();
    m_painting = &Control;
    ++m_paints;
    Control.paintOn(*canvas);
    m_painting = nullptr;
}

bool HeadlessHost::settle(int MaxPaints) {
    int done = 0;
    while (!m_invalid.empty()) {
        if (done >= MaxPaints) return false;
        TControl* next = m_invalid.front();
        auto it = std::find(m_controls.begin(), m_controls.end(), next);
        if (it == m_controls.end()) {
            m_invalid.erase(m_invalid.begin());
            continue;
        }
        paint(**it);
        ++done;
    }
    return true;
}

}  // namespace zorvik
