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

FundamentalRange fundamentalRange(int drumType, const ShellSizes& sizes) {
    FundamentalRange range = fundamentalRange(drumType);
    double scale = 1.0;
    if (drumType == drums::kSnare && sizes.snareInch > 0) scale = kSnareUsualInch / sizes.snareInch;
    if (drumType == drums::kKick && sizes.kickInch > 0) scale = kKickUsualInch / sizes.kickInch;
    return {range.loHz * scale, range.hiHz * scale};
}

}  // namespace tomaro::drumsizes
