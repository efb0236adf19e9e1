#include "config/BuildConstants.h"

// The ISV product's texts, as wide literals generated for this executable.
#include "IsvProduct.h"

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
        TALLWICK_ISV_PRODUCT_URL,
        TALLWICK_ISV_PRODUCT_ARGUMENTS,
        TALLWICK_ISV_LAUNCH_PATH,
        TALLWICK_ISV_LAUNCH_ARGUMENTS,
    };
    return constants;
}
