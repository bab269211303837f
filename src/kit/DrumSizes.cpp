#include "kit/DrumSizes.h"

#include "kit/DrumTypes.h"

namespace tomaro::drumsizes {

FundamentalRange fundamentalRange(int drumType) {
    if (drumType == drums::kSnare) return {150.0, 330.0};
    if (drumType == drums::kKick) return {40.0, 90.0};
    if (drumType < 0 || drumType >= drums::kTypeCount) return {};
    const double diameterInch = drumType + 4;
    return {kTomLoHzInch / diameterInch, kTomHiHzInch / diameterInch};
}

}  // namespace tomaro::drumsizes
