// Packages of the host framework: a package is a table of units, each with a
// start and a stop routine. Loading starts them in table order, unloading
// stops them in reverse. A unit may be in several packages, so each keeps a
// start counter and does its work only on the first start and the last stop.
#pragma once

#include <span>
#include <string_view>

namespace zorvik {

struct TPackageUnit {
    std::string_view name;
    void (*initialize)();
    void (*finalize)();
};

// A unit's start counter: start() is true on the first start, stop() on the last stop.
class TUnitCounter {
public:
    bool start() { return m_count++ == 0; }
    bool stop() { return m_count > 0 && --m_count == 0; }
    int count() const { return m_count; }

private:
    int m_count = 0;
};

// The package's load and unload entry points, handed its unit table.
void InitializePackage(std::span<const TPackageUnit> Units);
void FinalizePackage(std::span<const TPackageUnit> Units);

}  // namespace zorvik
