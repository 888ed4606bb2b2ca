#include "platform/package.h"

namespace zorvik {

void InitializePackage(std::span<const TPackageUnit> Units) {
    for (const TPackageUnit& u : Units)
        if (u.initialize != nullptr) u.initialize();
}

void FinalizePackage(std::span<const TPackageUnit> Units) {
    for (auto it = Units.rbegin(); it != Units.rend(); ++it)
        if (it->finalize != nullptr) it->finalize();
}

}  // namespace zorvik
