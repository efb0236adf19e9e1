#include "config/BuildConstants.h"

#ifndef TALLWICK_WIZARD_TYPE_NAME
#error "TALLWICK_WIZARD_TYPE_NAME must name the wizard type of this executable"
#endif

#define TALLWICK_WIDEN_(text) L##text
#define TALLWICK_WIDEN(text) TALLWICK_WIDEN_(text)

const BuildConstants& ProductBuildConstants() {
    static const BuildConstants constants{
        TALLWICK_WIZARD_TYPE_NAME,
        TALLWICK_BT_VARIANT != 0,
        TALLWICK_WIDEN(TALLWICK_SERVICE_BASE_URL),
        TALLWICK_WIDEN(TALLWICK_SDK_LICENSE_URL),
    };
    return constants;
}
