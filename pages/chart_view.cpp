#include "pages/chart_view.h"

#include "model/tables.h"

namespace pages {

uint32_t EqualiserCurveId(int position, int kind) {
    return static_cast<uint32_t>(model::ParamIndex(0, kind, position));
}

uint32_t CrossoverCurveId(int position, int kind) {
    return static_cast<uint32_t>(model::ParamIndex(1, kind, position));
}

uint32_t TotalCurveId(int position, int kind) {
    return static_cast<uint32_t>(model::ParamIndex(1024, kind, position));
}

}  // namespace pages
